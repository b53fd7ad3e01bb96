#include <ostrel/network/rfc822_date_parser.hpp>

#include <boost/spirit/include/classic_assign_actor.hpp>
#include <boost/spirit/include/classic_core.hpp>
#include <boost/spirit/include/classic_loops.hpp>
#include <boost/spirit/include/classic_symbols.hpp>

namespace ostrel::network {

bool rfc822_date_parser::parse(const std::string& text)
{
    using namespace boost::spirit::classic;

    // The tables live in this call: parsing shares no state between threads.
    symbols<int> weekdays;
    weekdays.add("Sun", 1)("Mon", 2)("Tue", 3)("Wed", 4)("Thu", 5)("Fri", 6)("Sat", 7);
    symbols<int> months;
    months.add("Jan", 1)("Feb", 2)("Mar", 3)("Apr", 4)("May", 5)("Jun", 6)("Jul", 7)("Aug", 8)("Sep", 9)(
        "Oct", 10)("Nov", 11)("Dec", 12);

    const uint_parser<int, 10, 1, 2> dayDigits;
    const uint_parser<int, 10, 4, 4> yearDigits;
    const uint_parser<int, 10, 2, 2> twoDigits;

    result r;
    int weekday = -1;
    // Each token is a lexeme: white space separates tokens but never splits one.
    const bool accepted =
        boost::spirit::classic::parse(
            text.c_str(),
            // weekday, then day, month, year
            !lexeme_d[weekdays[assign_a(weekday)] >> ch_p(',')][assign_a(r.weekday, weekday)] >>
                lexeme_d[dayDigits[assign_a(r.day)]] >> lexeme_d[months[assign_a(r.month)]] >>
                lexeme_d[yearDigits[assign_a(r.year)]] >>
                // time
                lexeme_d[twoDigits[assign_a(r.hour)] >> ch_p(':') >> twoDigits[assign_a(r.minute)] >>
                         !(ch_p(':') >> twoDigits[assign_a(r.second)])] >>
                // zone: the first alternative that matches wins
                lexeme_d[(str_p("UT") | str_p("GMT") | str_p("EST") | str_p("EDT") | str_p("CST") | str_p("CDT") |
                          str_p("MST") | str_p("MDT") | str_p("PST") | str_p("PDT") | (range_p('A', 'Z') - ch_p('J')) |
                          ((ch_p('+') | ch_p('-')) >> repeat_p(4)[digit_p]))[assign_a(r.zone)]] >>
                // trailing white space is skipped before the end
                end_p,
            space_p)
            .full;
    r.full = accepted;
    result_ = r;
    return accepted;
}

}  // namespace ostrel::network
