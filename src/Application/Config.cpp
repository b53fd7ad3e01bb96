#include "Application/Config.hpp"

#include "MonitoredEntry/EntryProperty.hpp"
#include "System/System.hpp"

#include <ostrel/config.hpp>
#include <boost/filesystem/operations.hpp>
#include <ostrel/exception.hpp>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <stdexcept>
#include <variant>
#include <vector>

namespace {

struct KeyDefinition {
    const char* key;
    std::variant<int, bool> defaultValue;
};

// The keys in the order in which they are defined.
const std::vector<KeyDefinition>& keyTable()
{
    static const std::vector<KeyDefinition> keys = {
        {"PORT", 61010},
        {"ENTRY_MAX", 3},
        {"EVENT_LOG_MAX_LIMIT", 200},
        {"REGULAR_CHECK_INTERVAL_MS_MIN", 60000},
        {"REGULAR_CHECK_INTERVAL_MS_MAX", 3600000},
        {"DETECTED_EVENT_QUEUE_SIZE", 200},
        {"REGULAR_SERIALIZE_INTERVAL_MS", 300000},
        {"REGULAR_NOTIFY_DISPLAY_INTERVAL_MS", 1000},
        {"SUBSCRIBE_INTERVAL_MS", 1800000},
        {"RETRY_SUBSCRIBE_INTERVAL_MS", 300000},
        {"MACHINE_MONITOR_INTERVAL_MS", 600000},
        {"POPUP_EVENT_ERASE_INTERVAL_MS", 10000},
        {"HTTP_CONNECT_TIMEOUT_MS", 30000},
        {"HTTP_CONNECT_TIMEOUT_SUB_MS", 3000},
        {"HTTP_RETRY", 1},
        {"HTTP_SEND_TIMEOUT_MS", 30000},
        {"HTTP_RECV_TIMEOUT_MS", 30000},
        {"QH_GET_MACHINE_SETTINGS_SEND_TIMEOUT_MS", 30000},
        {"QH_GET_MACHINE_SETTINGS_RECV_TIMEOUT_MS", 30000},
        {"QH_GET_USER_INFO_SEND_TIMEOUT_MS", 30000},
        {"QH_GET_USER_INFO_RECV_TIMEOUT_MS", 30000},
        {"QH_GET_USER_LIST_SEND_TIMEOUT_MS", 30000},
        {"QH_GET_USER_LIST_RECV_TIMEOUT_MS", 30000},
        {"QH_DOWNLOAD_IMAGE_SEND_TIMEOUT_MS", 30000},
        {"QH_DOWNLOAD_IMAGE_RECV_TIMEOUT_MS", 30000},
        {"QH_CANCEL_DOWNLOAD_IMAGE_SEND_TIMEOUT_MS", 3000},
        {"QH_CANCEL_DOWNLOAD_IMAGE_RECV_TIMEOUT_MS", 3000},
        {"QH_GET_IMAGE_SEND_TIMEOUT_MS", 30000},
        {"QH_GET_IMAGE_RECV_TIMEOUT_MS", 30000},
        {"QH_PRINT_SEND_TIMEOUT_MS", 30000},
        {"QH_PRINT_RECV_TIMEOUT_MS", 30000},
        {"QH_GET_THUMBNAIL_SEND_TIMEOUT_MS", 30000},
        {"QH_GET_THUMBNAIL_RECV_TIMEOUT_MS", 30000},
        {"QH_SUBSCRIBE_SEND_TIMEOUT_MS", 30000},
        {"QH_SUBSCRIBE_RECV_TIMEOUT_MS", 30000},
        {"QH_UNSUBSCRIBE_SEND_TIMEOUT_MS", 30000},
        {"QH_UNSUBSCRIBE_RECV_TIMEOUT_MS", 30000},
        {"ENTRY_DEFAULT_ENABLE_MONITORING", true},
        {"ENTRY_DEFAULT_HTTP", 80},
        {"ENTRY_DEFAULT_HTTPS", 443},
        {"ENTRY_DEFAULT_SSL", false},
        {"ENTRY_DEFAULT_LOG_MAX", 200},
        {"ENTRY_DEFAULT_REGULAR_CHECK_INTERVAL_MS", 1800000},
        {"ENTRY_DEFAULT_ENABLE_NOTICE", true},
        {"ENTRY_DEFAULT_ENABLE_NOTICE_VOICE", false},
        {"ENTRY_DEFAULT_ENABLE_THUMBNAIL_HIDDEN", false},
        {"ENTRY_DEFAULT_NOTIFY_DISPLAY", 1},
        {"ENTRY_DEFAULT_ENABLE_EVENT_READ", false},
        {"ENTRY_DEFAULT_ENABLE_DELETE_MSG", true},
        {"POPUP_EVENT_ERASE_INTERVAL_MS_MIN", 0},
        {"POPUP_EVENT_ERASE_INTERVAL_MS_MAX", 100000000},
        {"QH_DELETE_SEND_TIMEOUT_MS", 30000},
        {"QH_DELETE_RECV_TIMEOUT_MS", 30000},
        {"QH_AUTHENTICATE_SEND_TIMEOUT_MS", 30000},
        {"QH_AUTHENTICATE_RECV_TIMEOUT_MS", 30000},
        {"UI_CHECK_CONNECT_NEW_ENTRY", true},
        {"UI_CHECK_AUTHENTICATE_NEW_ENTRY", true},
    };
    return keys;
}

const KeyDefinition& definitionOf(const std::string& key)
{
    for (const auto& definition : keyTable())
        if (key == definition.key) return definition;
    throw std::out_of_range("undefined settings key " + key);
}

// The request kinds with their own send and receive keys ("QH_<kind>_SEND_TIMEOUT_MS").
struct TimeoutKeys {
    QH::Request kind;
    const char* name;
};
const TimeoutKeys requestKeys[] = {
    {QH::Request::GetMachineSettings, "GET_MACHINE_SETTINGS"},
    {QH::Request::GetUserInfo, "GET_USER_INFO"},
    {QH::Request::GetUserList, "GET_USER_LIST"},
    {QH::Request::Authenticate, "AUTHENTICATE"},
    {QH::Request::DownloadImage, "DOWNLOAD_IMAGE"},
    {QH::Request::CancelDownloadImage, "CANCEL_DOWNLOAD_IMAGE"},
    {QH::Request::GetImage, "GET_IMAGE"},
    {QH::Request::Print, "PRINT"},
    {QH::Request::GetThumbnail, "GET_THUMBNAIL"},
    {QH::Request::Subscribe, "SUBSCRIBE"},
    {QH::Request::Unsubscribe, "UNSUBSCRIBE"},
    {QH::Request::Delete, "DELETE"},
};

// An empty interval is refused with the interval library's own words.
IntRange checkedRange(int lower, int upper)
{
    if (upper < lower) throw std::runtime_error("boost::interval: empty interval created");
    return IntRange(lower, upper);
}

}  // namespace

int ReadConfigInt(const std::string& text, int fallback)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin || errno == ERANGE || value < INT_MIN || value > INT_MAX) return fallback;
    return static_cast<int>(value);
}

bool ReadConfigBool(const std::string& text, bool fallback)
{
    const int value = ReadConfigInt(text, -1);
    if (value == 0) return false;
    if (value == 1) return true;
    return fallback;
}

struct Config::Pimpl : ostrel::config<std::string> {
    explicit Pimpl(std::string file) : file(std::move(file)) {}

    void define() override
    {
        set_path(file);
        define_version(1.00);
        for (const auto& definition : keyTable()) {
            if (std::holds_alternative<int>(definition.defaultValue))
                define_key(definition.key, std::get<int>(definition.defaultValue));
            else
                define_key(definition.key, std::get<bool>(definition.defaultValue));
        }
    }

    int Int(const std::string& key) const
    {
        return ReadConfigInt(value(key), std::get<int>(definitionOf(key).defaultValue));
    }
    bool Bool(const std::string& key) const
    {
        return ReadConfigBool(value(key), std::get<bool>(definitionOf(key).defaultValue));
    }

    std::string file;
    IntRange checkIntervalRange{60000, 3600000};
    IntRange eraseIntervalRange{0, 100000000};
    QH::Config timeouts;
    bool checkConnectNewEntry = true;
    bool checkAuthenticateNewEntry = true;
    EntryDefaults entryDefaults;
    std::shared_ptr<const MonitoredEntry::EntryProperty> defaultEntryProperty;
};

Config& Config::Instance()
{
    static Config instance(System::NarrowPath(System::DataDirectory() + L"config.dat"));
    return instance;
}

Config::Config(const std::string& path) : pimpl(std::make_unique<Pimpl>(path))
{
    pimpl->set_path(path);
}

Config::~Config() = default;

void Config::Load()
{
    auto& p = *pimpl;
    // The folder holds the enciphered passwords too: it is the person's alone.
    const boost::filesystem::path folder = boost::filesystem::path(p.path()).parent_path();
    if (!folder.empty() && !boost::filesystem::exists(folder)) {
        boost::filesystem::create_directories(folder);
        boost::filesystem::permissions(folder, boost::filesystem::owner_all);
    }
    bool repair = false;
    try {
        p.load();
    } catch (const ostrel::defective_config&) {
        repair = true;  // the missing keys hold their defaults now
    }

    p.checkIntervalRange = checkedRange(p.Int("REGULAR_CHECK_INTERVAL_MS_MIN"), p.Int("REGULAR_CHECK_INTERVAL_MS_MAX"));
    p.eraseIntervalRange =
        checkedRange(p.Int("POPUP_EVENT_ERASE_INTERVAL_MS_MIN"), p.Int("POPUP_EVENT_ERASE_INTERVAL_MS_MAX"));

    const int connect = p.Int("HTTP_CONNECT_TIMEOUT_MS");
    const int retry = p.Int("HTTP_RETRY");
    p.timeouts[QH::Request::General] = {connect, retry, p.Int("HTTP_SEND_TIMEOUT_MS"), p.Int("HTTP_RECV_TIMEOUT_MS")};
    for (const auto& request : requestKeys) {
        const std::string stem = std::string("QH_") + request.name;
        const bool cancel = request.kind == QH::Request::CancelDownloadImage;
        p.timeouts[request.kind] = {cancel ? p.Int("HTTP_CONNECT_TIMEOUT_SUB_MS") : connect, retry,
                                    p.Int(stem + "_SEND_TIMEOUT_MS"), p.Int(stem + "_RECV_TIMEOUT_MS")};
    }

    p.checkConnectNewEntry = p.Bool("UI_CHECK_CONNECT_NEW_ENTRY");
    p.checkAuthenticateNewEntry = p.Bool("UI_CHECK_AUTHENTICATE_NEW_ENTRY");

    auto& d = p.entryDefaults;
    d.monitoring = p.Bool("ENTRY_DEFAULT_ENABLE_MONITORING");
    d.http = p.Int("ENTRY_DEFAULT_HTTP");
    d.https = p.Int("ENTRY_DEFAULT_HTTPS");
    d.ssl = p.Bool("ENTRY_DEFAULT_SSL");
    d.logMax = p.Int("ENTRY_DEFAULT_LOG_MAX");
    d.intervalMs = p.Int("ENTRY_DEFAULT_REGULAR_CHECK_INTERVAL_MS");
    d.notice = p.Bool("ENTRY_DEFAULT_ENABLE_NOTICE");
    d.noticeVoice = p.Bool("ENTRY_DEFAULT_ENABLE_NOTICE_VOICE");
    d.thumbnailHidden = p.Bool("ENTRY_DEFAULT_ENABLE_THUMBNAIL_HIDDEN");
    d.eraseTimeMs = p.Int("POPUP_EVENT_ERASE_INTERVAL_MS");
    d.eventRead = p.Bool("ENTRY_DEFAULT_ENABLE_EVENT_READ");
    d.deleteMsg = p.Bool("ENTRY_DEFAULT_ENABLE_DELETE_MSG");
    d.notifyDisplay = p.Int("ENTRY_DEFAULT_NOTIFY_DISPLAY");
    p.defaultEntryProperty =
        std::make_shared<const MonitoredEntry::EntryProperty>(MonitoredEntry::MakeDefaultEntryProperty(d));

    // Repaired only once every check passed: a file that still stops the start stays
    // as the person left it.
    if (repair) p.save(true);
}

void Config::Remove() { pimpl->remove(); }
const std::string& Config::Path() const { return pimpl->path(); }
std::string Config::Value(const std::string& key) const { return pimpl->value(key); }

int Config::Port() const { return pimpl->Int("PORT"); }
int Config::EntryMax() const { return pimpl->Int("ENTRY_MAX"); }
int Config::EventLogMaxLimit() const { return pimpl->Int("EVENT_LOG_MAX_LIMIT"); }
int Config::DetectedEventQueueSize() const { return pimpl->Int("DETECTED_EVENT_QUEUE_SIZE"); }
int Config::RegularSerializeIntervalMs() const { return pimpl->Int("REGULAR_SERIALIZE_INTERVAL_MS"); }
int Config::RegularNotifyDisplayIntervalMs() const { return pimpl->Int("REGULAR_NOTIFY_DISPLAY_INTERVAL_MS"); }
int Config::SubscribeIntervalMs() const { return pimpl->Int("SUBSCRIBE_INTERVAL_MS"); }
int Config::RetrySubscribeIntervalMs() const { return pimpl->Int("RETRY_SUBSCRIBE_INTERVAL_MS"); }
int Config::MachineMonitorIntervalMs() const { return pimpl->Int("MACHINE_MONITOR_INTERVAL_MS"); }
int Config::PopupEventEraseIntervalMs() const { return pimpl->Int("POPUP_EVENT_ERASE_INTERVAL_MS"); }
bool Config::EntryDefaultEnableEventRead() const { return pimpl->Bool("ENTRY_DEFAULT_ENABLE_EVENT_READ"); }
bool Config::EntryDefaultEnableDeleteMsg() const { return pimpl->Bool("ENTRY_DEFAULT_ENABLE_DELETE_MSG"); }

int Config::SubscriptionWaitLimitMs() const
{
    const auto& record = pimpl->timeouts[QH::Request::Subscribe];
    const long long limit = (static_cast<long long>(record.sendMs) + record.recvMs + record.connectMs) * record.retry * 2;
    return limit > INT_MAX ? INT_MAX : static_cast<int>(limit);
}

IntRange Config::checkIntervalRange() const { return pimpl->checkIntervalRange; }
IntRange Config::eraseIntervalRange() const { return pimpl->eraseIntervalRange; }
const QH::Config& Config::timeouts() const { return pimpl->timeouts; }
bool Config::checkConnectNewEntry() const { return pimpl->checkConnectNewEntry; }
bool Config::checkAuthenticateNewEntry() const { return pimpl->checkAuthenticateNewEntry; }
const EntryDefaults& Config::entryDefaults() const { return pimpl->entryDefaults; }

void Config::MakeProcessWideCopy() const
{
    QH::Config::Install(timeouts());
    Limits::Values v;
    v.entryMax = EntryMax();
    v.subscriptionWaitLimitMs = SubscriptionWaitLimitMs();
    v.listenPort = Port();
    v.subscribeIntervalMs = SubscribeIntervalMs();
    v.retrySubscribeIntervalMs = RetrySubscribeIntervalMs();
    v.machineMonitorIntervalMs = MachineMonitorIntervalMs();
    v.eventLogMax = EventLogMaxLimit();
    v.checkIntervalMin = boost::numeric::lower(pimpl->checkIntervalRange);
    v.checkIntervalMax = boost::numeric::upper(pimpl->checkIntervalRange);
    v.eraseIntervalMin = boost::numeric::lower(pimpl->eraseIntervalRange);
    v.eraseIntervalMax = boost::numeric::upper(pimpl->eraseIntervalRange);
    v.detectedEventQueueSize = DetectedEventQueueSize();
    v.popupEraseMs = PopupEventEraseIntervalMs();
    Limits::Set(v);
}

void Config::MakeInstallCopy() const
{
    QH::Config::Install(timeouts());
    Limits::Values v = Limits::Current();
    v.entryMax = EntryMax();
    v.eventLogMax = EventLogMaxLimit();
    v.checkIntervalMin = boost::numeric::lower(pimpl->checkIntervalRange);
    v.checkIntervalMax = boost::numeric::upper(pimpl->checkIntervalRange);
    v.eraseIntervalMin = boost::numeric::lower(pimpl->eraseIntervalRange);
    v.eraseIntervalMax = boost::numeric::upper(pimpl->eraseIntervalRange);
    Limits::Set(v);
}

const MonitoredEntry::EntryProperty& Config::defaultEntryProperty() const
{
    // Before Load() the built-in defaults apply, as for entryDefaults().
    static const MonitoredEntry::EntryProperty builtIn = MonitoredEntry::MakeDefaultEntryProperty(EntryDefaults());
    return pimpl->defaultEntryProperty ? *pimpl->defaultEntryProperty : builtIn;
}
