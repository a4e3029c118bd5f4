#pragma once

// The toolbar-item style: one selectable toolbar item per pane, with the pane's icon and title.

#include "Settings/SettingsPane.h"
#include "Settings/Style.h"

#include <optional>

namespace settings {

class ToolbarItemStyleViewController : public glimmo::ViewController, public SettingsStyleController {
public:
    ToolbarItemStyleViewController(std::shared_ptr<glimmo::Toolbar> toolbar, bool centerToolbarItems,
                                   std::vector<std::shared_ptr<SettingsPane>> panes);

    void setDelegate(std::weak_ptr<SettingsStyleControllerDelegate> delegate) override { delegate_ = std::move(delegate); }
    bool keepsWindowCentered() const override { return false; }
    std::vector<std::string> toolbarItemIdentifiers() const override;
    // Precondition: some pane has the identifier.
    std::shared_ptr<glimmo::ToolbarItem> makeToolbarItem(const Settings::PaneIdentifier& identifier) override;
    void selectTab(int index) override;

    // The action of every item.
    void toolbarItemSelected(const std::string& itemIdentifier);
    // Puts a fresh item in place of the one selected before the last transition, then remembers the
    // selection now.
    void refreshPreviousSelectedItem();

    const std::optional<std::string>& previousSelectedItemIdentifier() const { return previousSelectedItemIdentifier_; }
    bool centerToolbarItems() const { return centerToolbarItems_; }

private:
    std::shared_ptr<glimmo::Toolbar> toolbar_;
    bool centerToolbarItems_;
    std::vector<std::shared_ptr<SettingsPane>> panes_;
    std::weak_ptr<SettingsStyleControllerDelegate> delegate_;
    std::optional<std::string> previousSelectedItemIdentifier_;
};

} // namespace settings
