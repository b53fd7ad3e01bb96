#pragma once
// The client of one machine's web service: account and subscription commands,
// document requests, browser pages and the user's RSS feed.

#include "HTTP/Timeout.hpp"
#include "QH/Answers.hpp"
#include "QH/MemoryImage.hpp"
#include "QH/TimeoutTable.hpp"

#include <boost/optional.hpp>

#include <memory>
#include <string>
#include <vector>

namespace MonitoredEntry {
class MFP;
class User;
}  // namespace MonitoredEntry
namespace RSS {
class RSSFeed;
}

/// Copies share one connection; one thread at a time.
class QuillhavenServer {
public:
    using OptionalTimeout = boost::optional<HTTP::Timeout>;

    /// Talks to the machine's HTTPS port when its SSL switch is set, else to its HTTP port.
    explicit QuillhavenServer(const MonitoredEntry::MFP& mfp);

    // Account and subscription commands. A missing timeout means the table's record.
    std::unique_ptr<QH::MachineSettings> GetMachineSettings(const OptionalTimeout& timeout = boost::none);
    std::unique_ptr<QH::UserInfo> GetUserInfo(const MonitoredEntry::User& user,
                                              const OptionalTimeout& timeout = boost::none);
    std::unique_ptr<std::vector<QH::User>> GetUserList(const OptionalTimeout& timeout = boost::none);
    /// True exactly when the machine answers "SUCCESS"; failure results give false.
    bool Authenticate(const MonitoredEntry::User& user, const HTTP::Timeout& timeout);
    /// The location of the user's feed, for GetRSSFeed.
    std::wstring SubscribeToRSSFeed(int listenPort, const MonitoredEntry::User& user, const HTTP::Timeout& timeout);
    /// The listen port of the settings and the subscribe record of the table.
    std::wstring SubscribeToRSSFeed(const MonitoredEntry::User& user);
    void UnsubscribeToRSSFeed(const MonitoredEntry::User& user, const HTTP::Timeout& timeout);

    // Document requests. The document option is sent as "QHR" by downloads, cancels and prints.
    void SetDocumentOption(bool option);
    bool GetDocumentOption() const;
    std::unique_ptr<QH::MemoryImage> GetThumbnail(const std::wstring& thumbnailAddress,
                                                  const MonitoredEntry::User& user);
    /// Saves the document into `path` (its extension adjusted to the answer's type);
    /// true when the machine did not answer with a document (nothing saved).
    bool DownloadDocument(const MonitoredEntry::User& user, const std::wstring& documentCode, std::wstring& path,
                          const std::wstring& downloadId, int kind, const HTTP::Timeout& timeout);
    /// Like DownloadDocument, but leaves a document answer pending for
    /// GetDownloadExtension and SaveDownload; true when there is no document.
    bool RequestDownload(const MonitoredEntry::User& user, const std::wstring& documentCode,
                         const std::wstring& downloadId, int kind);
    void SaveDownload(const std::wstring& path);
    std::wstring GetDownloadExtension() const;
    void CancelDownload(const MonitoredEntry::User& user, const std::wstring& documentCode,
                        const std::wstring& downloadId);
    void PrintDocument(const MonitoredEntry::User& user, const std::wstring& documentCode,
                       const HTTP::Timeout& timeout);
    void DeleteDocument(const MonitoredEntry::User& user, const std::wstring& documentCode,
                        const HTTP::Timeout& timeout);
    void DeleteNotice(const MonitoredEntry::User& user, const std::wstring& documentCode,
                      const std::wstring& notifyId, const HTTP::Timeout& timeout);
    /// The bytes behind an address the machine gave (a voice message).
    std::unique_ptr<HTTP::Bytes> GetImage(const std::wstring& address, const MonitoredEntry::User& user);

    // Browser pages, opened through the desktop.
    void OpenInBrowser(const MonitoredEntry::User& user, int mode);
    void OpenInBrowser(const MonitoredEntry::User& user, const std::wstring& documentCode,
                       const std::wstring& notifyId);
    /// The notice page.
    void OpenInBrowser(const MonitoredEntry::User& user);
    /// The base address of the browser pages ("http[s]://host[:port]/vozoz/norvane").
    std::string BrowserBaseAddress() const;

    /// Reads and analyses the user's feed at `location` (general timeout record).
    std::unique_ptr<RSS::RSSFeed> GetRSSFeed(const MonitoredEntry::User& user, const std::wstring& location);

    struct Pimpl;

private:
    std::shared_ptr<Pimpl> pimpl;
};
