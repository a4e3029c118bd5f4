#pragma once

// A status-bar popover: an item in the system tray that opens a panel with an arrow under it when
// clicked, closes it on a second click or a click outside, and, when menu entries are given, shows a
// menu on a right click or a control-click. Where the desktop has no tray (`statusBarAvailable()` false)
// the caller should offer its content in a normal window instead.
//
//     auto popover = Popover::make({{Popover::MenuItem::make("Quit", "q", [] { QtApplication::quit(); })}});
//     popover->prepare(Image::systemName("clock"), contentController);

#include "Popover/EventMonitor.h"
#include "Popover/PopoverConfiguration.h"
#include "Popover/PopoverWindowController.h"
#include "platform/view/Image.h"
#include "platform/window/Menu.h"
#include "platform/window/StatusBar.h"

#include <functional>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

namespace popover {

class Popover : public std::enable_shared_from_this<Popover> {
public:
    class MenuItem {
    public:
        MenuItem(std::string title, std::string key, std::function<void()> action)
            : title(std::move(title)), key(std::move(key)), _action(std::move(action)) {}
        MenuItem(std::string title, std::function<void()> action) : MenuItem(std::move(title), "", std::move(action)) {}
        static std::shared_ptr<MenuItem> make(std::string title, std::string key, std::function<void()> action) {
            return std::make_shared<MenuItem>(std::move(title), std::move(key), std::move(action));
        }
        std::string title;
        std::string key;
        std::function<void()> _action;
        void action() const { if (_action) _action(); }
    };
    struct Separator {};
    using MenuItemType = std::variant<std::shared_ptr<MenuItem>, Separator>;

    static std::shared_ptr<Popover> make();
    static std::shared_ptr<Popover> make(std::optional<std::vector<MenuItemType>> menuItems);
    static std::shared_ptr<Popover> make(std::shared_ptr<const PopoverConfiguration> config);
    static std::shared_ptr<Popover> make(std::shared_ptr<const PopoverConfiguration> config,
                                         std::optional<std::vector<MenuItemType>> menuItems);
    ~Popover();

    bool keepPopoverVisible = false;
    const std::shared_ptr<glimmo::StatusItem>& item() const { return item_; }
    // Every assignment rebuilds the menu.
    void setItem(std::shared_ptr<glimmo::StatusItem> statusItem);

    void prepare(const glimmo::Image& image, std::shared_ptr<glimmo::ViewController> contentViewController);
    void prepare(std::shared_ptr<glimmo::NativeView> view, std::shared_ptr<glimmo::ViewController> contentViewController);

    void show(bool makeKey = true);
    void dismiss();
    PopoverWindow* window() const;

    // The status item button's action and the menu's close notification.
    void handleStatusItemButtonAction();
    void menuDidClose();

    static bool statusBarAvailable();

    PopoverWindowController* popoverWindowController() const { return popoverWindowController_.get(); }
    EventMonitor* globalEventMonitor() const { return globalEventMonitor_.get(); }
    EventMonitor* localEventMonitor() const { return localEventMonitor_.get(); }
    const std::shared_ptr<glimmo::Menu>& menu() const { return menu_; }
    std::shared_ptr<StatusItemContainerView> statusItemContainer() const { return container_; }

private:
    Popover(std::shared_ptr<const PopoverConfiguration> config, std::optional<std::vector<MenuItemType>> menuItems);
    void setUpMonitors();
    void buildMenu();
    void makeWindowController(std::shared_ptr<glimmo::ViewController> contentViewController);
    void setHighlightLater(bool highlighted);

    std::shared_ptr<glimmo::StatusItem> item_;
    std::shared_ptr<const PopoverConfiguration> wConfig_;
    std::unique_ptr<PopoverWindowController> popoverWindowController_;
    std::unique_ptr<EventMonitor> globalEventMonitor_;
    std::unique_ptr<EventMonitor> localEventMonitor_;
    std::shared_ptr<glimmo::Menu> menu_;
    std::optional<std::vector<MenuItemType>> menuItems_;
    std::shared_ptr<StatusItemContainerView> container_;
};

} // namespace popover
