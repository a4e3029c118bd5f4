#include "Popover/Popover.h"

#include "platform/runtime/RunLoop.h"
#include "platform/window/NativeView.h"

#include <algorithm>

namespace popover {

using glimmo::CGRect;
using glimmo::Event;
using glimmo::EventType;

std::shared_ptr<Popover> Popover::make() { return make(std::make_shared<DefaultConfiguration>(), std::nullopt); }

std::shared_ptr<Popover> Popover::make(std::optional<std::vector<MenuItemType>> menuItems) {
    return make(std::make_shared<DefaultConfiguration>(), std::move(menuItems));
}

std::shared_ptr<Popover> Popover::make(std::shared_ptr<const PopoverConfiguration> config) {
    return make(std::move(config), std::nullopt);
}

std::shared_ptr<Popover> Popover::make(std::shared_ptr<const PopoverConfiguration> config,
                                       std::optional<std::vector<MenuItemType>> menuItems) {
    std::shared_ptr<Popover> popover(new Popover(std::move(config), std::move(menuItems)));
    popover->setUpMonitors();
    return popover;
}

Popover::Popover(std::shared_ptr<const PopoverConfiguration> config, std::optional<std::vector<MenuItemType>> menuItems)
    : wConfig_(std::move(config)), menuItems_(std::move(menuItems)) {}

Popover::~Popover() = default;

void Popover::setUpMonitors() {
    std::weak_ptr<Popover> weak = weak_from_this();
    globalEventMonitor_ = std::make_unique<EventMonitor>(
        mouseDownMask, EventMonitor::MonitorType::global,
        [weak](const Event*) {
            if (auto self = weak.lock(); self && !self->keepPopoverVisible) self->dismiss();
        },
        nullptr);
    if (menuItems_ && !menuItems_->empty()) {
        localEventMonitor_ = std::make_unique<EventMonitor>(
            mouseDownMask, EventMonitor::MonitorType::local, nullptr, [weak](const Event& event) -> std::optional<Event> {
                auto self = weak.lock();
                if (!self) return event;
                const bool counts = (event.type == EventType::leftMouseDown && event.modifiers.control) ||
                                    event.type == EventType::rightMouseDown;
                if (!counts) return event;
                self->dismiss();
                if (self->item_) self->item_->setMenu(self->menu_);
                return event;
            });
    }
}

void Popover::setItem(std::shared_ptr<glimmo::StatusItem> statusItem) {
    item_ = std::move(statusItem);
    buildMenu();
}

void Popover::buildMenu() {
    if (!menuItems_ || menuItems_->empty()) return;
    auto menu = std::make_shared<glimmo::Menu>();
    for (const auto& entry : *menuItems_) {
        if (std::holds_alternative<Separator>(entry)) {
            menu->addItem(glimmo::MenuItem::separator());
            continue;
        }
        const auto& menuItem = std::get<std::shared_ptr<MenuItem>>(entry);
        menu->addItem(glimmo::MenuItem{.title = menuItem->title, .keyEquivalent = menuItem->key,
                                       .action = [menuItem] { menuItem->action(); }});
    }
    std::weak_ptr<Popover> weak = weak_from_this();
    menu->setDidCloseHandler([weak] {
        if (auto self = weak.lock()) self->menuDidClose();
    });
    menu_ = std::move(menu);
}

void Popover::menuDidClose() {
    if (item_) item_->setMenu(nullptr);
}

void Popover::prepare(const glimmo::Image& image, std::shared_ptr<glimmo::ViewController> contentViewController) {
    setItem(glimmo::StatusBar::system().statusItem(glimmo::StatusItem::variableLength));
    if (auto* button = item_->button()) {
        button->setImageIsTemplate(true);
        button->setImage(image);
        std::weak_ptr<Popover> weak = weak_from_this();
        button->setAction([weak] {
            if (auto self = weak.lock()) self->handleStatusItemButtonAction();
        });
    }
    makeWindowController(std::move(contentViewController));
}

void Popover::prepare(std::shared_ptr<glimmo::NativeView> view, std::shared_ptr<glimmo::ViewController> contentViewController) {
    setItem(glimmo::StatusBar::system().statusItem(view->bounds().size.width));
    if (auto* button = item_->button()) {
        container_ = std::make_shared<StatusItemContainerView>();
        std::weak_ptr<Popover> weak = weak_from_this();
        button->setAction([weak] {
            if (auto self = weak.lock()) self->handleStatusItemButtonAction();
        });
        container_->addSubview(view);
        container_->setFrame(CGRect(0, 0, std::max<double>(22, view->frame().size.width), 22));
        view->setFrame(CGRect(0, 2, view->frame().size.width, 18));
        button->addSubview(container_);
    }
    makeWindowController(std::move(contentViewController));
}

void Popover::makeWindowController(std::shared_ptr<glimmo::ViewController> contentViewController) {
    auto controller = std::make_unique<PopoverWindowController>(weak_from_this(), wConfig_,
                                                                std::make_unique<PopoverWindow>(wConfig_));
    controller->setContentViewController(std::move(contentViewController));
    popoverWindowController_ = std::move(controller);
    if (localEventMonitor_) localEventMonitor_->start();
}

void Popover::setHighlightLater(bool highlighted) {
    if (!item_ || !item_->button()) return;
    std::weak_ptr<glimmo::StatusItem> weakItem = item_;
    glimmo::RunLoop::main().post([weakItem, highlighted] {
        if (auto statusItem = weakItem.lock()) {
            if (auto* button = statusItem->button()) button->setHighlighted(highlighted);
        }
    });
}

void Popover::show(bool makeKey) {
    if (popoverWindowController_) {
        if (popoverWindowController_->windowIsOpen) return;
        if (!popoverWindowController_->isAnimating) {
            popoverWindowController_->updateWindowFrame();
            if (makeKey) {
                popoverWindowController_->showWindowAndMakeKey();
            } else {
                popoverWindowController_->window()->orderFrontRegardless();
            }
            popoverWindowController_->windowIsOpen = true;
        }
    }
    if (globalEventMonitor_) globalEventMonitor_->start();
    setHighlightLater(true);
}

void Popover::dismiss() {
    // show() starts the monitor even without a window; dismiss() always stops it, or it would go on
    // watching every click on the desktop.
    if (globalEventMonitor_) globalEventMonitor_->stop();
    if (!popoverWindowController_ || !popoverWindowController_->windowIsOpen) return;
    if (!popoverWindowController_->isAnimating) {
        popoverWindowController_->window()->orderOut();
        popoverWindowController_->window()->close();
        popoverWindowController_->windowIsOpen = false;
    }
    setHighlightLater(false);
}

PopoverWindow* Popover::window() const {
    return popoverWindowController_ ? popoverWindowController_->window() : nullptr;
}

void Popover::handleStatusItemButtonAction() {
    if (popoverWindowController_ && popoverWindowController_->windowIsOpen) {
        dismiss();
    } else {
        show(true);
    }
}

bool Popover::statusBarAvailable() { return glimmo::StatusBar::system().isAvailable(); }

} // namespace popover
