#include "platform/scenes/SceneRunner.h"

#include "platform/qt/scenes/QtSceneSupport.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/Image.h"
#include "platform/view/Structure.h"
#include "platform/view/ViewHost.h"
#include "platform/window/EventMonitors.h"
#include "platform/window/Menu.h"
#include "platform/window/NativeView.h"
#include "platform/window/StatusBar.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <map>

namespace glimmo {
namespace {

constexpr CGFloat trayWindowGap = 4;
constexpr CGSize minimumWindowSize{200, 80};

const MenuBarExtra* findMenuBarExtra(const std::vector<Scene>& scenes) {
    for (const Scene& scene : scenes) {
        if (const auto* extra = std::get_if<MenuBarExtra>(&scene)) return extra;
    }
    return nullptr;
}

const SettingsScene* findSettings(const std::vector<Scene>& scenes) {
    for (const Scene& scene : scenes) {
        if (const auto* settings = std::get_if<SettingsScene>(&scene)) return settings;
    }
    return nullptr;
}

const WindowScene* findWindowScene(const std::vector<Scene>& scenes, const std::string& id) {
    for (const Scene& scene : scenes) {
        if (const auto* window = std::get_if<WindowScene>(&scene); window && window->id == id) return window;
    }
    return nullptr;
}

// A template image keeps only its coverage, drawn in the desktop's text colour.
SharedPixels tintedTemplate(const SharedPixels& image) {
    auto tinted = std::make_shared<PixelImage>(*image);
    const TextColor color = desktopTextColor();
    for (std::size_t i = 0; i + 3 < tinted->rgba.size(); i += 4) {
        tinted->rgba[i] = color.red;
        tinted->rgba[i + 1] = color.green;
        tinted->rgba[i + 2] = color.blue;
    }
    return tinted;
}

CGSize contentSizeOf(const NativeView& view) {
    const CGSize fitting = view.fittingSize();
    return {std::max(fitting.width, minimumWindowSize.width), std::max(fitting.height, minimumWindowSize.height)};
}

} // namespace

struct SceneRunner::Impl {
    std::vector<Scene> scenes;
    Options options;
    std::vector<CommandButton> commands;
    bool presented = false;
    bool trayInUse = false;

    std::shared_ptr<StatusItem> statusItem;
    std::shared_ptr<MonitorToken> contextMenuMonitor;
    std::shared_ptr<MonitorToken> outsideClickMonitor;
    std::shared_ptr<Menu> shownContextMenu;
    std::unique_ptr<Window> menuBarWindow;
    std::unique_ptr<Window> settingsWindow;
    std::map<std::string, std::unique_ptr<Window>> windows;

    std::shared_ptr<Impl*> selfHandle = std::make_shared<Impl*>(this);

    // Hosts freshly built content in `window`, with the settings action in its environment.
    void host(Window& window, const std::function<AnyView()>& content) {
        auto view = NativeView::makeHosting(content ? content() : AnyView(EmptyView()));
        if (ViewHost* viewHost = view->host()) {
            std::weak_ptr<Impl*> weak = selfHandle;
            auto open = std::make_shared<const std::function<void()>>([weak] {
                if (auto impl = weak.lock()) (*impl)->openSettingsWindow();
            });
            viewHost->modifyEnvironment([&](EnvironmentValues& env) { env.set<OpenSettingsActionKey>(open); });
            // Bring the tree up now, so the content's appearance actions run as the window opens.
            viewHost->update();
        }
        const CGSize size = contentSizeOf(*view);
        window.setContentView(view);
        const CGRect frame = window.frame();
        window.setFrame({frame.origin, window.frameRectForContentRect({{0, 0}, size}).size});
    }

    void placeUnderTrayIcon(Window& window) {
        const CGRect frame = window.frame();
        std::optional<CGRect> icon = statusItem ? statusItem->button()->windowFrame() : std::nullopt;
        const std::optional<CGRect> screen = mainScreenFrame();
        CGPoint origin{0, 0};
        if (icon) {
            origin = {icon->origin.x + icon->size.width / 2 - frame.size.width / 2,
                      icon->origin.y + icon->size.height + trayWindowGap};
        } else if (screen) {
            origin = {screen->origin.x + screen->size.width - frame.size.width - trayWindowGap,
                      screen->origin.y + trayWindowGap};
        }
        if (screen) {
            // Keep the window on the screen (trays at the bottom put it above the icon).
            if (origin.y + frame.size.height > screen->origin.y + screen->size.height && icon) {
                origin.y = icon->origin.y - frame.size.height - trayWindowGap;
            }
            origin.x = std::clamp(origin.x, screen->origin.x,
                                  std::max(screen->origin.x, screen->origin.x + screen->size.width - frame.size.width));
            origin.y = std::clamp(origin.y, screen->origin.y,
                                  std::max(screen->origin.y, screen->origin.y + screen->size.height - frame.size.height));
        }
        window.setFrame({origin, frame.size});
    }

    void openMenuBar() {
        const MenuBarExtra* extra = findMenuBarExtra(scenes);
        if (!extra) return;
        if (menuBarWindow && menuBarWindow->isVisible()) {
            menuBarWindow->makeKeyAndOrderFront();
            return;
        }
        if (!menuBarWindow) {
            const WindowStyleMask style = trayInUse ? WindowStyleMask{} : WindowStyleMask::titledClosable();
            menuBarWindow = std::make_unique<Window>(CGRect{{0, 0}, minimumWindowSize}, style);
            menuBarWindow->setTitle(extra->title);
            if (trayInUse) menuBarWindow->setLevel(WindowLevel::statusBar);
        }
        host(*menuBarWindow, extra->content);
        if (trayInUse) {
            placeUnderTrayIcon(*menuBarWindow);
            // Like a menu, the tray window goes away when the user clicks elsewhere.
            std::weak_ptr<Impl*> weak = selfHandle;
            outsideClickMonitor = addGlobalMonitorForEvents(eventMask(EventType::leftMouseDown), [weak](const Event*) {
                if (auto impl = weak.lock()) (*impl)->closeMenuBar();
            });
        } else {
            menuBarWindow->center();
        }
        menuBarWindow->makeKeyAndOrderFront();
        activateApplication();
    }

    void closeMenuBar() {
        if (outsideClickMonitor) {
            removeMonitor(outsideClickMonitor);
            outsideClickMonitor.reset();
        }
        if (!menuBarWindow) return;
        menuBarWindow->orderOut();
        // Dropping the content ends its appearance; the next opening builds it again. Dropped later,
        // since the close may come from an event the content is still handling.
        dropContentLater(*menuBarWindow);
    }

    void dropContentLater(Window& window) {
        std::weak_ptr<Impl*> weak = selfHandle;
        Window* target = &window;
        RunLoop::main().post([weak, target] {
            auto impl = weak.lock();
            if (!impl || !(*impl)->owns(target) || target->isVisible()) return;
            target->setContentView(NativeView::make());
        });
    }

    bool owns(const Window* window) const {
        if (window == menuBarWindow.get() || window == settingsWindow.get()) return true;
        return std::any_of(windows.begin(), windows.end(), [&](const auto& entry) { return entry.second.get() == window; });
    }

    bool openSettingsWindow() {
        const SettingsScene* settings = findSettings(scenes);
        if (!settings) return false;
        if (settingsWindow && settingsWindow->isVisible()) {
            settingsWindow->makeKeyAndOrderFront();
            return true;
        }
        if (!settingsWindow) {
            settingsWindow = std::make_unique<Window>(CGRect{{0, 0}, minimumWindowSize}, WindowStyleMask::titledClosable());
            settingsWindow->setTitle("Settings");
        }
        host(*settingsWindow, settings->content);
        settingsWindow->center();
        settingsWindow->makeKeyAndOrderFront();
        activateApplication();
        return true;
    }

    bool openIdentifiedWindow(const std::string& id) {
        const WindowScene* scene = findWindowScene(scenes, id);
        if (!scene) return false;
        auto& window = windows[id];
        if (window && window->isVisible()) {
            window->makeKeyAndOrderFront();
            return true;
        }
        if (!window) {
            window = std::make_unique<Window>(CGRect{{0, 0}, minimumWindowSize}, WindowStyleMask::titledClosable());
            window->setTitle(scene->title);
        }
        host(*window, scene->content);
        window->center();
        window->makeKeyAndOrderFront();
        activateApplication();
        return true;
    }
};

SceneRunner::SceneRunner(std::vector<Scene> scenes) : SceneRunner(std::move(scenes), Options{}) {}

SceneRunner::SceneRunner(std::vector<Scene> scenes, Options options) : impl_(std::make_unique<Impl>()) {
    impl_->scenes = std::move(scenes);
    impl_->options = options;
    impl_->commands = allCommands(impl_->scenes);
}

SceneRunner::~SceneRunner() {
    if (impl_->contextMenuMonitor) removeMonitor(impl_->contextMenuMonitor);
    if (impl_->outsideClickMonitor) removeMonitor(impl_->outsideClickMonitor);
}

void SceneRunner::present() {
    if (impl_->presented) return;
    impl_->presented = true;
    const MenuBarExtra* extra = findMenuBarExtra(impl_->scenes);
    if (!extra) return;
    impl_->trayInUse = impl_->options.useTray.value_or(StatusBar::system().isAvailable());
    if (!impl_->trayInUse) {
        impl_->openMenuBar();
        return;
    }
    impl_->statusItem = StatusBar::system().statusItem(StatusItem::variableLength);
    StatusBarButton& button = *impl_->statusItem->button();
    const MenuBarExtraLabel& label = extra->label;
    button.setImageIsTemplate(label.isTemplate);
    if (label.image && label.image->isValid()) {
        button.setImage(Image(label.isTemplate ? tintedTemplate(label.image) : label.image).resizable());
    }
    else button.setImage(Image(std::make_shared<const PixelImage>(PixelImage{
             1, 1, 1, ImageOrientation::up, {0, 0, 0, 0}})));
    button.setAction([this] { toggleMenuBarWindow(); });
    // A right click on the item opens its context menu; other events pass.
    impl_->contextMenuMonitor = addLocalMonitorForEvents(
        eventMask(EventType::rightMouseDown), [this](const Event& event) -> std::optional<Event> {
            if (event.window != nullptr) return event;
            impl_->shownContextMenu = makeContextMenu();
            impl_->shownContextMenu->popUpAtPointer();
            return std::nullopt;
        });
}

bool SceneRunner::usesTray() const { return impl_->trayInUse; }

void SceneRunner::toggleMenuBarWindow() {
    if (isMenuBarWindowOpen()) closeMenuBarWindow();
    else openMenuBarWindow();
}

void SceneRunner::openMenuBarWindow() { impl_->openMenuBar(); }
void SceneRunner::closeMenuBarWindow() { impl_->closeMenuBar(); }
bool SceneRunner::isMenuBarWindowOpen() const { return impl_->menuBarWindow && impl_->menuBarWindow->isVisible(); }

bool SceneRunner::openSettings() { return impl_->openSettingsWindow(); }
bool SceneRunner::openWindow(const std::string& id) { return impl_->openIdentifiedWindow(id); }

void SceneRunner::closeWindow(const std::string& id) {
    if (auto it = impl_->windows.find(id); it != impl_->windows.end() && it->second) {
        it->second->orderOut();
        impl_->dropContentLater(*it->second);
    }
}

void SceneRunner::closeSettings() {
    if (!impl_->settingsWindow) return;
    impl_->settingsWindow->orderOut();
    impl_->dropContentLater(*impl_->settingsWindow);
}

bool SceneRunner::performShortcut(char key, bool control, bool shift, bool alt) {
    if (settingsShortcut.matches(key, control, shift, alt) && findSettings(impl_->scenes)) {
        return impl_->openSettingsWindow();
    }
    for (const CommandButton& button : impl_->commands) {
        if (button.shortcut && button.shortcut->matches(key, control, shift, alt) && button.action) {
            const auto action = button.action;
            action();
            return true;
        }
    }
    return false;
}

const std::vector<CommandButton>& SceneRunner::commands() const { return impl_->commands; }

std::shared_ptr<Menu> SceneRunner::makeContextMenu() const {
    auto menu = std::make_shared<Menu>();
    const auto addGroup = [&](CommandGroupPlacement placement) {
        for (const Scene& scene : impl_->scenes) {
            const auto* group = std::get_if<WindowGroup>(&scene);
            if (!group) continue;
            for (const CommandGroup& commands : group->commands) {
                if (commands.placement != placement) continue;
                for (const CommandButton& button : commands.buttons) {
                    menu->addItem(MenuItem{.title = button.title,
                                           .keyEquivalent = button.shortcut ? button.shortcut->displayText() : "",
                                           .action = button.action});
                }
            }
        }
    };
    addGroup(CommandGroupPlacement::appInfo);
    if (findSettings(impl_->scenes)) {
        std::weak_ptr<Impl*> weak = impl_->selfHandle;
        menu->addItem(MenuItem{.title = "Settings...", .keyEquivalent = settingsShortcut.displayText(), .action = [weak] {
                                   if (auto impl = weak.lock()) (*impl)->openSettingsWindow();
                               }});
    }
    addGroup(CommandGroupPlacement::appSettings);
    menu->addItem(MenuItem::separator());
    addGroup(CommandGroupPlacement::appTermination);
    if (impl_->options.quit) menu->addItem(MenuItem{.title = "Quit", .action = impl_->options.quit});
    return menu;
}

Window* SceneRunner::menuBarWindow() const { return impl_->menuBarWindow.get(); }
Window* SceneRunner::settingsWindow() const { return impl_->settingsWindow.get(); }

Window* SceneRunner::window(const std::string& id) const {
    auto it = impl_->windows.find(id);
    return it == impl_->windows.end() ? nullptr : it->second.get();
}

StatusItem* SceneRunner::statusItem() const { return impl_->statusItem.get(); }

} // namespace glimmo
