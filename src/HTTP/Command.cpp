#include "HTTP/Command.hpp"

#include "HTTP/Error.hpp"

#include <transport/transport.hpp>

namespace HTTP::Command {

namespace {

[[noreturn]] void Refused(const Cmd& cmd) { OSTREL_THROW(SystemError(transport::LastError(cmd.Document()))); }

Cmd& Added(Cmd& cmd, transport::Element* element)
{
    if (!element) Refused(cmd);
    auto& pimpl = cmd.pimpl();
    if (pimpl.protectNext) {
        transport::SetProtectMark(element, 1);
        pimpl.protectNext = false;
    }
    return cmd;
}

}  // namespace

Cmd::Cmd() : impl(std::make_shared<Pimpl>()) {}

std::string Cmd::Dump() const { return transport::Dump(Document()); }

Cmd& operator<<(Cmd& cmd, const Tag& item)
{
    if (!transport::OpenElement(cmd.Document(), TagId(item.name))) Refused(cmd);
    return cmd;
}

Cmd& operator<<(Cmd& cmd, const ETag&)
{
    if (!transport::CloseElement(cmd.Document())) Refused(cmd);
    return cmd;
}

Cmd& operator<<(Cmd& cmd, const BasicNode<long>& item)
{
    return Added(cmd, transport::AddDecimalElement(cmd.Document(), TagId(item.name), item.value));
}

Cmd& operator<<(Cmd& cmd, const BasicNode<std::string>& item)
{
    return Added(cmd, transport::AddTextElement(cmd.Document(), TagId(item.name), item.value.c_str()));
}

}  // namespace HTTP::Command
