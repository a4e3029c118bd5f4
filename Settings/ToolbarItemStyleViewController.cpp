#include "Settings/ToolbarItemStyleViewController.h"

#include <cassert>

namespace settings {

ToolbarItemStyleViewController::ToolbarItemStyleViewController(std::shared_ptr<glimmo::Toolbar> toolbar,
                                                               bool centerToolbarItems,
                                                               std::vector<std::shared_ptr<SettingsPane>> panes)
    : toolbar_(std::move(toolbar)), centerToolbarItems_(centerToolbarItems), panes_(std::move(panes)) {}

std::vector<std::string> ToolbarItemStyleViewController::toolbarItemIdentifiers() const {
    std::vector<std::string> identifiers;
    for (const auto& pane : panes_) identifiers.push_back(pane->toolbarItemIdentifier());
    return identifiers;
}

std::shared_ptr<glimmo::ToolbarItem> ToolbarItemStyleViewController::makeToolbarItem(
    const Settings::PaneIdentifier& identifier) {
    std::shared_ptr<SettingsPane> pane;
    for (const auto& p : panes_) {
        if (p->paneIdentifier() == identifier) { pane = p; break; }
    }
    assert(pane && "a toolbar item is asked only for a pane's identifier");
    auto item = std::make_shared<glimmo::ToolbarItem>();
    item->identifier = identifier.rawValue;
    item->label = pane->paneTitle();
    item->image = pane->toolbarItemIcon();
    std::weak_ptr<ViewController> weak = weak_from_this();
    item->action = [weak, id = identifier.rawValue] {
        if (auto self = std::static_pointer_cast<ToolbarItemStyleViewController>(weak.lock())) self->toolbarItemSelected(id);
    };
    return item;
}

void ToolbarItemStyleViewController::toolbarItemSelected(const std::string& itemIdentifier) {
    if (auto delegate = delegate_.lock()) delegate->activateTab(Settings::PaneIdentifier(itemIdentifier), true);
}

void ToolbarItemStyleViewController::selectTab(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= panes_.size()) return;
    toolbar_->setSelectedItemIdentifier(panes_[static_cast<std::size_t>(index)]->toolbarItemIdentifier());
}

void ToolbarItemStyleViewController::refreshPreviousSelectedItem() {
    if (previousSelectedItemIdentifier_) {
        const auto& items = toolbar_->items();
        for (std::size_t k = 0; k < items.size(); ++k) {
            if (items[k]->identifier == *previousSelectedItemIdentifier_) {
                toolbar_->removeItem(k);
                toolbar_->insertItem(*previousSelectedItemIdentifier_, k);
                break;
            }
        }
    }
    previousSelectedItemIdentifier_ = toolbar_->selectedItemIdentifier();
}

} // namespace settings
