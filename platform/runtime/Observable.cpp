#include "platform/runtime/Observable.h"

namespace glimmo {

Subscription& Subscription::operator=(Subscription&& other) noexcept {
    if (this != &other) {
        cancel();
        cancel_ = std::exchange(other.cancel_, nullptr);
    }
    return *this;
}

void Subscription::cancel() {
    if (auto cancel = std::exchange(cancel_, nullptr)) cancel();
}

}  // namespace glimmo
