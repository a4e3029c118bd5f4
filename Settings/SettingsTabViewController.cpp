#include "Settings/SettingsTabViewController.h"

#include "Settings/SegmentedControlStyleViewController.h"
#include "Settings/ToolbarItemStyleViewController.h"
#include "Settings/resource_bundle_accessor.h"
#include "platform/window/Window.h"

#include <cassert>
#include <filesystem>

namespace settings {

using glimmo::CGRect;
using glimmo::CGSize;

namespace {
InfoDictionary& infoStorage() {
    static InfoDictionary info = [] {
        InfoDictionary d;
        std::error_code error;
        const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
        if (!error) d["CFBundleExecutable"] = exe.filename().string();
        return d;
    }();
    return info;
}
} // namespace

const InfoDictionary& mainInfoDictionary() { return infoStorage(); }
void setMainInfoDictionary(InfoDictionary info) { infoStorage() = std::move(info); }

std::string applicationName(const InfoDictionary& info) {
    for (const char* key : {"CFBundleDisplayName", "CFBundleName", "CFBundleExecutable"}) {
        if (auto it = info.find(key); it != info.end()) return it->second;
    }
    return "<Unknown App Name>";
}

std::shared_ptr<glimmo::NativeView> SettingsTabViewController::loadView() { return glimmo::NativeView::make(); }

glimmo::Window& SettingsTabViewController::window() {
    glimmo::Window* w = view().window();
    assert(w && "the settings controller's view must be in a window");
    return *w;
}

void SettingsTabViewController::configure(std::vector<std::shared_ptr<SettingsPane>> panes, Settings::Style style) {
    panes_ = std::move(panes);
    style_ = style;
    setChildren({panes_.begin(), panes_.end()});
    toolbar_ = std::make_shared<glimmo::Toolbar>("SettingsToolbar");
    toolbar_->allowsUserCustomization = false;
    toolbar_->displayMode = glimmo::Toolbar::DisplayMode::iconAndLabel;
    toolbar_->showsBaselineSeparator = true;
    toolbar_->setDelegate(std::static_pointer_cast<SettingsTabViewController>(shared_from_this()));
    if (style == Settings::Style::segmentedControl) {
        styleController_ = std::make_shared<SegmentedControlStyleViewController>(panes_);
    } else {
        styleController_ = std::make_shared<ToolbarItemStyleViewController>(toolbar_, false, panes_);
    }
    styleController_->setDelegate(std::static_pointer_cast<SettingsTabViewController>(shared_from_this()));
    window().setToolbar(toolbar_);
}

void SettingsTabViewController::activateTab(const Settings::PaneIdentifier& identifier, bool animated) {
    int index = 0;
    for (std::size_t i = 0; i < panes_.size(); ++i) {
        if (panes_[i]->paneIdentifier() == identifier) { index = static_cast<int>(i); break; }
    }
    activateTab(index, animated);
}

void SettingsTabViewController::activateTab(int index, bool animated) {
    // Indexes also come from controls (a segmented control without a selection says -1): one that
    // names no pane changes nothing, in every build.
    if (index < 0 || static_cast<std::size_t>(index) >= panes_.size() || !styleController_) return;
    if (!activeTab_) {
        showTabImmediately(index);
    } else if (index != *activeTab_) {
        transitionToTab(index, animated);
    }
    activeTab_ = index;
    styleController_->selectTab(index);
    window().setTitle(windowTitle(index));
}

void SettingsTabViewController::showTabImmediately(int index) {
    auto& pane = *panes_.at(static_cast<std::size_t>(index));
    view().addSubview(pane.viewPointer());
    activeChildViewConstraints_ = pane.view().constrainToSuperviewBounds();
    resizeWindow(pane, false);
}

void SettingsTabViewController::transitionToTab(int index, bool animated) {
    if (!activeTab_) {
        showTabImmediately(index);
        return;
    }
    auto from = panes_.at(static_cast<std::size_t>(*activeTab_));
    auto to = panes_.at(static_cast<std::size_t>(index));
    const bool animates = animated && isAnimated;
    glimmo::TransitionOptions options;
    options.crossfade = animates;
    view().removeConstraints(activeChildViewConstraints_);
    std::weak_ptr<ViewController> weakSelf = weak_from_this();
    std::weak_ptr<SettingsPane> weakTo = to;
    auto completion = [weakSelf, weakTo] {
        auto self = std::static_pointer_cast<SettingsTabViewController>(weakSelf.lock());
        auto toPane = weakTo.lock();
        if (!self || !toPane) return;
        if (self->isAnimated) {
            if (auto* toolbarStyle = dynamic_cast<ToolbarItemStyleViewController*>(self->styleController_.get())) {
                toolbarStyle->refreshPreviousSelectedItem();
            }
        }
        self->activeChildViewConstraints_ = toPane->view().constrainToSuperviewBounds();
    };
    if (animates) {
        runAnimationGroup(*from, *to, options, completion);
    } else {
        platformTransition(*from, *to, {}, completion);
    }
}

void SettingsTabViewController::transition(glimmo::ViewController& from, glimmo::ViewController& to,
                                           glimmo::TransitionOptions options, std::function<void()> completion) {
    if (!options.isEmpty() && options.onlyAnimations()) {
        runAnimationGroup(from, to, options, std::move(completion));
    } else {
        platformTransition(from, to, options, std::move(completion));
    }
}

void SettingsTabViewController::runAnimationGroup(glimmo::ViewController& from, glimmo::ViewController& to,
                                                  glimmo::TransitionOptions options, std::function<void()> completion) {
    glimmo::runAnimationGroup(0.25, glimmo::TimingFunction::easeInEaseOut(), [&] {
        if (auto* pane = dynamic_cast<SettingsPane*>(&to)) resizeWindow(*pane, true);
        platformTransition(from, to, options, std::move(completion));
    });
}

void SettingsTabViewController::resizeWindow(SettingsPane& pane, bool animated) {
    assert(styleController_ && "the window is resized after configure");
    glimmo::Window& w = window();
    const CGSize contentSize = pane.view().fittingSize();
    const CGSize newSize = w.frameRectForContentRect(CGRect({0, 0}, contentSize)).size;
    const CGRect frame = w.frame();
    double x = frame.origin.x;
    if (styleController_->keepsWindowCentered()) x = frame.origin.x + (frame.size.width - newSize.width) * 0.5;
    // Screen y grows downwards here: the top edge stays where it is.
    const CGRect target(x, frame.origin.y, newSize.width, newSize.height);
    if (animated) {
        w.animateFrame(target, glimmo::currentAnimationGroup().duration);
    } else {
        w.setFrame(target);
    }
}

std::string SettingsTabViewController::windowTitle(int tabIndex) const {
    if (panes_.size() < 2) {
        return applicationName(mainInfoDictionary()) + " " + settingsResourceBundle().localizedString("settings");
    }
    return panes_.at(static_cast<std::size_t>(tabIndex))->paneTitle();
}

std::vector<std::string> SettingsTabViewController::toolbarDefaultItemIdentifiers() {
    return styleController_ ? styleController_->toolbarItemIdentifiers() : std::vector<std::string>{};
}

std::vector<std::string> SettingsTabViewController::toolbarAllowedItemIdentifiers() {
    return toolbarDefaultItemIdentifiers();
}

std::vector<std::string> SettingsTabViewController::toolbarSelectableItemIdentifiers() {
    if (style_ == Settings::Style::segmentedControl) return {};
    return toolbarDefaultItemIdentifiers();
}

std::shared_ptr<glimmo::ToolbarItem> SettingsTabViewController::toolbarItem(const std::string& identifier, bool) {
    if (identifier == glimmo::toolbarFlexibleSpaceItemIdentifier) return nullptr;
    assert(styleController_ && "the toolbar asks for items after configure");
    return styleController_->makeToolbarItem(Settings::PaneIdentifier(identifier));
}

} // namespace settings
