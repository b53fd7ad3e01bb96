#pragma once
// An actor that hands every item of a queue to a handler. To stop it, disable the
// queue and stop the actor; to restart it, enable the queue and start it again.

#include <ostrel/exception.hpp>
#include <ostrel/thread/actor.hpp>

#include <boost/thread/thread.hpp>

#include <functional>

namespace ostrel {

template <class Queue, class Item>
class worker : public actor<boost_thread_actor_impl> {
public:
    using handler_type = std::function<void(const Item&)>;

    worker(Queue& queue, handler_type handler) : queue_(queue), handler_(std::move(handler)) {}
    ~worker() override
    {
        try {
            stop();
        } catch (...) {
        }
    }

protected:
    int run() override
    {
        try {
            for (;;) {
                Item item;
                queue_.pop(item);
                boost::this_thread::interruption_point();
                handler_(item);
            }
        } catch (const sync_queue_disabled&) {
            return 0;
        } catch (const boost::thread_interrupted&) {
            return 0;
        }
    }

private:
    Queue& queue_;
    handler_type handler_;
};

}  // namespace ostrel
