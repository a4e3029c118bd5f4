#pragma once

// What a settings pane is: a view controller that tells its identifier, its title and its toolbar icon.

#include "Settings/PaneIdentifier.h"
#include "platform/view/Image.h"
#include "platform/window/ViewController.h"

#include <memory>
#include <string>

namespace settings {

class SettingsPane : public glimmo::ViewController {
public:
    virtual Settings::PaneIdentifier paneIdentifier() const = 0;
    virtual std::string paneTitle() const = 0;
    virtual glimmo::Image toolbarItemIcon() const = 0;

    // The identifier of the pane's toolbar item: the pane identifier's text.
    std::string toolbarItemIdentifier() const { return paneIdentifier().rawValue; }
};

class SettingsPaneConvertible {
public:
    virtual ~SettingsPaneConvertible() = default;
    virtual std::shared_ptr<SettingsPane> makeSettingsPane() const = 0;
};

} // namespace settings
