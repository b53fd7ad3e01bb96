#include "HTTP/Query.hpp"

#include "HTTP/Error.hpp"

#include <transport/transport.hpp>

namespace HTTP {

Query::Query() : document(std::make_shared<Mcmd>()) {}

void Query::Add(const std::string& key, const std::string& value)
{
    if (!transport::AddQueryParameter(Document(), key.c_str(), value.c_str()))
        OSTREL_THROW(SystemError(transport::LastError(Document())));
}

std::string Query::ToString() const
{
    if (!transport::SerializeQuery(Document())) OSTREL_THROW(SystemError(transport::LastError(Document())));
    const std::size_t length = transport::QueryTextLength(Document());
    if (length == 0) return {};
    std::string text(length, '\0');
    std::size_t copied = 0;
    if (!transport::CopyQueryText(Document(), text.data(), length, &copied))
        OSTREL_THROW(SystemError(transport::LastError(Document())));
    return text;
}

}  // namespace HTTP
