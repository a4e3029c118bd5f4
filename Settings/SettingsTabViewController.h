#pragma once

// The settings window's content controller: holds the panes, fills the toolbar through the style
// controller, shows one pane at a time, switches panes with an optional cross-fade while the window
// resizes to the new pane, and sets the window title.

#include "Settings/SettingsPane.h"
#include "Settings/Style.h"

#include <map>
#include <optional>
#include <string>

namespace settings {

// The application's information values ("CFBundleDisplayName", "CFBundleName", "CFBundleExecutable").
using InfoDictionary = std::map<std::string, std::string>;
// Starts with "CFBundleExecutable" = the executable's file name; the application may replace it.
const InfoDictionary& mainInfoDictionary();
void setMainInfoDictionary(InfoDictionary info);
// The display name, else the name, else the executable, else "<Unknown App Name>".
std::string applicationName(const InfoDictionary& info);

class SettingsTabViewController : public glimmo::ViewController,
                                  public glimmo::ToolbarDelegate,
                                  public SettingsStyleControllerDelegate {
public:
    SettingsTabViewController() = default;

    // Once, after the window shows this controller's view.
    void configure(std::vector<std::shared_ptr<SettingsPane>> panes, Settings::Style style);

    void activateTab(const Settings::PaneIdentifier& identifier, bool animated) override;
    void activateTab(int index, bool animated) override;

    void transition(glimmo::ViewController& from, glimmo::ViewController& to, glimmo::TransitionOptions options,
                    std::function<void()> completion) override;

    std::vector<std::string> toolbarDefaultItemIdentifiers() override;
    std::vector<std::string> toolbarAllowedItemIdentifiers() override;
    std::vector<std::string> toolbarSelectableItemIdentifiers() override;
    std::shared_ptr<glimmo::ToolbarItem> toolbarItem(const std::string& identifier, bool willBeInserted) override;

    std::string windowTitle(int tabIndex) const;

    const std::optional<int>& activeTab() const { return activeTab_; }
    const std::vector<std::shared_ptr<SettingsPane>>& panes() const { return panes_; }
    const std::optional<Settings::Style>& style() const { return style_; }
    SettingsStyleController* settingsStyleController() const { return styleController_.get(); }
    const std::shared_ptr<glimmo::Toolbar>& toolbar() const { return toolbar_; }
    bool isAnimated = true;

protected:
    std::shared_ptr<glimmo::NativeView> loadView() override;

private:
    void showTabImmediately(int index);
    void transitionToTab(int index, bool animated);
    void resizeWindow(SettingsPane& pane, bool animated);
    void runAnimationGroup(glimmo::ViewController& from, glimmo::ViewController& to, glimmo::TransitionOptions options,
                           std::function<void()> completion);
    glimmo::Window& window();

    std::optional<int> activeTab_;
    std::vector<std::shared_ptr<SettingsPane>> panes_;
    std::optional<Settings::Style> style_;
    std::shared_ptr<SettingsStyleController> styleController_;
    std::shared_ptr<glimmo::Toolbar> toolbar_;
    std::vector<glimmo::LayoutConstraint> activeChildViewConstraints_;
};

} // namespace settings
