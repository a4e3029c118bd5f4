#include "Settings/SegmentedControlStyleViewController.h"

#include <algorithm>
#include <cassert>

namespace settings {

using glimmo::CGSize;
using glimmo::SegmentedControl;

SegmentedControlStyleViewController::SegmentedControlStyleViewController(std::vector<std::shared_ptr<SettingsPane>> panes)
    : panes_(std::move(panes)) {}

std::shared_ptr<glimmo::NativeView> SegmentedControlStyleViewController::loadView() { return makeSegmentedControl(panes_); }

CGSize SegmentedControlStyleViewController::segmentSize(const std::vector<std::shared_ptr<SettingsPane>>& panes,
                                                        const std::function<CGSize(const std::string&)>& measure) {
    CGSize largest;
    for (const auto& pane : panes) {
        const CGSize s = measure(pane->paneTitle());
        largest.width = std::max(largest.width, s.width);
        largest.height = std::max(largest.height, s.height);
    }
    return {largest.width + 36, largest.height + 12};
}

std::shared_ptr<SegmentedControl> SegmentedControlStyleViewController::makeSegmentedControl(
    const std::vector<std::shared_ptr<SettingsPane>>& panes) {
    const int n = static_cast<int>(panes.size());
    auto control = std::make_shared<SegmentedControl>(n);
    control->setSegmentStyle(SegmentedControl::Style::texturedSquare);
    std::weak_ptr<ViewController> weak = weak_from_this();
    control->setAction([weak](SegmentedControl& c) {
        if (auto self = std::static_pointer_cast<SegmentedControlStyleViewController>(weak.lock())) {
            self->segmentedControlAction(c);
        }
    });
    control->setIdentifier(controlIdentifier);
    control->setControlSize(SegmentedControl::ControlSize::regular);
    control->setTrackingMode(SegmentedControl::TrackingMode::selectOne);
    const CGSize size = segmentSize(panes, &SegmentedControl::measureSystemFontText);
    control->setFrame(glimmo::CGRect(0, 0, n * size.width + n + 1, size.height));
    for (int i = 0; i < n; ++i) {
        control->setLabel(i, panes[static_cast<std::size_t>(i)]->paneTitle());
        control->setWidth(i, size.width);
        control->setTag(i, i);
    }
    return control;
}

std::vector<std::string> SegmentedControlStyleViewController::toolbarItemIdentifiers() const {
    return {glimmo::toolbarFlexibleSpaceItemIdentifier, itemIdentifier, glimmo::toolbarFlexibleSpaceItemIdentifier};
}

std::shared_ptr<glimmo::ToolbarItem> SegmentedControlStyleViewController::makeToolbarItem(
    const Settings::PaneIdentifier& identifier) {
    assert(identifier.rawValue == itemIdentifier && "the segmented style has one toolbar item");
    auto item = std::make_shared<glimmo::ToolbarItem>();
    item->identifier = identifier.rawValue;
    item->view = viewPointer();
    std::weak_ptr<ViewController> weak = weak_from_this();
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        auto sub = std::make_shared<glimmo::ToolbarItem>();
        sub->identifier = subitemPrefix + panes_[i]->paneTitle();
        sub->label = panes_[i]->paneTitle();
        const int tag = static_cast<int>(i);
        sub->menuFormRepresentation = glimmo::MenuItem{
            .title = panes_[i]->paneTitle(), .keyEquivalent = "", .tag = tag,
            .action = [weak, tag] {
                if (auto self = std::static_pointer_cast<SegmentedControlStyleViewController>(weak.lock())) {
                    self->segmentedControlMenuAction(tag);
                }
            }};
        item->subitems.push_back(std::move(sub));
    }
    return item;
}

void SegmentedControlStyleViewController::segmentedControlAction(SegmentedControl& control) {
    if (auto delegate = delegate_.lock()) delegate->activateTab(control.selectedSegment(), true);
}

void SegmentedControlStyleViewController::segmentedControlMenuAction(int tag) {
    if (auto delegate = delegate_.lock()) delegate->activateTab(tag, true);
}

void SegmentedControlStyleViewController::selectTab(int index) {
    auto* control = dynamic_cast<SegmentedControl*>(&view());
    assert(control && "the style's view is its segmented control");
    if (!control || index < 0 || static_cast<std::size_t>(index) >= panes_.size()) return;
    control->setSelectedSegment(index);
}

} // namespace settings
