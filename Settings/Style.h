#pragma once

#include "Settings/PaneIdentifier.h"
#include "platform/window/Toolbar.h"

#include <memory>
#include <string>
#include <vector>

namespace settings::Settings {

// How the window offers its panes: one toolbar item per pane, or one segmented control.
enum class Style : std::uint8_t { toolbarItems, segmentedControl };

} // namespace settings::Settings

namespace settings {

class SettingsStyleControllerDelegate {
public:
    virtual ~SettingsStyleControllerDelegate() = default;
    // Activates the first pane with this identifier (pane 0 when none has it).
    virtual void activateTab(const Settings::PaneIdentifier& identifier, bool animated) = 0;
    // An index that names no pane changes nothing.
    virtual void activateTab(int index, bool animated) = 0;
};

class SettingsStyleController {
public:
    virtual ~SettingsStyleController() = default;
    // Held weakly.
    virtual void setDelegate(std::weak_ptr<SettingsStyleControllerDelegate> delegate) = 0;
    virtual bool keepsWindowCentered() const = 0;
    virtual std::vector<std::string> toolbarItemIdentifiers() const = 0;
    virtual std::shared_ptr<glimmo::ToolbarItem> makeToolbarItem(const Settings::PaneIdentifier& identifier) = 0;
    // Shows pane `index` as the selected one; an index that names no pane changes nothing.
    virtual void selectTab(int index) = 0;
};

} // namespace settings
