#include "platform/window/StatusBar.h"

#include "platform/window/EventMonitors.h"
#include "platform/window/Menu.h"
#include "platform/window/NativeView.h"

namespace glimmo {

StatusBarButton::StatusBarButton(StatusItem& item) : item_(item) {}
StatusBarButton::~StatusBarButton() = default;

void StatusBarButton::setImage(Image image) {
    image_ = std::move(image);
    item_.refresh();
}

void StatusBarButton::setImageIsTemplate(bool isTemplate) {
    template_ = isTemplate;
    item_.refresh();
}

void StatusBarButton::addSubview(std::shared_ptr<NativeView> view) {
    content_ = std::move(view);
    item_.refresh();
}

void StatusBarButton::click(EventType type, ModifierFlags modifiers) {
    Event event{.type = type, .modifiers = modifiers};
    if (auto frame = windowFrame()) {
        event.locationOnScreen = {frame->origin.x + frame->size.width / 2, frame->origin.y + frame->size.height / 2};
    }
    // The item is part of the application: its clicks pass the local monitors first.
    if (!runLocalMonitors(event)) return;
    if (auto menu = item_.menu()) {
        menu->popUpAtPointer();
        return;
    }
    const bool leftClick = type == EventType::leftMouseDown && !modifiers.control;
    if (leftClick && action_) {
        auto action = action_;
        action();
    }
}

} // namespace glimmo
