#include "platform/window/Menu.h"

namespace glimmo {

void Menu::choose(std::size_t index) {
    if (discardShown_) discardShown_();
    closeShown_ = nullptr;
    if (index < items_.size() && !items_[index].isSeparator && items_[index].action) {
        auto action = items_[index].action; // the action may change the menu
        action();
    }
    notifyDidClose();
}

void Menu::cancel() {
    if (closeShown_) {
        auto closer = std::move(closeShown_);
        closeShown_ = nullptr;
        closer();
    }
}

void Menu::notifyDidClose() const {
    if (didClose_) {
        auto handler = didClose_;
        handler();
    }
}

} // namespace glimmo
