#pragma once
// A bounded blocking queue that can be switched off: disabling wakes every
// thread blocked on it, and each of them leaves with sync_queue_disabled.

#include <ostrel/exception.hpp>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

namespace ostrel {

template <class T>
class sync_queue {
public:
    explicit sync_queue(std::size_t capacity) : capacity_(capacity) {}
    sync_queue(const sync_queue&) = delete;
    sync_queue& operator=(const sync_queue&) = delete;

    /// Blocks while the queue is full.
    void push(const T& item)
    {
        std::unique_lock lock(mutex_);
        not_full_.wait(lock, [&] { return !enabled_ || items_.size() < capacity_; });
        if (!enabled_) OSTREL_THROW(sync_queue_disabled());
        items_.push_front(item);
        not_empty_.notify_all();
    }

    /// Never blocks; false when the queue is full.
    bool try_push(const T& item)
    {
        std::lock_guard lock(mutex_);
        if (!enabled_) OSTREL_THROW(sync_queue_disabled());
        if (items_.size() >= capacity_) return false;
        items_.push_front(item);
        not_empty_.notify_all();
        return true;
    }

    /// Blocks while the queue is empty; takes the oldest item.
    void pop(T& item)
    {
        std::unique_lock lock(mutex_);
        not_empty_.wait(lock, [&] { return !enabled_ || !items_.empty(); });
        if (!enabled_) OSTREL_THROW(sync_queue_disabled());
        take(item);
    }

    /// Waits at most `milliseconds` from the call; false on time-out.
    bool pop(T& item, long milliseconds)
    {
        std::unique_lock lock(mutex_);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        if (!not_empty_.wait_until(lock, deadline, [&] { return !enabled_ || !items_.empty(); })) return false;
        if (!enabled_) OSTREL_THROW(sync_queue_disabled());
        take(item);
        return true;
    }

    void enable()
    {
        std::lock_guard lock(mutex_);
        enabled_ = true;
    }

    void disable()
    {
        std::lock_guard lock(mutex_);
        enabled_ = false;
        not_full_.notify_all();
        not_empty_.notify_all();
    }

    std::size_t size() const
    {
        std::lock_guard lock(mutex_);
        return items_.size();
    }

    std::size_t capacity() const { return capacity_; }

private:
    void take(T& item)
    {
        item = std::move(items_.back());
        items_.pop_back();
        not_full_.notify_all();
    }

    const std::size_t capacity_;
    bool enabled_ = true;
    std::deque<T> items_;  // newest at the front, oldest at the back
    mutable std::mutex mutex_;
    std::condition_variable not_full_;
    std::condition_variable not_empty_;
};

}  // namespace ostrel
