#pragma once

// The settings window: give it the panes, the switcher style and two flags, and call show(pane) whenever
// the user asks for the settings.
//
//     auto controller = std::make_shared<SettingsWindowController>(panes, Settings::Style::toolbarItems,
//                                                                  true, true);
//     controller->show(Settings::PaneIdentifier("general"));

#include "Settings/SettingsTabViewController.h"
#include "Settings/UserInteractionPausableWindow.h"

#include <optional>

namespace settings {

class SettingsWindowController : public glimmo::Responder {
public:
    // The one name the window's frame is saved under.
    static constexpr const char* frameAutosaveName = "app.glimmo.Settings.FrameAutosaveName";

    // Precondition: at least one pane.
    SettingsWindowController(std::vector<std::shared_ptr<SettingsPane>> panes, Settings::Style style, bool animated,
                             bool hidesToolbarForSingleItem);
    SettingsWindowController(const std::vector<std::shared_ptr<SettingsPaneConvertible>>& panes, Settings::Style style,
                             bool animated, bool hidesToolbarForSingleItem);

    void show(const std::optional<Settings::PaneIdentifier>& pane = std::nullopt);

    bool isAnimated() const { return tabViewController_->isAnimated; }
    void setAnimated(bool animated) { tabViewController_->isAnimated = animated; }
    bool hidesToolbarForSingleItem() const { return hidesToolbarForSingleItem_; }
    void setHidesToolbarForSingleItem(bool hides);

    // A menu command this controller does not handle goes to the shown pane when the pane handles it.
    Responder* supplementalTargetForAction(const std::string& action, const void* sender) override;

    UserInteractionPausableWindow& window() const { return *window_; }
    SettingsTabViewController& tabViewController() const { return *tabViewController_; }

private:
    void updateToolbarVisibility();

    std::shared_ptr<SettingsTabViewController> tabViewController_;
    std::unique_ptr<UserInteractionPausableWindow> window_;
    bool hidesToolbarForSingleItem_ = false;
};

} // namespace settings
