#include "System/InstanceLock.hpp"

#include "System/System.hpp"
#include "System/SystemError.hpp"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace System {

InstanceLock::InstanceLock(const std::string& name) : path_(NarrowPath(RuntimeDirectory()) + name + ".lock")
{
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) OSTREL_THROW(SystemError(errno));
}

InstanceLock::~InstanceLock()
{
    Release();
    ::close(fd_);
}

bool InstanceLock::TryTake()
{
    if (held_) return true;
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) held_ = true;
    return held_;
}

void InstanceLock::Release()
{
    if (!held_) return;
    ::flock(fd_, LOCK_UN);
    held_ = false;
}

}  // namespace System
