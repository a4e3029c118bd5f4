#include "platform/view/Animation.h"

namespace glimmo {
namespace {
thread_local Transaction activeTransaction;
} // namespace

void withTransaction(const Transaction& transaction, const std::function<void()>& body) {
    const Transaction saved = activeTransaction;
    activeTransaction = transaction;
    try {
        body();
    } catch (...) {
        activeTransaction = saved;
        throw;
    }
    activeTransaction = saved;
}

void withAnimation(std::optional<Animation> animation, const std::function<void()>& body) {
    Transaction t;
    t.animation = animation;
    withTransaction(t, body);
}

const Transaction& currentTransaction() { return activeTransaction; }

} // namespace glimmo
