#pragma once
// Where a virtual list's rows come from. A list holds keys only; the data behind them
// stay with their owner (the entry manager, or a user list fetched from a machine),
// which the source locks while a row is read.

#include <memory>
#include <vector>

namespace UI::VirtualList {

/// The lock of a source whose data need none (a user list owned by its dialog).
struct NoLock {
    void lock() {}
    void unlock() {}
};

/// The keys a list shows and the lock that guards the data behind them.
/// `Lock` may be taken again by the thread that holds it: the entry manager's lock is
/// recursive, and a dialog may lock the source around a call that locks it again.
template <class KeyT, class LockT = NoLock, class ContainerT = std::vector<KeyT>>
class Source {
public:
    using key_type = KeyT;
    using lock_type = LockT;
    using container_type = ContainerT;

    virtual ~Source() = default;

    /// A new container with the keys to show, in the data's own order.
    virtual std::shared_ptr<container_type> Keys() const = 0;
    /// Whether the key still refers to data; keys kept by a list may have gone stale.
    virtual bool Exists(const key_type& key) const = 0;
    virtual void Lock() const = 0;
    virtual void Unlock() const = 0;
};

/// Holds a source locked for its lifetime.
template <class SourceT>
class ScopedLock {
public:
    explicit ScopedLock(const SourceT& source) : source_(source) { source_.Lock(); }
    ~ScopedLock() { source_.Unlock(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    const SourceT& source_;
};

}  // namespace UI::VirtualList
