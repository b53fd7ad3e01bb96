#pragma once
// The stored form of entries, logs and feeds: how each class is written to and read
// from the data file's XML archive. Only the data file includes this.
//
// The layout is fixed by files already on disk, so every element name, the order of
// members, which objects go through pointers (Entry, EventProperty, RSS::EventTime:
// they have no default constructor and are rebuilt from construction data) and the
// class versions (0) must stay as they are. Wide strings and optional values are
// classes of their own in that layout, hence the two wrappers below.

#include "MonitoredEntry/EntryDB.hpp"
#include "MonitoredEntry/EventLog.hpp"
#include "RSS/RSSFeed.hpp"

#include <boost/archive/xml_wiarchive.hpp>
#include <boost/archive/xml_woarchive.hpp>
#include <boost/serialization/item_version_type.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/shared_ptr.hpp>
#include <boost/serialization/split_free.hpp>
#include <boost/serialization/split_member.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <string>

namespace MonitoredEntry::Stored {

using boost::serialization::make_nvp;

/// Set while the three newer settings of an entry are read or written; a read that
/// fails among them leaves it set, and the next read then takes the older form.
extern std::atomic<bool> olderFormFlag;

/// The values an entry of the older form gets for the three missing settings.
struct OlderFormDefaults {
    int eraseTime;
    bool eventRead;
    bool deleteMsg;
};
OlderFormDefaults CurrentOlderFormDefaults();

/// A wide string: a class with one member "string".
struct WideString {
    std::wstring value;
    template <class Ar>
    void serialize(Ar& ar, unsigned)
    {
        ar& make_nvp("string", value);
    }
};

/// An optional value: "initialized", then "item_version" 0 and "value" when present.
/// Saving may point at a value held elsewhere instead of copying it.
template <class T>
struct Optional {
    boost::optional<T> value;
    const T* external = nullptr;

    template <class Ar>
    void save(Ar& ar, unsigned) const
    {
        const T* present = external ? external : (value ? &*value : nullptr);
        const bool initialized = present != nullptr;
        ar << make_nvp("initialized", initialized);
        if (!initialized) return;
        const boost::serialization::item_version_type itemVersion(0);
        ar << make_nvp("item_version", itemVersion);
        ar << make_nvp("value", *present);
    }
    template <class Ar>
    void load(Ar& ar, unsigned)
    {
        bool initialized = false;
        ar >> make_nvp("initialized", initialized);
        value.reset();
        if (!initialized) return;
        boost::serialization::item_version_type itemVersion(0);
        ar >> make_nvp("item_version", itemVersion);
        T loaded{};
        ar >> make_nvp("value", loaded);
        value = std::move(loaded);
    }
    BOOST_SERIALIZATION_SPLIT_MEMBER()
};

inline Optional<WideString> Out(const boost::optional<std::wstring>& text)
{
    Optional<WideString> stored;
    if (text) stored.value = WideString{*text};
    return stored;
}
inline boost::optional<std::wstring> In(const Optional<WideString>& stored)
{
    return stored.value ? boost::optional<std::wstring>(stored.value->value) : boost::none;
}

/// Opens and closes elements of the XML archive for members written one by one.
template <class Ar>
struct ElementAccess;

template <>
struct ElementAccess<boost::archive::xml_woarchive> : boost::archive::xml_woarchive {
    static void Open(boost::archive::xml_woarchive& ar, const char* name) { (ar.*(&ElementAccess::save_start))(name); }
    static void Close(boost::archive::xml_woarchive& ar, const char* name) { (ar.*(&ElementAccess::save_end))(name); }
};

template <>
struct ElementAccess<boost::archive::xml_wiarchive> : boost::archive::xml_wiarchive {
    static void Open(boost::archive::xml_wiarchive& ar, const char* name) { (ar.*(&ElementAccess::load_start))(name); }
    static void Close(boost::archive::xml_wiarchive& ar, const char* name) { (ar.*(&ElementAccess::load_end))(name); }
};

/// An element open for the scope; it is not closed when the scope is left by an
/// exception (the archive is abandoned then).
template <class Ar>
class ElementScope {
public:
    ElementScope(Ar& ar, const char* name) : ar_(ar), name_(name) { ElementAccess<Ar>::Open(ar_, name_); }
    ~ElementScope() noexcept(false)
    {
        if (std::uncaught_exceptions() == uncaught_) ElementAccess<Ar>::Close(ar_, name_);
    }
    ElementScope(const ElementScope&) = delete;
    ElementScope& operator=(const ElementScope&) = delete;

private:
    Ar& ar_;
    const char* name_;
    int uncaught_ = std::uncaught_exceptions();
};

/// The root element: the entry manager, that is its store.
struct ManagerImage {
    EntryDB db;
    template <class Ar>
    void serialize(Ar& ar, unsigned)
    {
        ar& make_nvp("EntryDB", db);
    }
};

}  // namespace MonitoredEntry::Stored

// ---- classes of the program, found by argument-dependent lookup ----

template <class Ar, class T>
void serialize(Ar& ar, BasicID<T>& id, unsigned)
{
    T value = id.GetValue();
    ar& boost::serialization::make_nvp("value", value);
    id.SetValue(value);
}

namespace RSS {

template <class Ar>
void serialize(Ar& ar, Item& item, unsigned)
{
    using boost::serialization::make_nvp;
    ar& make_nvp("title", item.title) & make_nvp("description", item.description) &
        make_nvp("descriptionview", item.descriptionview) & make_nvp("descriptiontype", item.descriptiontype) &
        make_nvp("category", item.category) & make_nvp("categoryid", item.categoryid) &
        make_nvp("categorytype", item.categorytype) & make_nvp("categorynotice", item.categorynotice) &
        make_nvp("guid", item.guid) & make_nvp("enclosure", item.enclosure) &
        make_nvp("enclosuretype", item.enclosuretype) & make_nvp("enclosurelength", item.enclosurelength) &
        make_nvp("notify", item.notify) & make_nvp("content", item.content) & make_nvp("status", item.status) &
        make_nvp("notifyid", item.notifyid) & make_nvp("notifydate", item.notifydate) & make_nvp("pub", item.pub);
}

template <class Ar>
void save(Ar& ar, const RSSFeed& feed, unsigned)
{
    using boost::serialization::make_nvp;
    ar << make_nvp("Title", feed.GetTitle()) << make_nvp("Link", feed.GetLink()) << make_nvp("Date", feed.GetDate())
       << make_nvp("ItemList", feed.GetItemList());
}

template <class Ar>
void load(Ar& ar, RSSFeed& feed, unsigned)
{
    using boost::serialization::make_nvp;
    std::string title, link, date;
    RSSFeed::ItemList items;
    ar >> make_nvp("Title", title) >> make_nvp("Link", link) >> make_nvp("Date", date) >> make_nvp("ItemList", items);
    feed = RSSFeed(title, link, date, items);
}

template <class Ar>
void serialize(Ar& ar, RSSFeed& feed, unsigned version)
{
    boost::serialization::split_free(ar, feed, version);
}

// A time is stored as its text alone and rebuilt from it (which checks it again).
template <class Ar>
void serialize(Ar&, EventTime&, unsigned)
{
}

template <class Ar>
void save_construct_data(Ar& ar, const EventTime* time, unsigned)
{
    ar << boost::serialization::make_nvp("string", time->GetText());
}

template <class Ar>
void load_construct_data(Ar& ar, EventTime* time, unsigned)
{
    std::string text;
    ar >> boost::serialization::make_nvp("string", text);
    ::new (time) EventTime(text);
}

}  // namespace RSS

namespace MonitoredEntry {

// The byte sequence is written element by element ("count", "item_version" 0, one
// "item" per byte) without registering a class for it: the stored class numbers
// count only the classes that carry class attributes.
template <class Ar>
void save(Ar& ar, const Password& password, unsigned)
{
    using boost::serialization::make_nvp;
    const Password::Bytes& data = password.GetData();
    Stored::ElementScope<Ar> element(ar, "Data");
    const unsigned long count = data.size();
    const unsigned itemVersion = 0;
    ar << make_nvp("count", count) << make_nvp("item_version", itemVersion);
    for (const unsigned char byte : data) ar << make_nvp("item", byte);
}
template <class Ar>
void load(Ar& ar, Password& password, unsigned)
{
    using boost::serialization::make_nvp;
    Password::Bytes data;
    {
        Stored::ElementScope<Ar> element(ar, "Data");
        unsigned long count = 0;
        unsigned itemVersion = 0;
        ar >> make_nvp("count", count) >> make_nvp("item_version", itemVersion);
        data.reserve(std::min<unsigned long>(count, 4096));
        for (unsigned long i = 0; i < count; ++i) {
            unsigned char byte = 0;
            ar >> make_nvp("item", byte);
            data.push_back(byte);
        }
    }
    password.SetData(data);
}
template <class Ar>
void serialize(Ar& ar, Password& password, unsigned version)
{
    boost::serialization::split_free(ar, password, version);
}

template <class Ar>
void save(Ar& ar, const MFP& mfp, unsigned)
{
    using boost::serialization::make_nvp;
    Stored::Optional<int> http, https;
    http.value = mfp.GetHTTP();
    https.value = mfp.GetHTTPS();
    const auto name = Stored::Out(mfp.GetName());
    const Stored::WideString host{mfp.GetHost()};
    ar << make_nvp("Name", name) << make_nvp("Host", host) << make_nvp("HTTP", http) << make_nvp("HTTPS", https)
       << make_nvp("SSL", mfp.GetSSL());
}
template <class Ar>
void load(Ar& ar, MFP& mfp, unsigned)
{
    using boost::serialization::make_nvp;
    Stored::Optional<Stored::WideString> name;
    Stored::WideString host;
    Stored::Optional<int> http, https;
    bool ssl = false;
    ar >> make_nvp("Name", name) >> make_nvp("Host", host) >> make_nvp("HTTP", http) >> make_nvp("HTTPS", https) >>
        make_nvp("SSL", ssl);
    mfp = MFP(Stored::In(name), host.value, http.value, https.value, ssl);
}
template <class Ar>
void serialize(Ar& ar, MFP& mfp, unsigned version)
{
    boost::serialization::split_free(ar, mfp, version);
}

template <class Ar>
void save(Ar& ar, const User& user, unsigned)
{
    using boost::serialization::make_nvp;
    const auto name = Stored::Out(user.GetName());
    const Stored::WideString id{user.GetID()};
    ar << make_nvp("Name", name) << make_nvp("ID", id) << make_nvp("Password", user.GetPassword());
}
template <class Ar>
void load(Ar& ar, User& user, unsigned)
{
    using boost::serialization::make_nvp;
    Stored::Optional<Stored::WideString> name;
    Stored::WideString id;
    Password password;
    ar >> make_nvp("Name", name) >> make_nvp("ID", id) >> make_nvp("Password", password);
    user = User(Stored::In(name), id.value, password);
}
template <class Ar>
void serialize(Ar& ar, User& user, unsigned version)
{
    boost::serialization::split_free(ar, user, version);
}

// ThumbnailHidden is not stored. The last three members arrived later: see olderFormFlag.
template <class Ar>
void save(Ar& ar, const Config& config, unsigned)
{
    using boost::serialization::make_nvp;
    ar << make_nvp("LogMax", config.GetLogMax()) << make_nvp("Interval", config.GetInterval())
       << make_nvp("NotifyDisplay", config.GetNotifyDisplay()) << make_nvp("Notice", config.GetNotice())
       << make_nvp("NoticeVoice", config.GetNoticeVoice());
    struct Clear {
        ~Clear() { Stored::olderFormFlag = false; }
    } clear;
    Stored::olderFormFlag = true;
    ar << make_nvp("EraseTime", config.GetEraseTime()) << make_nvp("EventRead", config.GetEventRead())
       << make_nvp("DeleteMsg", config.GetDeleteMsg());
}
template <class Ar>
void load(Ar& ar, Config& config, unsigned)
{
    using boost::serialization::make_nvp;
    int logMax = 0, interval = 0, notifyDisplay = 0;
    bool notice = false, noticeVoice = false;
    ar >> make_nvp("LogMax", logMax) >> make_nvp("Interval", interval) >> make_nvp("NotifyDisplay", notifyDisplay) >>
        make_nvp("Notice", notice) >> make_nvp("NoticeVoice", noticeVoice);
    int eraseTime = 0;
    bool eventRead = false, deleteMsg = false;
    if (!Stored::olderFormFlag) {
        // A failure in here leaves the flag set: the file is of the older form.
        Stored::olderFormFlag = true;
        ar >> make_nvp("EraseTime", eraseTime) >> make_nvp("EventRead", eventRead) >> make_nvp("DeleteMsg", deleteMsg);
        Stored::olderFormFlag = false;
    } else {
        const Stored::OlderFormDefaults defaults = Stored::CurrentOlderFormDefaults();
        eraseTime = defaults.eraseTime;
        eventRead = defaults.eventRead;
        deleteMsg = defaults.deleteMsg;
    }
    config = Config(logMax, interval, notice, noticeVoice, false, eraseTime, eventRead, deleteMsg, notifyDisplay);
}
template <class Ar>
void serialize(Ar& ar, Config& config, unsigned version)
{
    boost::serialization::split_free(ar, config, version);
}

template <class Ar>
void save(Ar& ar, const EntryProperty& property, unsigned)
{
    using boost::serialization::make_nvp;
    ar << make_nvp("Monitoring", property.GetMonitoring()) << make_nvp("MFP", property.GetMFP())
       << make_nvp("User", property.GetUser()) << make_nvp("Config", property.GetConfig());
}
template <class Ar>
void load(Ar& ar, EntryProperty& property, unsigned)
{
    using boost::serialization::make_nvp;
    bool monitoring = false;
    MFP mfp;
    User user;
    Config config;
    ar >> make_nvp("Monitoring", monitoring) >> make_nvp("MFP", mfp) >> make_nvp("User", user) >>
        make_nvp("Config", config);
    property = EntryProperty(monitoring, mfp, user, config);
}
template <class Ar>
void serialize(Ar& ar, EntryProperty& property, unsigned version)
{
    boost::serialization::split_free(ar, property, version);
}

// An event property is written through a pointer and consists of construction data only.
template <class Ar>
void serialize(Ar&, EventProperty&, unsigned)
{
}

template <class Ar>
void save_construct_data(Ar& ar, const EventProperty* p, unsigned)
{
    using boost::serialization::make_nvp;
    // The times are written through pointers to the property's own members, so each
    // gets its own object number.
    RSS::EventTime* notifyDate = const_cast<RSS::EventTime*>(&p->GetNotifyDate());
    RSS::EventTime* time = const_cast<RSS::EventTime*>(&p->GetTime());
    const Stored::WideString category{p->GetCategory()}, categoryid{p->GetCategoryid()},
        categorynotice{p->GetCategorynotice()}, info{p->GetInfo()};
    const auto thumb = Stored::Out(p->GetThumbNailURL()), voice = Stored::Out(p->GetVoiceURL()),
               detail = Stored::Out(p->GetDetailList()), docID = Stored::Out(p->GetDocID()),
               notify = Stored::Out(p->GetNotify()), content = Stored::Out(p->GetContent()),
               status = Stored::Out(p->GetStatus()), notifyId = Stored::Out(p->GetNotifyId());
    ar << make_nvp("Category", category) << make_nvp("Categoryid", categoryid)
       << make_nvp("Categorytype", p->GetCategorytype()) << make_nvp("Categorynotice", categorynotice)
       << make_nvp("Info", info) << make_nvp("ThumbNailURL", thumb) << make_nvp("VoiceURL", voice)
       << make_nvp("DetailList", detail) << make_nvp("Descriptionview", p->GetDescriptionview())
       << make_nvp("DocID", docID) << make_nvp("Notify", notify) << make_nvp("Content", content)
       << make_nvp("Status", status) << make_nvp("NotifyId", notifyId) << make_nvp("NotifyDate", notifyDate)
       << make_nvp("Time", time);
}

template <class Ar>
void load_construct_data(Ar& ar, EventProperty* p, unsigned)
{
    using boost::serialization::make_nvp;
    Stored::WideString category, categoryid, categorynotice, info;
    std::string categorytype, descriptionview;
    Stored::Optional<Stored::WideString> thumb, voice, detail, docID, notify, content, status, notifyId;
    ar >> make_nvp("Category", category) >> make_nvp("Categoryid", categoryid) >>
        make_nvp("Categorytype", categorytype) >> make_nvp("Categorynotice", categorynotice) >>
        make_nvp("Info", info) >> make_nvp("ThumbNailURL", thumb) >> make_nvp("VoiceURL", voice) >>
        make_nvp("DetailList", detail) >> make_nvp("Descriptionview", descriptionview) >> make_nvp("DocID", docID) >>
        make_nvp("Notify", notify) >> make_nvp("Content", content) >> make_nvp("Status", status) >>
        make_nvp("NotifyId", notifyId);
    RSS::EventTime* rawNotifyDate = nullptr;
    ar >> make_nvp("NotifyDate", rawNotifyDate);
    const std::unique_ptr<RSS::EventTime> notifyDate(rawNotifyDate);
    RSS::EventTime* rawTime = nullptr;
    ar >> make_nvp("Time", rawTime);
    const std::unique_ptr<RSS::EventTime> time(rawTime);
    if (!notifyDate || !time)
        boost::serialization::throw_exception(boost::archive::archive_exception(
            boost::archive::archive_exception::input_stream_error));
    ::new (p) EventProperty(category.value, categoryid.value, categorytype, categorynotice.value, info.value,
                            Stored::In(thumb), Stored::In(voice), Stored::In(detail), descriptionview,
                            Stored::In(docID), Stored::In(notify), Stored::In(content), Stored::In(status),
                            Stored::In(notifyId), *notifyDate, *time);
}

// An event in its log: construction data "ID" and "Property" ahead of the element
// "item", which holds the read flag.
template <class Ar>
void save(Ar& ar, const Event& event, unsigned)
{
    const bool read = event.GetRead();
    ar << boost::serialization::make_nvp("Read", read);
}
template <class Ar>
void load(Ar& ar, Event& event, unsigned)
{
    bool read = false;
    ar >> boost::serialization::make_nvp("Read", read);
    event.SetRead(read);
}
template <class Ar>
void serialize(Ar& ar, Event& event, unsigned version)
{
    boost::serialization::split_free(ar, event, version);
}

template <class Ar>
void save_construct_data(Ar& ar, const Event* event, unsigned)
{
    EventProperty* property = const_cast<EventProperty*>(&event->GetProperty());
    ar << boost::serialization::make_nvp("ID", event->GetID()) << boost::serialization::make_nvp("Property", property);
}

template <class Ar>
void load_construct_data(Ar& ar, Event* event, unsigned)
{
    ID id;
    EventProperty* raw = nullptr;
    ar >> boost::serialization::make_nvp("ID", id) >> boost::serialization::make_nvp("Property", raw);
    const std::unique_ptr<EventProperty> property(raw);
    if (!property)
        boost::serialization::throw_exception(boost::archive::archive_exception(
            boost::archive::archive_exception::input_stream_error));
    ::new (event) Event(id, *property);
}

template <class Ar>
void save(Ar& ar, const EventLog& log, unsigned)
{
    using boost::serialization::make_nvp;
    const int max = log.GetMax();
    ar << make_nvp("EventList", log.GetEventList()) << make_nvp("NextID", log.GetNextID()) << make_nvp("Max", max);
}
template <class Ar>
void load(Ar& ar, EventLog& log, unsigned)
{
    using boost::serialization::make_nvp;
    EventLog::EventList events;
    ID nextID;
    int max = 0;
    ar >> make_nvp("EventList", events) >> make_nvp("NextID", nextID) >> make_nvp("Max", max);
    log = EventLog(events, nextID, max);
}
template <class Ar>
void serialize(Ar& ar, EventLog& log, unsigned version)
{
    boost::serialization::split_free(ar, log, version);
}

// An entry is written through its shared pointer: identifier and property as
// construction data, then its log and its latest feed. Reading takes all four before
// the entry is built, so that a failure anywhere leaves no half-built entry behind
// (the archive library would not destroy one).
template <class Ar>
void save(Ar& ar, const Entry& entry, unsigned)
{
    using boost::serialization::make_nvp;
    Stored::Optional<RSS::RSSFeed> feed;
    feed.external = entry.GetLatestRSSFeed().get();
    ar << make_nvp("EventLog", entry.ReadEventLog()) << make_nvp("LatestRSSFeed", feed);
}
template <class Ar>
void load(Ar&, Entry&, unsigned)
{
}
template <class Ar>
void serialize(Ar& ar, Entry& entry, unsigned version)
{
    boost::serialization::split_free(ar, entry, version);
}

template <class Ar>
void save_construct_data(Ar& ar, const Entry* entry, unsigned)
{
    ar << boost::serialization::make_nvp("ID", entry->GetID())
       << boost::serialization::make_nvp("Property", entry->GetProperty());
}
template <class Ar>
void load_construct_data(Ar& ar, Entry* entry, unsigned)
{
    using boost::serialization::make_nvp;
    ID id;
    EntryProperty property;
    EventLog log;
    Stored::Optional<RSS::RSSFeed> feed;
    ar >> make_nvp("ID", id) >> make_nvp("Property", property) >> make_nvp("EventLog", log) >>
        make_nvp("LatestRSSFeed", feed);
    ::new (entry) Entry(id, property);
    entry->SetEventLog(log);
    entry->SetLatestRSSFeed(feed.value);
}

template <class Ar>
void save(Ar& ar, const EntryDB& db, unsigned)
{
    ar << boost::serialization::make_nvp("NextID", db.GetNextID())
       << boost::serialization::make_nvp("EntryList", db.GetEntryList());
}
template <class Ar>
void load(Ar& ar, EntryDB& db, unsigned)
{
    ID nextID;
    EntryDB::EntryList entries;
    ar >> boost::serialization::make_nvp("NextID", nextID) >> boost::serialization::make_nvp("EntryList", entries);
    for (const auto& entry : entries)
        if (!entry)
            boost::serialization::throw_exception(boost::archive::archive_exception(
                boost::archive::archive_exception::input_stream_error));
    db = EntryDB(nextID, std::move(entries));
}
template <class Ar>
void serialize(Ar& ar, EntryDB& db, unsigned version)
{
    boost::serialization::split_free(ar, db, version);
}

}  // namespace MonitoredEntry
