#include "RSS/EventTime.hpp"

#include <ostrel/network/rfc822_date_parser.hpp>

#include <boost/date_time/gregorian/gregorian_types.hpp>
#include <boost/date_time/posix_time/posix_time_types.hpp>

#include <cwchar>

namespace RSS {

namespace {

boost::posix_time::ptime CalendarTime(const EventTime& t)
{
    // The date library rejects dates the calendar does not have; times carry over.
    const boost::gregorian::date date(static_cast<unsigned short>(t.GetYear()),
                                      static_cast<unsigned short>(t.GetMonth()),
                                      static_cast<unsigned short>(t.GetDay()));
    return boost::posix_time::ptime(date, boost::posix_time::hours(t.GetHour()) +
                                              boost::posix_time::minutes(t.GetMinute()) +
                                              boost::posix_time::seconds(t.GetSecond().value_or(0)));
}

void RequireCompatible(const EventTime& a, const EventTime& b)
{
    if (a.GetSecond().has_value() != b.GetSecond().has_value()) OSTREL_THROW(IncompatibleTimeString());
}

}  // namespace

EventTime::EventTime(const std::string& text)
{
    ostrel::network::rfc822_date_parser parser;
    if (!parser.parse(text)) OSTREL_THROW(InvalidTimeString() << ostrel::error_message(text));
    text_ = text;
    if (parser.weekday() != -1) weekday_ = parser.weekday();
    day_ = parser.day();
    month_ = parser.month();
    year_ = parser.year();
    hour_ = parser.hour();
    minute_ = parser.minute();
    if (parser.second() != -1) second_ = parser.second();
    zone_ = parser.zone();
}

bool EventTime::IsValidText(const std::string& text)
{
    ostrel::network::rfc822_date_parser parser;
    return parser.parse(text);
}

std::wstring EventTime::ToDisplayText() const
{
    wchar_t buffer[64];
    if (second_)
        std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%d/%02d/%02d %02d:%02d:%02d", year_, month_, day_,
                      hour_, minute_, *second_);
    else
        std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%d/%02d/%02d %02d:%02d", year_, month_, day_, hour_,
                      minute_);
    return buffer;
}

bool EventTime::operator==(const EventTime& other) const
{
    RequireCompatible(*this, other);
    return CalendarTime(*this) == CalendarTime(other);
}

bool EventTime::operator<(const EventTime& other) const
{
    RequireCompatible(*this, other);
    return CalendarTime(*this) < CalendarTime(other);
}

}  // namespace RSS
