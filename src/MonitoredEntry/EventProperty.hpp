#pragma once
// What a machine's feed item said about one logged event: sixteen values in their
// stored order. Always built from all sixteen; there is no default.

#include "RSS/EventTime.hpp"

#include <boost/optional.hpp>

#include <string>

namespace MonitoredEntry {

class EventProperty {
public:
    using OptionalText = boost::optional<std::wstring>;

    EventProperty(const std::wstring& category, const std::wstring& categoryid, const std::string& categorytype,
                  const std::wstring& categorynotice, const std::wstring& info, const OptionalText& thumbNailURL,
                  const OptionalText& voiceURL, const OptionalText& detailList, const std::string& descriptionview,
                  const OptionalText& docID, const OptionalText& notify, const OptionalText& content,
                  const OptionalText& status, const OptionalText& notifyId, const RSS::EventTime& notifyDate,
                  const RSS::EventTime& time);

    /// Event name shown to the person.
    const std::wstring& GetCategory() const { return category_; }
    const std::wstring& GetCategoryid() const { return categoryid_; }
    const std::string& GetCategorytype() const { return categorytype_; }
    /// Decimal number whose bits select how the event is announced.
    const std::wstring& GetCategorynotice() const { return categorynotice_; }
    /// Related information shown with the event.
    const std::wstring& GetInfo() const { return info_; }
    const OptionalText& GetThumbNailURL() const { return thumbNailURL_; }
    const OptionalText& GetVoiceURL() const { return voiceURL_; }
    const OptionalText& GetDetailList() const { return detailList_; }
    const std::string& GetDescriptionview() const { return descriptionview_; }
    /// The document at the machine; present for document events.
    const OptionalText& GetDocID() const { return docID_; }
    const OptionalText& GetNotify() const { return notify_; }
    const OptionalText& GetContent() const { return content_; }
    const OptionalText& GetStatus() const { return status_; }
    const OptionalText& GetNotifyId() const { return notifyId_; }
    const RSS::EventTime& GetNotifyDate() const { return notifyDate_; }
    const RSS::EventTime& GetTime() const { return time_; }

    /// The logged event and this one are the same event: equal category, info,
    /// thumbnail address, document and time. Nothing else takes part.
    bool IsSameEvent(const EventProperty& other) const;

private:
    std::wstring category_;
    std::wstring categoryid_;
    std::string categorytype_;
    std::wstring categorynotice_;
    std::wstring info_;
    OptionalText thumbNailURL_;
    OptionalText voiceURL_;
    OptionalText detailList_;
    std::string descriptionview_;
    OptionalText docID_;
    OptionalText notify_;
    OptionalText content_;
    OptionalText status_;
    OptionalText notifyId_;
    RSS::EventTime notifyDate_;
    RSS::EventTime time_;
};

}  // namespace MonitoredEntry
