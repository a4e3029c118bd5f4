#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace glimmo {

// One background thread that runs work items in the order they were posted. Started on the first
// post; the destructor runs what is still queued and joins the thread.
class BackgroundQueue {
public:
    BackgroundQueue() = default;
    ~BackgroundQueue();
    BackgroundQueue(const BackgroundQueue&) = delete;
    BackgroundQueue& operator=(const BackgroundQueue&) = delete;

    void post(std::function<void()> work);

private:
    void run();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> items_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace glimmo
