#pragma once

#include <boost/filesystem/path.hpp>

#include <memory>
#include <string>

namespace ostrel::filesystem {

/// Creates a new, uniquely named directory `parent`/`prefix`<time stem><counter> and
/// returns its path. The creation itself is the test, so callers in the same
/// microsecond still get different directories.
std::shared_ptr<boost::filesystem::path> unique_entry(const boost::filesystem::path& parent,
                                                      const std::string& prefix);

namespace detail {
/// unique_entry with a given time stem (the local time of the call in unique_entry).
std::shared_ptr<boost::filesystem::path> unique_entry_with_stem(const boost::filesystem::path& parent,
                                                                const std::string& prefix, const std::string& stem);
/// The time stem of now: yyyymmdd, then hour, minute, second and microsecond without leading zeros.
std::string time_stem();
}  // namespace detail

}  // namespace ostrel::filesystem
