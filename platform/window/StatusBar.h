#pragma once

// Status items in the desktop's system tray. Where no tray exists (`StatusBar::isAvailable()` false)
// items are still made but stay invisible: callers then offer their window as a normal window.
//
// A click on an item runs the local event monitors first (the item counts as part of the
// application); when they let it through, an attached menu opens, else a left click runs the button's
// action.

#include "platform/view/Geometry.h"
#include "platform/view/Image.h"
#include "platform/window/WindowEvents.h"

#include <functional>
#include <memory>
#include <optional>

namespace glimmo {

class Menu;
class NativeView;
class StatusItem;

class StatusBarButton {
public:
    explicit StatusBarButton(StatusItem& item);
    ~StatusBarButton();

    void setImage(Image image);
    const std::optional<Image>& image() const { return image_; }
    bool imageIsTemplate() const { return template_; }
    void setImageIsTemplate(bool isTemplate);

    void setAction(std::function<void()> action) { action_ = std::move(action); }
    bool isHighlighted() const { return highlighted_; }
    void setHighlighted(bool highlighted) { highlighted_ = highlighted; }

    // Custom content drawn in the item instead of the image.
    void addSubview(std::shared_ptr<NativeView> view);
    const std::shared_ptr<NativeView>& contentView() const { return content_; }

    // The screen frame of the window that holds the button (the tray icon's rectangle), when known.
    std::optional<CGRect> windowFrame() const;

    // A click on the button, as the user makes it.
    void click(EventType type, ModifierFlags modifiers = {});

private:
    StatusItem& item_;
    std::optional<Image> image_;
    bool template_ = false;
    bool highlighted_ = false;
    std::function<void()> action_;
    std::shared_ptr<NativeView> content_;
};

class StatusItem {
public:
    static constexpr double variableLength = -1;

    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    double length() const { return length_; }
    StatusBarButton* button() { return button_.get(); }
    void setMenu(std::shared_ptr<Menu> menu) { menu_ = std::move(menu); }
    const std::shared_ptr<Menu>& menu() const { return menu_; }
    // Whether the item shows in a tray.
    bool isVisibleInTray() const;

    // The tray icon is drawn again from the button's image or content.
    void refresh();

    struct Impl;
    Impl& impl() const { return *impl_; }

private:
    friend class StatusBar;
    explicit StatusItem(double length);

    double length_;
    std::shared_ptr<Menu> menu_;
    std::unique_ptr<StatusBarButton> button_;
    std::unique_ptr<Impl> impl_;
};

class StatusBar {
public:
    static StatusBar& system();
    // Whether the desktop has a system tray.
    bool isAvailable() const;
    std::shared_ptr<StatusItem> statusItem(double length);
};

} // namespace glimmo
