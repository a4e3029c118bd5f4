#pragma once

#include "platform/runtime/Observable.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

struct Notification {
    std::string name;
};

// In-process notifications by name, delivered synchronously on the posting thread (the main thread).
class NotificationCenter {
public:
    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    static NotificationCenter& defaultCenter();

    // The observer stays registered while the returned subscription lives.
    [[nodiscard]] Subscription addObserver(std::string name, std::function<void(const Notification&)> observer);

    // Calls every observer of `name` registered at the time of posting, in the order they were added.
    void post(const std::string& name);

private:
    struct Registry;
    std::shared_ptr<Registry> registry_;
};

} // namespace glimmo
