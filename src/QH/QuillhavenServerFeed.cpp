// Reading the user's RSS feed.

#include "QH/QuillhavenServer.hpp"

#include "QH/RSSAnalysis.hpp"
#include "QH/ServerPimpl.hpp"
#include "Utility/Text.hpp"

std::unique_ptr<RSS::RSSFeed> QuillhavenServer::GetRSSFeed(const MonitoredEntry::User& user,
                                                           const std::wstring& location)
{
    pimpl->connection.Open(pimpl->port, pimpl->ssl, QH::Config::CurrentRecord(QH::Request::General));
    pimpl->connection.SetCredentials(QH::detail::UserId(user), QH::detail::PlainPassword(user));
    pimpl->connection.Send(HTTP::Net::GET, Text::Narrow(location), nullptr);
    HTTP::XML::Parser parser;
    pimpl->connection.RecvXml(parser);
    pimpl->connection.Close();
    return QH::AnalyzeRSSFeed()(parser);
}
