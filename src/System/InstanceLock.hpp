#pragma once
// The single-instance lock: an exclusive lock on a file named after the lock in the
// runtime directory. It is only ever tried, never waited for, and the system frees
// it when its owner dies.

#include <string>

namespace System {

class InstanceLock {
public:
    /// Opens (creating if needed) the lock file; throws SystemError when it cannot.
    explicit InstanceLock(const std::string& name);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    /// Takes the lock without waiting; true if this object holds it now.
    bool TryTake();
    /// Gives the lock up (nothing happens if it is not held).
    void Release();
    bool Held() const { return held_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool held_ = false;
};

}  // namespace System
