#include "Settings/SettingsWindowController.h"

#include "platform/window/NativeView.h"
#include "platform/window/Toolbar.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace settings {

namespace {
std::vector<std::shared_ptr<SettingsPane>> makePanes(const std::vector<std::shared_ptr<SettingsPaneConvertible>>& list) {
    std::vector<std::shared_ptr<SettingsPane>> panes;
    for (const auto& convertible : list) panes.push_back(convertible->makeSettingsPane());
    return panes;
}
} // namespace

SettingsWindowController::SettingsWindowController(std::vector<std::shared_ptr<SettingsPane>> panes,
                                                   Settings::Style style, bool animated, bool hidesToolbarForSingleItem)
    : tabViewController_(std::make_shared<SettingsTabViewController>()) {
    if (panes.empty()) {
        std::fprintf(stderr, "SettingsWindowController needs at least one pane\n");
        std::abort();
    }
    const glimmo::CGRect contentRect = panes.front()->view().bounds();
    window_ = std::make_unique<UserInteractionPausableWindow>(contentRect, glimmo::WindowStyleMask::titledClosable());
    hidesToolbarForSingleItem_ = hidesToolbarForSingleItem;
    window_->setContentView(tabViewController_->viewPointer());
    window_->setTitleVisible(!(style == Settings::Style::segmentedControl && panes.size() >= 2));
    tabViewController_->isAnimated = animated;
    tabViewController_->configure(std::move(panes), style);
    updateToolbarVisibility();
}

SettingsWindowController::SettingsWindowController(const std::vector<std::shared_ptr<SettingsPaneConvertible>>& panes,
                                                   Settings::Style style, bool animated, bool hidesToolbarForSingleItem)
    : SettingsWindowController(makePanes(panes), style, animated, hidesToolbarForSingleItem) {}

void SettingsWindowController::setHidesToolbarForSingleItem(bool hides) {
    hidesToolbarForSingleItem_ = hides;
    updateToolbarVisibility();
}

void SettingsWindowController::updateToolbarVisibility() {
    if (!window_ || !window_->toolbar()) return;
    window_->toolbar()->setVisible(!(hidesToolbarForSingleItem_ && tabViewController_->panes().size() < 2));
}

void SettingsWindowController::show(const std::optional<Settings::PaneIdentifier>& pane) {
    if (pane) {
        tabViewController_->activateTab(*pane, false);
    } else if (!tabViewController_->activeTab()) {
        tabViewController_->activateTab(0, false);
    }
    glimmo::activateApplication();
    window_->makeKeyAndOrderFront();
    window_->center();
    window_->setFrameUsingName(frameAutosaveName);
    window_->setFrameAutosaveName(frameAutosaveName);
}

glimmo::Responder* SettingsWindowController::supplementalTargetForAction(const std::string& action, const void* sender) {
    if (auto* target = Responder::supplementalTargetForAction(action, sender)) return target;
    const auto& active = tabViewController_->activeTab();
    if (!active) return nullptr;
    SettingsPane* pane = tabViewController_->panes().at(static_cast<std::size_t>(*active)).get();
    if (auto* target = glimmo::targetForAction(action, pane, sender); target && target->respondsTo(action)) return target;
    if (auto* target = pane->supplementalTargetForAction(action, sender); target && target->respondsTo(action)) {
        return target;
    }
    return nullptr;
}

} // namespace settings
