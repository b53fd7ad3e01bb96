#pragma once
// Actors: objects that own one thread, start and stop it on request, keep the
// value its work returned and the exception that ended it.

#include <boost/thread/thread.hpp>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace ostrel {

class inf_actor {
public:
    virtual ~inf_actor() = default;
    virtual int exit_code() const = 0;
    virtual bool running() const = 0;
    virtual void start() = 0;
    virtual void interrupt() = 0;
    virtual void stop() = 0;
    virtual void rethrow() const = 0;

protected:
    virtual void on_start() {}
    virtual void on_interrupt() {}
    virtual int run() = 0;
};

/// A library thread with interruption points: interrupt() makes a blocked wait,
/// sleep or explicit interruption point in the thread throw boost::thread_interrupted.
class boost_thread_actor_impl {
public:
    void launch(std::function<void()> body) { thread_ = boost::thread(std::move(body)); }
    void interrupt_thread() { thread_.interrupt(); }
    void join() { thread_.join(); }
    bool has_live_thread() const { return thread_.joinable(); }
    void release() {}

private:
    boost::thread thread_;
};

/// A thread that may own windows and run modal loops. It is never interrupted from
/// outside: the thread polls interruption_requested() itself.
class ui_thread_actor_impl {
public:
    void launch(std::function<void()> body) { thread_ = std::thread(std::move(body)); }
    void interrupt_thread() {}
    void join()
    {
        if (thread_.joinable()) thread_.join();
    }
    bool has_live_thread() const { return thread_.joinable(); }
    void release() { thread_ = std::thread(); }

private:
    std::thread thread_;
};

template <class ThreadPolicy>
class actor : public inf_actor {
public:
    actor() = default;
    actor(const actor&) = delete;
    actor& operator=(const actor&) = delete;

    /// Concrete actors call stop() in their own destructor, while their run() still exists.
    ~actor() override = default;

    int exit_code() const override
    {
        std::lock_guard lock(state_);
        return exit_code_;
    }

    bool running() const override
    {
        std::lock_guard lock(state_);
        return started_ || policy_.has_live_thread();
    }

    void start() override
    {
        std::lock_guard control(control_);
        if (running()) return;
        {
            std::lock_guard lock(state_);
            stored_ = nullptr;
            started_ = true;
            stop_requested_ = false;
        }
        on_start();
        std::lock_guard lock(state_);
        policy_.launch([this] { body(); });
    }

    void interrupt() override
    {
        std::lock_guard control(control_);
        {
            std::lock_guard lock(state_);
            if (stop_requested_) return;
            policy_.interrupt_thread();
            stop_requested_ = true;
        }
        on_interrupt();
    }

    void stop() override
    {
        std::lock_guard control(control_);
        if (!running()) return;
        interrupt();
        policy_.join();
        std::lock_guard lock(state_);
        policy_.release();
        started_ = false;
    }

    void rethrow() const override
    {
        std::lock_guard lock(state_);
        if (stored_) std::rethrow_exception(stored_);
    }

    /// True once a stop was asked for; the thread of a ui_thread_actor_impl polls it.
    bool interruption_requested() const
    {
        std::lock_guard lock(state_);
        return stop_requested_;
    }

private:
    void body()
    {
        try {
            const int code = run();
            std::lock_guard lock(state_);
            exit_code_ = code;
        } catch (...) {
            std::lock_guard lock(state_);
            stored_ = std::current_exception();
        }
    }

    ThreadPolicy policy_;
    bool started_ = false;
    bool stop_requested_ = false;
    int exit_code_ = 0;
    std::exception_ptr stored_;
    mutable std::recursive_mutex state_;
    std::recursive_mutex control_;
};

}  // namespace ostrel
