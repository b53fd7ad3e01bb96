#pragma once
// A simulated Quillhaven machine on 127.0.0.1: the web service a notifier talks to
// (XML commands, per-user RSS feeds, document requests, browser pages) and the UDP
// signal it sends to subscribers. Tests drive it through this class; the
// quillhaven-sim program drives it from text commands.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace QuillhavenSim {

struct Options {
    std::uint16_t httpPort = 0;   // 0: pick a free port
    std::uint16_t httpsPort = 0;  // 0: pick a free port
    bool shiftJisFeed = false;    // serve the RSS feeds in Shift_JIS instead of UTF-8
    std::size_t feedCapacity = 100;  // items a feed keeps; the oldest go first
    // Called with one line for every request answered and every datagram sent.
    std::function<void(const std::string&)> watch;
};

enum class DocumentFormat { Pdf, Jpeg, Tiff };

// What the next answers do, consumed one per HTTP request in arrival order.
enum class FaultKind {
    Busy,      // RESULT FAIL_MACHINE_BUSY
    Slow,      // the answer is held back for delayMs, then given normally
    Wrong,     // RESULT holds a text no machine documents
    NonXml,    // an HTML page where XML was due
    Forbidden, // HTTP 403
    Failure,   // HTTP 500
};

struct Subscription {
    std::string user;
    std::string address;  // the subscriber's address as seen on the connection
    int listenPort = 0;
};

struct RequestRecord {
    std::string peer;     // address of the client
    std::string method;
    std::string target;   // path and query as requested
    std::string user;     // user of the HTTP Basic credentials, if any were sent
    std::string command;  // COMMAND of an XML command, else empty
    int status = 0;       // HTTP status answered
    std::string result;   // RESULT text answered, else empty
};

struct DatagramRecord {
    std::string user;
    std::string address;
    int port = 0;
};

class Machine {
public:
    explicit Machine(Options options = {});  // starts listening at once
    ~Machine();                               // stops
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    std::uint16_t HttpPort() const;
    std::uint16_t HttpsPort() const;
    void Stop();

    // Accounts and settings.
    void AddUser(const std::string& id, const std::string& password, const std::string& displayName);
    bool RemoveUser(const std::string& id);
    void SetMachineName(const std::string& name);
    void SetSecurityPolicy(int policy);  // 1 or 2, as the machine reports it
    void SetGuestLogin(bool on);

    // Events. Each adds one item to the user's feed and signals its subscribers.
    // The document events return the new document code, the notice its notice id.
    std::string PublishScan(const std::string& user, DocumentFormat format = DocumentFormat::Pdf,
                            const std::string& title = {});
    std::string PublishFax(const std::string& user, const std::string& title = {});
    void PublishDetailList(const std::string& user, const std::string& title,
                           const std::vector<std::string>& lines);
    // status: "0" active, "1" completed, "2" overdue. notifyId empty: a new notice.
    std::string PublishNotice(const std::string& user, const std::string& content,
                              const std::string& status, const std::string& notifyId = {});

    // Fault injection and the download preparation stage.
    void InjectFault(FaultKind kind, int count = 1, int delayMs = 0);
    void SetPreparationCount(int refusals);  // 403 answers before a prepared document
    int PreparationRefusals() const;          // 403 answers given so far by the preparation stage
    int CancelledDownloads() const;

    // Inspection.
    std::string FeedLocation(const std::string& user) const;  // below "/vozoz"
    std::vector<Subscription> Subscriptions() const;
    std::vector<RequestRecord> Requests() const;  // the latest 10000 at most, oldest first
    std::vector<DatagramRecord> Datagrams() const;
    std::vector<std::string> PrintedDocuments() const;  // document codes, in order
    std::vector<std::string> DeletedDocuments() const;
    std::vector<std::string> DeletedNotices() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace QuillhavenSim
