#include "QuillhavenSim/Machine.hpp"

#include "Media.hpp"
#include "Router.hpp"
#include "Server.hpp"
#include "State.hpp"
#include "Text.hpp"

#include <cstdio>
#include <ctime>

namespace QuillhavenSim {

namespace {

// What an item announces, as its description and category attributes tell the reader.
struct Kind {
    const char* view;
    const char* descriptionType;
    const char* category;
    const char* categoryId;
    const char* categoryType;
    const char* categoryNotice;  // bits: 1 popup, 2 voice
};

constexpr Kind scanKind{"0", "0", "スキャン", "1", "0", "3"};
constexpr Kind faxKind{"0", "0", "ファクス受信", "2", "0", "3"};
constexpr Kind detailKind{"1", "1", "詳細リスト", "3", "1", "3"};
constexpr Kind noticeKind{"0", "2", "期限通知", "9", "2", "0"};

void Classify(FeedItem& item, const Kind& kind)
{
    item.descriptionView = kind.view;
    item.descriptionType = kind.descriptionType;
    item.category = kind.category;
    item.categoryId = kind.categoryId;
    item.categoryType = kind.categoryType;
    item.categoryNotice = kind.categoryNotice;
}

std::string Code(int n)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04d", n);
    return text;
}

}  // namespace

struct Machine::Impl {
    State state;
    std::function<void(const std::string&)> watch;
    std::unique_ptr<Server> server;
    std::size_t feedCapacity = 100;
    std::time_t lastNoticePub = 0;  // guarded by state.mutex

    void Watch(const std::string& line)
    {
        if (watch) watch(line);
    }

    static std::string Now() { return Text::Rfc822(std::time(nullptr)); }

    // Readers tell notices apart by their times: each gets one later than the last.
    std::string NextNoticePub()
    {
        std::time_t now = std::time(nullptr);
        lastNoticePub = now > lastNoticePub ? now : lastNoticePub + 1;
        return Text::Rfc822(lastNoticePub);
    }

    std::string VoiceFor(FeedItem& item, const std::string& user, const std::string& name)
    {
        state.voices[name] = user;
        item.enclosureUrl = state.BaseUrl() + "/voice/" + name;
        item.enclosureLength = std::to_string(Media::Wav().size());
        return name;
    }

    // Adds the item (the caller holds the mutex) and returns the subscriptions to signal.
    std::vector<Subscription> Append(const std::string& user, FeedItem item)
    {
        Feed& feed = state.feeds[user];
        feed.lastBuildDate = item.pubDate;
        feed.items.push_back(std::move(item));
        if (feed.items.size() > feedCapacity) feed.items.erase(feed.items.begin());
        std::vector<Subscription> targets;
        for (const Subscription& s : state.subscriptions)
            if (s.user == user) targets.push_back(s);
        return targets;
    }

    void Signal(const std::vector<Subscription>& targets)
    {
        for (const Subscription& s : targets) {
            const bool sent = server->SendDatagram(s.address, s.listenPort, "QUILLHAVEN " + s.user);
            {
                std::lock_guard lock(state.mutex);
                if (sent) state.datagrams.push_back({s.user, s.address, s.listenPort});
            }
            Watch(std::string(sent ? "UDP sent to " : "UDP NOT sent to ") + s.address + ":" +
                  std::to_string(s.listenPort) + " user=" + s.user);
        }
    }

    void RequireUser(const std::string& user) const
    {
        if (!state.accounts.count(user)) throw std::invalid_argument("no such user: " + user);
    }

    std::string PublishDocument(const std::string& user, DocumentFormat format, bool fax, std::string title)
    {
        std::vector<Subscription> targets;
        std::string code;
        {
            std::lock_guard lock(state.mutex);
            RequireUser(user);
            code = Code(state.nextDocument++);
            if (title.empty()) title = (fax ? "ファクス受信 " : "スキャン文書 ") + code;
            state.documents[code] = Document{user, title, format, fax, false};
            FeedItem item;
            item.title = title;
            const std::string thumbnail =
                state.BaseUrl() + "/norvane?NVF=6&amp;UN=" + Text::PercentEncode(user) + "&amp;DC=" + code;
            // The document code closes the address: readers take everything after "&DC=".
            item.description = "<a href=\"" + thumbnail + "\"><img src=\"" + thumbnail + "\"/></a>";
            Classify(item, fax ? faxKind : scanKind);
            VoiceFor(item, user, code + ".wav");
            item.guid = code;
            item.pubDate = Now();
            targets = Append(user, std::move(item));
        }
        Watch("EVENT " + std::string(fax ? "fax " : "scan ") + code + " for " + user);
        Signal(targets);
        return code;
    }
};

Machine::Machine(Options options) : impl_(std::make_unique<Impl>())
{
    impl_->watch = std::move(options.watch);
    impl_->state.shiftJisFeed = options.shiftJisFeed;
    impl_->feedCapacity = options.feedCapacity < 1 ? 1 : options.feedCapacity;
    Impl* impl = impl_.get();
    impl_->server = std::make_unique<Server>(
        [impl](const Request& request) {
            Reply reply = Route(impl->state, request);
            impl->Watch(WatchLine(request, reply));
            return reply;
        },
        options.httpPort, options.httpsPort);
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.httpPort = impl_->server->HttpPort();
}

Machine::~Machine()
{
    Stop();
}

std::uint16_t Machine::HttpPort() const { return impl_->server->HttpPort(); }
std::uint16_t Machine::HttpsPort() const { return impl_->server->HttpsPort(); }
void Machine::Stop() { impl_->server->Stop(); }

void Machine::AddUser(const std::string& id, const std::string& password, const std::string& displayName)
{
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.accounts[id] = Account{password, displayName};
}

bool Machine::RemoveUser(const std::string& id)
{
    std::lock_guard lock(impl_->state.mutex);
    State& s = impl_->state;
    std::erase_if(s.subscriptions, [&](const Subscription& sub) { return sub.user == id; });
    s.feeds.erase(id);
    for (auto& [code, document] : s.documents)
        if (document.user == id) document.deleted = true;
    return s.accounts.erase(id) > 0;
}

void Machine::SetMachineName(const std::string& name)
{
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.machineName = name;
}

void Machine::SetSecurityPolicy(int policy)
{
    if (policy != 1 && policy != 2) throw std::invalid_argument("security policy is 1 or 2");
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.securityPolicy = policy;
}

void Machine::SetGuestLogin(bool on)
{
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.guestLogin = on;
}

std::string Machine::PublishScan(const std::string& user, DocumentFormat format, const std::string& title)
{
    return impl_->PublishDocument(user, format, false, title);
}

std::string Machine::PublishFax(const std::string& user, const std::string& title)
{
    return impl_->PublishDocument(user, DocumentFormat::Tiff, true, title);
}

void Machine::PublishDetailList(const std::string& user, const std::string& title,
                                const std::vector<std::string>& lines)
{
    std::vector<Subscription> targets;
    {
        std::lock_guard lock(impl_->state.mutex);
        impl_->RequireUser(user);
        FeedItem item;
        const std::string code = "L" + Code(impl_->state.nextDocument++);
        item.title = title.empty() ? "詳細リスト " + code : title;
        item.description = "<table><tbody>";
        for (const std::string& line : lines) item.description += "<tr><td>" + Text::XmlEscape(line) + "</td></tr>";
        item.description += "</tbody></table>";
        Classify(item, detailKind);
        impl_->VoiceFor(item, user, code + ".wav");
        item.guid = code;
        item.pubDate = impl_->Now();
        targets = impl_->Append(user, std::move(item));
    }
    impl_->Watch("EVENT detail list for " + user);
    impl_->Signal(targets);
}

std::string Machine::PublishNotice(const std::string& user, const std::string& content, const std::string& status,
                                   const std::string& notifyId)
{
    if (status != "0" && status != "1" && status != "2") throw std::invalid_argument("notice status is 0, 1 or 2");
    std::vector<Subscription> targets;
    std::string id;
    {
        std::lock_guard lock(impl_->state.mutex);
        impl_->RequireUser(user);
        id = notifyId.empty() ? std::to_string(impl_->state.nextNotice++) : notifyId;
        FeedItem item;
        item.title = "お知らせ";
        Classify(item, noticeKind);
        item.pubDate = impl_->NextNoticePub();
        item.guid = "N" + id + "-" + std::to_string(impl_->lastNoticePub);
        item.notice = true;
        item.notify = "1";
        item.content = content;
        item.status = status;
        item.notifyId = id;
        item.notifyDate = item.pubDate;
        targets = impl_->Append(user, std::move(item));
    }
    impl_->Watch("EVENT notice " + id + " (status " + status + ") for " + user);
    impl_->Signal(targets);
    return id;
}

void Machine::InjectFault(FaultKind kind, int count, int delayMs)
{
    std::lock_guard lock(impl_->state.mutex);
    for (int i = 0; i < count; ++i) impl_->state.faults.push_back({kind, delayMs});
}

void Machine::SetPreparationCount(int refusals)
{
    std::lock_guard lock(impl_->state.mutex);
    impl_->state.preparationCount = refusals < 0 ? 0 : refusals;
}

int Machine::PreparationRefusals() const
{
    std::lock_guard lock(impl_->state.mutex);
    return impl_->state.preparationRefusals;
}

int Machine::CancelledDownloads() const
{
    std::lock_guard lock(impl_->state.mutex);
    return impl_->state.cancelledDownloads;
}

std::string Machine::FeedLocation(const std::string& user) const
{
    return FeedPath(user);
}

#define QHSIM_READ(Name, Type, field)              \
    Type Machine::Name() const                     \
    {                                              \
        std::lock_guard lock(impl_->state.mutex);  \
        return impl_->state.field;                 \
    }
QHSIM_READ(Subscriptions, std::vector<Subscription>, subscriptions)
QHSIM_READ(Requests, std::vector<RequestRecord>, requests)
QHSIM_READ(Datagrams, std::vector<DatagramRecord>, datagrams)
QHSIM_READ(PrintedDocuments, std::vector<std::string>, printed)
QHSIM_READ(DeletedDocuments, std::vector<std::string>, deletedDocuments)
QHSIM_READ(DeletedNotices, std::vector<std::string>, deletedNotices)
#undef QHSIM_READ

}  // namespace QuillhavenSim
