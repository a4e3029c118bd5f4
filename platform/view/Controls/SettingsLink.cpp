#include "platform/view/Controls/SettingsLink.h"

#include "platform/view/Button.h"

namespace glimmo {

AnyView SettingsLink::body() const {
    auto open = *open_;
    return Button([open] {
        if (open && *open) (*open)();
    }, label_);
}

} // namespace glimmo
