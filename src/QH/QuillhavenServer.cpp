// The account and subscription commands: XML requests posted to "/vozoz".

#include "QH/QuillhavenServer.hpp"

#include "Application/Limits.hpp"
#include "HTTP/Command.hpp"
#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"
#include "QH/Error.hpp"
#include "QH/ServerPimpl.hpp"
#include "Utility/Text.hpp"

#include <boost/throw_exception.hpp>

using HTTP::Command::Cmd;
using HTTP::Command::ETag;
using HTTP::Command::LongNode;
using HTTP::Command::Node;
using HTTP::Command::Tag;
using HTTP::XML::Parser;
using QH::Request;

namespace QH::detail {

std::string UserId(const MonitoredEntry::User& user) { return Text::Narrow(user.GetID()); }
std::string PlainPassword(const MonitoredEntry::User& user) { return Text::Narrow(user.GetPassword().GetPlainText()); }

}  // namespace QH::detail

namespace {

HTTP::Timeout Choose(const QuillhavenServer::OptionalTimeout& timeout, Request kind)
{
    return timeout ? *timeout : QH::Config::CurrentRecord(kind);
}

// A request names its command first and carries its parameters in PARAM.
Cmd Command(const std::string& name)
{
    Cmd cmd;
    cmd << Tag{"REQUEST"} << Node{"COMMAND", name};
    return cmd;
}

void Execute(QuillhavenServer::Pimpl& pimpl, const HTTP::Timeout& timeout, Cmd& cmd, Parser& parser)
{
    pimpl.connection.Open(pimpl.port, pimpl.ssl, timeout);
    pimpl.connection.Send(HTTP::Net::POST, "", cmd.Document());
    pimpl.connection.RecvXml(parser);
    pimpl.connection.Close();
}

Parser::Iterator Required(const Parser& parser, const std::string& name,
                          const boost::source_location& where = QH_CALLER)
{
    Parser::Iterator found = parser.FindFirst(name);
    QuillhavenServer::Pimpl::Check(found, where);
    return found;
}

// The machine's verdict; failures become their error classes, raised with the
// location of the operation that asked.
void CheckResult(const Parser& parser, const boost::source_location& where = QH_CALLER)
{
    const std::string result = (*Required(parser, "RESULT", where)).GetString();
    if (result == "SUCCESS") return;
    if (result == "FAIL_MACHINE_BUSY") boost::throw_exception(QH::MachineBusy(), where);
    if (result == "FAIL_QH_NETWORK_MODE") boost::throw_exception(QH::InvalidMode(), where);
    if (result == "FAIL_AUTHENTICATE") boost::throw_exception(QH::AuthenticateFailure(), where);
    if (result == "FAIL_NO_FEED_REGISTERED") boost::throw_exception(QH::MissingRSSFeed(), where);
    if (result == "FAIL_LISTENPORT_UNREACHABLE") boost::throw_exception(QH::ListenPortUnreachable(), where);
    if (result == "FAIL_NO_SUCH_ENTRY") boost::throw_exception(QH::MissingEntry(), where);
    if (result == "FAIL_NO_SUCH_USER") boost::throw_exception(QH::MissingUser(), where);
    boost::throw_exception(QH::InvalidResponse(), where);
}

}  // namespace

void QuillhavenServer::Pimpl::Check(const Parser::Iterator& found, const boost::source_location& where)
{
    if (found.IsEnd()) boost::throw_exception(QH::InvalidResponse(), where);
}

QuillhavenServer::QuillhavenServer(const MonitoredEntry::MFP& mfp)
{
    const bool ssl = mfp.GetSSL();
    const boost::optional<int>& port = ssl ? mfp.GetHTTPS() : mfp.GetHTTP();
    pimpl = std::make_shared<Pimpl>(Text::Narrow(mfp.GetHost()), port.value_or(0), ssl);
}

std::unique_ptr<QH::MachineSettings> QuillhavenServer::GetMachineSettings(const OptionalTimeout& timeout)
{
    Cmd cmd = Command("GETMACHINESETTINGS");
    cmd << ETag{};
    Parser parser;
    Execute(*pimpl, Choose(timeout, Request::GetMachineSettings), cmd, parser);
    CheckResult(parser);

    auto settings = std::make_unique<QH::MachineSettings>();
    switch ((*Required(parser, "SECURITYPOLICY")).GetDecimal()) {
    case 1: settings->securityPolicy = 0; break;
    case 2: settings->securityPolicy = 1; break;
    default: OSTREL_THROW(QH::InvalidResponse());
    }
    switch ((*Required(parser, "GUESTLOGIN")).GetDecimal()) {
    case 0: settings->guestLogin = false; break;
    case 1: settings->guestLogin = true; break;
    default: OSTREL_THROW(QH::InvalidResponse());
    }
    settings->machineName = (*Required(parser, "MACHINENAME")).GetString();
    return settings;
}

std::unique_ptr<QH::UserInfo> QuillhavenServer::GetUserInfo(const MonitoredEntry::User& user,
                                                            const OptionalTimeout& timeout)
{
    Cmd cmd = Command("GETUSERINFO");
    cmd << Tag{"PARAM"} << Node{"USERNAME", QH::detail::UserId(user)} << ETag{} << ETag{};
    Parser parser;
    Execute(*pimpl, Choose(timeout, Request::GetUserInfo), cmd, parser);
    CheckResult(parser);
    return std::make_unique<QH::UserInfo>(QH::UserInfo{(*Required(parser, "DISPLAYNAME")).GetString()});
}

std::unique_ptr<std::vector<QH::User>> QuillhavenServer::GetUserList(const OptionalTimeout& timeout)
{
    Cmd cmd = Command("GETUSERLIST");
    cmd << ETag{};
    Parser parser;
    Execute(*pimpl, Choose(timeout, Request::GetUserList), cmd, parser);
    CheckResult(parser);

    auto users = std::make_unique<std::vector<QH::User>>();
    if ((*Required(parser, "COUNT")).GetDecimal() == 0) return users;
    // The first USER and every sibling after it, whatever COUNT said.
    int number = 0;
    for (Parser::Iterator user = Required(parser, "USER"); !user.IsEnd(); ++user) {
        Parser::Iterator displayName = parser.FindPath(user, HTTP::XML::Path("DISPLAYNAME"));
        Pimpl::Check(displayName);
        Parser::Iterator userName = parser.FindPath(user, HTTP::XML::Path("USERNAME"));
        Pimpl::Check(userName);
        users->push_back(QH::User{++number, (*displayName).GetString(), (*userName).GetString()});
    }
    return users;
}

bool QuillhavenServer::Authenticate(const MonitoredEntry::User& user, const HTTP::Timeout& timeout)
{
    Cmd cmd = Command("AUTHENTICATE");
    cmd << Tag{"PARAM"} << Node{"USER_NAME", QH::detail::UserId(user)};
    cmd.ProtectNext();
    cmd << Node{"PASSWORD", QH::detail::PlainPassword(user)} << ETag{} << ETag{};
    Parser parser;
    Execute(*pimpl, timeout, cmd, parser);
    return (*Required(parser, "RESULT")).GetString() == "SUCCESS";
}

std::wstring QuillhavenServer::SubscribeToRSSFeed(int listenPort, const MonitoredEntry::User& user,
                                                  const HTTP::Timeout& timeout)
{
    Cmd cmd = Command("SUBSCRIBETOFEED");
    cmd << Tag{"PARAM"} << Node{"USERNAME", QH::detail::UserId(user)};
    cmd.ProtectNext();
    cmd << Node{"PASSWORD", QH::detail::PlainPassword(user)} << LongNode{"LISTENPORT", listenPort} << ETag{}
        << ETag{};
    Parser parser;
    Execute(*pimpl, timeout, cmd, parser);
    CheckResult(parser);
    return Text::Widen((*Required(parser, "FEEDRSS")).GetString());
}

std::wstring QuillhavenServer::SubscribeToRSSFeed(const MonitoredEntry::User& user)
{
    return SubscribeToRSSFeed(Limits::Current().listenPort, user, QH::Config::CurrentRecord(Request::Subscribe));
}

void QuillhavenServer::UnsubscribeToRSSFeed(const MonitoredEntry::User& user, const HTTP::Timeout& timeout)
{
    Cmd cmd = Command("UNSUBSCRIBETOFEED");
    cmd << Tag{"PARAM"} << Node{"USERNAME", QH::detail::UserId(user)} << ETag{} << ETag{};
    Parser parser;
    Execute(*pimpl, timeout, cmd, parser);
    CheckResult(parser);
}
