#include <ostrel/exception.hpp>
#include <ostrel/filesystem/unique_entry.hpp>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/filesystem/operations.hpp>
#include <boost/format.hpp>

#include <cstdint>
#include <limits>

namespace ostrel::filesystem {

namespace detail {

std::string time_stem()
{
    const auto now = boost::posix_time::microsec_clock::local_time();
    const auto date = now.date();
    const auto time = now.time_of_day();
    const auto day = boost::str(boost::format("%04d%02d%02d") % static_cast<int>(date.year()) %
                                static_cast<int>(date.month()) % static_cast<int>(date.day()));
    const long micro = static_cast<long>(time.fractional_seconds() * 1000000 / time.ticks_per_second());
    return boost::str(boost::format("%s%s%s%s%s") % day % time.hours() % time.minutes() % time.seconds() % micro);
}

std::shared_ptr<boost::filesystem::path> unique_entry_with_stem(const boost::filesystem::path& parent,
                                                                const std::string& prefix, const std::string& stem)
{
    constexpr std::uint32_t last = std::numeric_limits<std::uint32_t>::max();
    const int width = 8;  // hexadecimal digits of the largest unsigned 32-bit number
    const std::string counterFormat = boost::str(boost::format("%%0%dX") % width);
    for (std::uint32_t counter = 0; counter < last; ++counter) {
        const auto name = boost::str(boost::format("%s%s%s") % prefix % stem %
                                     boost::str(boost::format(counterFormat) % counter));
        const auto candidate = parent / name;
        if (boost::filesystem::create_directories(candidate))
            return std::make_shared<boost::filesystem::path>(candidate);
    }
    OSTREL_THROW(runtime_error());
}

}  // namespace detail

std::shared_ptr<boost::filesystem::path> unique_entry(const boost::filesystem::path& parent,
                                                      const std::string& prefix)
{
    return detail::unique_entry_with_stem(parent, prefix, detail::time_stem());
}

}  // namespace ostrel::filesystem
