#pragma once

// Kit content as a settings pane: a Settings::Pane holds the content, built once, and makes a hosting
// controller over it for each window that asks.
//
//     Settings::Pane general(Settings::PaneIdentifier("general"), "General", Image::systemName("gearshape"),
//                            [] { return AnyView(GeneralSettingsView{}); });

#include "Settings/SettingsPane.h"
#include "platform/view/View.h"

#include <functional>

namespace settings::Settings {

class PaneHostingController;

class Pane : public glimmo::View<Pane>, public SettingsPaneConvertible {
public:
    // `content` is called once, here.
    Pane(PaneIdentifier identifier, std::string title, glimmo::Image toolbarIcon,
         const std::function<glimmo::AnyView()>& content);

    PaneIdentifier identifier;
    std::string title;
    glimmo::Image toolbarIcon;
    glimmo::AnyView content;

    glimmo::AnyView body() const { return content; }
    std::shared_ptr<SettingsPane> makeSettingsPane() const override;
};

// A view controller whose view hosts kit content.
class PaneHostingController : public SettingsPane {
public:
    PaneHostingController(PaneIdentifier identifier, std::string title, glimmo::Image toolbarIcon,
                          glimmo::AnyView content);
    explicit PaneHostingController(const Pane& pane);

    PaneIdentifier paneIdentifier() const override { return paneIdentifier_; }
    std::string paneTitle() const override { return paneTitle_; }
    glimmo::Image toolbarItemIcon() const override { return toolbarItemIcon_; }
    const glimmo::AnyView& rootView() const { return rootView_; }

protected:
    std::shared_ptr<glimmo::NativeView> loadView() override;

private:
    const PaneIdentifier paneIdentifier_;
    const std::string paneTitle_;
    const glimmo::Image toolbarItemIcon_;
    glimmo::AnyView rootView_;
};

} // namespace settings::Settings

namespace settings {

// The small explanatory text under a setting: system font of 11 points, secondary colour.
glimmo::AnyView descriptionTextStyle(const glimmo::AnyView& view);

} // namespace settings
