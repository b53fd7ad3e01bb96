#pragma once
// Recognises an RFC 822 date-time text and splits it into its fields.
//
// Accepted: [Www,] d[d] Mmm yyyy hh:mm[:ss] zone, tokens separated by any white
// space, with the zone one of UT GMT EST EDT CST CDT MST MDT PST PDT, a single
// upper-case letter other than J, or +hhmm / -hhmm. Names are case-sensitive and no
// ranges are checked: a day of 99 is accepted.

#include <string>

namespace ostrel::network {

class rfc822_date_parser {
public:
    struct result {
        bool full = false;
        int weekday = -1;  // 1 "Sun" .. 7 "Sat", -1 when absent
        int day = -1;
        int month = -1;    // 1 "Jan" .. 12 "Dec"
        int year = -1;
        int hour = -1;
        int minute = -1;
        int second = -1;   // -1 when absent
        std::string zone;  // as written
    };

    /// True when the whole text is accepted; the fields are readable afterwards.
    bool parse(const std::string& text);

    const result& get() const { return result_; }
    bool full() const { return result_.full; }
    int weekday() const { return result_.weekday; }
    int day() const { return result_.day; }
    int month() const { return result_.month; }
    int year() const { return result_.year; }
    int hour() const { return result_.hour; }
    int minute() const { return result_.minute; }
    int second() const { return result_.second; }
    const std::string& zone() const { return result_.zone; }

private:
    result result_;
};

}  // namespace ostrel::network
