#include "MonitoredEntry/EventProperty.hpp"

#include <stdexcept>

namespace MonitoredEntry {

EventProperty::EventProperty(const std::wstring& category, const std::wstring& categoryid,
                             const std::string& categorytype, const std::wstring& categorynotice,
                             const std::wstring& info, const OptionalText& thumbNailURL, const OptionalText& voiceURL,
                             const OptionalText& detailList, const std::string& descriptionview,
                             const OptionalText& docID, const OptionalText& notify, const OptionalText& content,
                             const OptionalText& status, const OptionalText& notifyId,
                             const RSS::EventTime& notifyDate, const RSS::EventTime& time)
    : category_(category), categoryid_(categoryid), categorytype_(categorytype), categorynotice_(categorynotice),
      info_(info), thumbNailURL_(thumbNailURL), voiceURL_(voiceURL), detailList_(detailList),
      descriptionview_(descriptionview), docID_(docID), notify_(notify), content_(content), status_(status),
      notifyId_(notifyId), notifyDate_(notifyDate), time_(time)
{
}

bool EventProperty::IsSameEvent(const EventProperty& other) const
{
    if (!(category_ == other.category_ && info_ == other.info_ && thumbNailURL_ == other.thumbNailURL_ &&
          docID_ == other.docID_))
        return false;
    // Times that cannot be compared (one without seconds, or a date the calendar does
    // not have) must not stop the event from being logged: they are the same time
    // only when written the same way.
    try {
        return time_ == other.time_;
    } catch (const RSS::IncompatibleTimeString&) {
        return false;
    } catch (const std::out_of_range&) {
        return time_.GetText() == other.time_.GetText();
    }
}

}  // namespace MonitoredEntry
