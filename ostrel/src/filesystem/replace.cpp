#include <ostrel/exception.hpp>
#include <ostrel/filesystem/replace.hpp>

#include <boost/filesystem/operations.hpp>

#include <fcntl.h>
#include <unistd.h>

namespace ostrel::filesystem {

void sync_file(const boost::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) OSTREL_THROW(open_file_failure());
    const bool synced = ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!synced || !closed) OSTREL_THROW(open_file_failure());
}

void sync_directory(const boost::filesystem::path& directory)
{
    const auto dir = directory.empty() ? boost::filesystem::path(".") : directory;
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

void commit_replacement(const boost::filesystem::path& temporary, const boost::filesystem::path& target)
{
    sync_file(temporary);
    boost::filesystem::rename(temporary, target);
    sync_directory(target.parent_path());
}

}  // namespace ostrel::filesystem
