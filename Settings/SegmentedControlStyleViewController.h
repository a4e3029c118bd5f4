#pragma once

// The segmented-control style: one segmented control in the middle of the toolbar, a text segment per
// pane, and a menu form with one entry per pane.

#include "Settings/SettingsPane.h"
#include "Settings/Style.h"
#include "platform/window/SegmentedControl.h"

namespace settings {

class SegmentedControlStyleViewController : public glimmo::ViewController, public SettingsStyleController {
public:
    static constexpr const char* controlIdentifier = "toolbarSegmentedControl";
    static constexpr const char* itemIdentifier = "toolbarSegmentedControlItem";
    static constexpr const char* subitemPrefix = "segment-";

    explicit SegmentedControlStyleViewController(std::vector<std::shared_ptr<SettingsPane>> panes);

    void setDelegate(std::weak_ptr<SettingsStyleControllerDelegate> delegate) override { delegate_ = std::move(delegate); }
    bool keepsWindowCentered() const override { return true; }
    std::vector<std::string> toolbarItemIdentifiers() const override;
    // Precondition: the identifier is "toolbarSegmentedControlItem".
    std::shared_ptr<glimmo::ToolbarItem> makeToolbarItem(const Settings::PaneIdentifier& identifier) override;
    void selectTab(int index) override;

    void segmentedControlAction(glimmo::SegmentedControl& control);
    void segmentedControlMenuAction(int tag);

    // The size of every segment: the widest and the tallest title plus room around them.
    static glimmo::CGSize segmentSize(const std::vector<std::shared_ptr<SettingsPane>>& panes,
                                      const std::function<glimmo::CGSize(const std::string&)>& measure);

protected:
    std::shared_ptr<glimmo::NativeView> loadView() override;

private:
    std::shared_ptr<glimmo::SegmentedControl> makeSegmentedControl(const std::vector<std::shared_ptr<SettingsPane>>& panes);

    std::weak_ptr<SettingsStyleControllerDelegate> delegate_;
    std::vector<std::shared_ptr<SettingsPane>> panes_;
};

} // namespace settings
