#include "platform/window/Responder.h"

namespace glimmo {

bool Responder::respondsTo(const std::string&) const { return false; }

bool Responder::perform(const std::string&) { return false; }

Responder* Responder::supplementalTargetForAction(const std::string&, const void*) { return nullptr; }

Responder* targetForAction(const std::string& action, Responder* target, const void* sender) {
    if (target == nullptr) return nullptr;
    if (target->respondsTo(action)) return target;
    Responder* other = target->supplementalTargetForAction(action, sender);
    if (other != nullptr && other->respondsTo(action)) return other;
    return nullptr;
}

} // namespace glimmo
