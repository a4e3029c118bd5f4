#pragma once

#include "platform/scenes/Application.h"

#include <memory>

namespace glimmo {

// Makes one Delegate and installs it as the application's delegate: its applicationDidFinishLaunching()
// runs once the application has launched, while the adaptor's delegate lives.
template <class Delegate>
class ApplicationDelegateAdaptor {
public:
    ApplicationDelegateAdaptor() : delegate_(std::make_shared<Delegate>()) {
        Application::shared().setDidFinishLaunchingHandler([weak = std::weak_ptr<Delegate>(delegate_)] {
            if (auto delegate = weak.lock()) delegate->applicationDidFinishLaunching();
        });
    }

    Delegate& wrappedValue() const { return *delegate_; }
    const std::shared_ptr<Delegate>& delegate() const { return delegate_; }

private:
    std::shared_ptr<Delegate> delegate_;
};

} // namespace glimmo
