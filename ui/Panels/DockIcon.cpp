#include "ui/Panels/DockIcon.h"

namespace glimmo {

namespace {

ActivationPolicy& policy() {
    static ActivationPolicy current = ActivationPolicy::regular;
    return current;
}

} // namespace

void applyDockIconRule(bool hideDockIcon) {
    policy() = hideDockIcon ? ActivationPolicy::accessory : ActivationPolicy::regular;
}

ActivationPolicy currentActivationPolicy() {
    return policy();
}

} // namespace glimmo
