#pragma once
// Durable file replacement: a file written under a temporary name is flushed to the
// disk and then renamed over the target, so the target is always complete.

#include <boost/filesystem/path.hpp>

namespace ostrel::filesystem {

/// Flushes a written file to the disk; throws open_file_failure if that fails.
void sync_file(const boost::filesystem::path& file);
/// Flushes a directory's entries (a rename in it) to the disk; failures are ignored.
void sync_directory(const boost::filesystem::path& directory);
/// sync_file(temporary), rename it over target, sync the target's directory.
void commit_replacement(const boost::filesystem::path& temporary, const boost::filesystem::path& target);

}  // namespace ostrel::filesystem
