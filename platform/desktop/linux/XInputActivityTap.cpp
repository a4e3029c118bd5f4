#include "platform/desktop/linux/XInputActivityTap.h"

#include "platform/desktop/linux/X11Support.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/RunLoop.h"

#include <X11/extensions/XInput2.h>

#include <array>

namespace glimmo {
namespace {

struct Listener {
    std::function<void(InputEventKind)> onEvent;
};

// Primary, middle and secondary buttons; 4 to 7 are wheel steps, which are not held.
bool isDragButton(int button) { return button >= 1 && button <= 3; }

} // namespace

struct XInputActivityTap::Impl {
    std::string displayName;
    std::string lastError;
    std::shared_ptr<Listener> listener;
    std::unique_ptr<x11::EventReader> reader;
    // Touched only by the reader thread.
    int heldButtons = 0;
};

XInputActivityTap::XInputActivityTap(std::string displayName) : impl_(std::make_unique<Impl>()) {
    impl_->displayName = std::move(displayName);
}

XInputActivityTap::~XInputActivityTap() { stop(); }

bool XInputActivityTap::start(std::function<void(InputEventKind)> onEvent) {
    stop();
    const auto fail = [this](std::string reason) {
        impl_->lastError = std::move(reason);
        systemLog("⚠️ Input activity tap not available: " + impl_->lastError);
        return false;
    };
    auto display = x11::openDisplay(impl_->displayName);
    if (!display) {
        return fail("cannot open the X display (is this an X11 session? Wayland is not supported)");
    }
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    if (!XQueryExtension(display.get(), "XInputExtension", &opcode, &firstEvent, &firstError)) {
        return fail("the X server has no XInput extension");
    }
    // From 2.1 on, raw events arrive even while another client holds a grab (an open menu, a drag
    // inside a window); a client that announces 2.0 would miss exactly that input.
    int major = 2;
    int minor = 2;
    if (XIQueryVersion(display.get(), &major, &minor) != Success || major < 2) {
        return fail("the X server does not support XInput 2");
    }

    std::array<unsigned char, XIMaskLen(XI_LASTEVENT)> mask{};
    XISetMask(mask.data(), XI_RawMotion);
    XISetMask(mask.data(), XI_RawKeyPress);
    XISetMask(mask.data(), XI_RawButtonPress);
    XISetMask(mask.data(), XI_RawButtonRelease);
    XIEventMask eventMask{XIAllMasterDevices, static_cast<int>(mask.size()), mask.data()};
    if (XISelectEvents(display.get(), DefaultRootWindow(display.get()), &eventMask, 1) != Success) {
        return fail("cannot select XInput 2 raw events on the root window");
    }
    XSync(display.get(), False);

    impl_->lastError.clear();
    impl_->heldButtons = 0;
    impl_->listener = std::make_shared<Listener>(Listener{std::move(onEvent)});
    Impl* impl = impl_.get();
    const std::weak_ptr<Listener> listener = impl_->listener;
    impl_->reader = std::make_unique<x11::EventReader>(
        std::move(display), [impl, opcode, listener](Display* d, XEvent& event) {
            XGenericEventCookie* cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != opcode || !XGetEventData(d, cookie)) return;
            std::optional<InputEventKind> kind;
            const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
            switch (cookie->evtype) {
            case XI_RawMotion:
                kind = impl->heldButtons > 0 ? InputEventKind::mouseDragged : InputEventKind::mouseMoved;
                break;
            case XI_RawKeyPress:
                kind = InputEventKind::keyDown;
                break;
            case XI_RawButtonPress:
                if (isDragButton(raw->detail)) ++impl->heldButtons;
                break;
            case XI_RawButtonRelease:
                if (isDragButton(raw->detail) && impl->heldButtons > 0) --impl->heldButtons;
                break;
            default:
                break;
            }
            XFreeEventData(d, cookie);
            if (!kind) return;
            // Nothing but a post happens on the input path.
            x11::postToMainLoop([listener, kind = *kind] {
                if (const auto strong = listener.lock()) strong->onEvent(kind);
            });
        });
    return true;
}

void XInputActivityTap::stop() {
    impl_->reader.reset();
    impl_->listener.reset();
}

std::string XInputActivityTap::lastError() const { return impl_->lastError; }

} // namespace glimmo
