#pragma once
// The time of an RSS item or feed: the RFC 822 text it came from and its fields.
// Immutable once built; compared as written, without converting zones.

#include <ostrel/exception.hpp>

#include <boost/optional.hpp>

#include <string>

namespace RSS {

/// The text is not an RFC 822 date-time.
class InvalidTimeString : public ostrel::runtime_error {
public:
    const char* what() const noexcept override { return "RSS::InvalidTimeString"; }
};

/// One time has seconds and the other has none, so they cannot be compared.
class IncompatibleTimeString : public ostrel::runtime_error {
public:
    const char* what() const noexcept override { return "RSS::IncompatibleTimeString"; }
};

class EventTime {
public:
    /// Parses the text; throws InvalidTimeString when it is not accepted.
    explicit EventTime(const std::string& text);

    const std::string& GetText() const { return text_; }
    const boost::optional<int>& GetWeekday() const { return weekday_; }
    int GetDay() const { return day_; }
    int GetMonth() const { return month_; }
    int GetYear() const { return year_; }
    int GetHour() const { return hour_; }
    int GetMinute() const { return minute_; }
    const boost::optional<int>& GetSecond() const { return second_; }
    const std::string& GetZone() const { return zone_; }

    /// "yyyy/mm/dd hh:mm:ss", or "yyyy/mm/dd hh:mm" without a second; as written.
    std::wstring ToDisplayText() const;

    /// Both throw IncompatibleTimeString when exactly one of the two has a second, and
    /// the date library's std::out_of_range when a date does not exist in the calendar.
    bool operator==(const EventTime& other) const;
    bool operator<(const EventTime& other) const;
    bool operator!=(const EventTime& other) const { return !(*this == other); }

    /// True when the text is an accepted RFC 822 date-time.
    static bool IsValidText(const std::string& text);

private:
    std::string text_;
    boost::optional<int> weekday_;
    int day_ = 0;
    int month_ = 0;
    int year_ = 0;
    int hour_ = 0;
    int minute_ = 0;
    boost::optional<int> second_;
    std::string zone_;
};

}  // namespace RSS
