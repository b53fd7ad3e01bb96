#include "MonitoredEntry/MFP.hpp"

#include "Utility/Text.hpp"

#include <boost/xpressive/xpressive_static.hpp>

namespace MonitoredEntry {

namespace {

constexpr std::size_t kMaxHostLength = 255;

bool IsPort(const boost::optional<int>& port) { return !port || (*port >= 0 && *port <= 65535); }

bool MatchesHostRule(const std::string& host)
{
    using namespace boost::xpressive;
    // One part of a dotted address: 0..255 without leading zeros.
    static const sregex part = (as_xpr("25") >> range('0', '5')) | (as_xpr('2') >> range('0', '4') >> _d) |
                               (as_xpr('1') >> _d >> _d) | (range('1', '9') >> _d) | _d;
    static const sregex ipv4 = bos >> repeat<3>(part >> '.') >> part >> eos;
    static const sregex alnum = set[range('a', 'z') | range('A', 'Z') | range('0', '9')];
    static const sregex label = (alnum >> *set[range('a', 'z') | range('A', 'Z') | range('0', '9') | '-' | '_'] >>
                                 alnum) |
                                alnum;
    static const sregex name = bos >> label >> *('.' >> label) >> eos;
    if (regex_match(host, ipv4)) return true;
    return host.size() <= kMaxHostLength && regex_match(host, name);
}

}  // namespace

MFP::MFP(const boost::optional<std::wstring>& name, const std::wstring& host, const boost::optional<int>& http,
         const boost::optional<int>& https, bool ssl)
    : name_(name), host_(host), http_(http), https_(https), ssl_(ssl)
{
}

bool MFP::IsValidHost(const std::wstring& host) { return MatchesHostRule(Text::Narrow(host)); }

bool MFP::IsValid() const
{
    if (name_ && name_->empty()) return false;
    if (!IsValidHost(host_)) return false;
    if (ssl_ ? !https_ : !http_) return false;
    return IsPort(http_) && IsPort(https_);
}

bool operator==(const MFP& a, const MFP& b)
{
    return a.name_ == b.name_ && a.host_ == b.host_ && a.http_ == b.http_ && a.https_ == b.https_ &&
           a.ssl_ == b.ssl_;
}

}  // namespace MonitoredEntry
