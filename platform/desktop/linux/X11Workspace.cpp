#include "platform/desktop/linux/X11Workspace.h"

#include "platform/desktop/DesktopError.h"
#include "platform/desktop/URLPolicy.h"
#include "platform/desktop/linux/DesktopEntries.h"
#include "platform/desktop/linux/X11Support.h"
#include "platform/foundation/Files.h"
#include "platform/runtime/RunLoop.h"

#include <X11/Xatom.h>

#include <filesystem>
#include <mutex>
#include <set>

namespace glimmo {

namespace {
struct Observers {
    Signal<const RunningApplication&> didActivate;
};

std::string executableOfProcess(int pid) {
    if (pid <= 0) return {};
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (!error) return exe.filename().string();
    // The process may be gone, or another user's: then there is no name.
    const std::string name = readFileIfReadable("/proc/" + std::to_string(pid) + "/comm").value_or("");
    return name.substr(0, name.find('\n'));
}

// What the desktop knows of the application owning `window`.
std::optional<RunningApplication> applicationOfWindow(Display* display, Window window, const DesktopEntries& entries) {
    if (window == None || !x11::windowExists(display, window)) return std::nullopt;
    RunningApplication app;
    if (const auto pid = x11::firstCardinal(display, window, x11::atom(display, "_NET_WM_PID"), XA_CARDINAL)) {
        app.processIdentifier = static_cast<int>(*pid);
    }
    const auto wmClass = x11::windowClass(display, window);
    const std::string instance = wmClass ? wmClass->first : "";
    const std::string className = wmClass ? wmClass->second : "";
    if (const auto entry = entries.match(instance, className, executableOfProcess(app.processIdentifier))) {
        app.localizedName = entry->name;
        app.bundleIdentifier = entry->id;
    } else {
        app.localizedName = className;
        app.bundleIdentifier = className;
    }
    return app;
}

std::optional<RunningApplication> activeApplication(Display* display, const DesktopEntries& entries) {
    const Window root = DefaultRootWindow(display);
    const auto active = x11::firstCardinal(display, root, x11::atom(display, "_NET_ACTIVE_WINDOW"), XA_WINDOW);
    if (!active) return std::nullopt;
    return applicationOfWindow(display, static_cast<Window>(*active), entries);
}

} // namespace

struct X11Workspace::Impl {
    Options options;
    std::shared_ptr<const DesktopEntries> entries;
    mutable std::mutex queryMutex;
    x11::DisplayPtr queryDisplay;
    std::shared_ptr<Observers> observers = std::make_shared<Observers>();
    // Touched only by the reader thread once it runs.
    std::optional<RunningApplication> lastActive;
    std::unique_ptr<x11::EventReader> reader;
};

X11Workspace::X11Workspace() : X11Workspace(Options{}) {}

X11Workspace::X11Workspace(Options options) : impl_(std::make_unique<Impl>()) {
    impl_->options = std::move(options);
    impl_->entries = impl_->options.desktopEntries
        ? impl_->options.desktopEntries
        : std::make_shared<const DesktopEntries>(DesktopEntries::load(DesktopEntries::languageFromEnvironment()));
    impl_->queryDisplay = x11::openDisplay(impl_->options.displayName);
    auto eventDisplay = x11::openDisplay(impl_->options.displayName);
    if (!impl_->queryDisplay || !eventDisplay) {
        throw DesktopServiceError("cannot open the X display \"" + impl_->options.displayName +
                                  "\" (is this an X11 session? Wayland is not supported)");
    }
    Display* display = eventDisplay.get();
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, PropertyChangeMask);
    impl_->lastActive = activeApplication(display, *impl_->entries);
    XFlush(display);

    const Atom activeWindowAtom = x11::atom(display, "_NET_ACTIVE_WINDOW");
    Impl* impl = impl_.get();
    impl_->reader = std::make_unique<x11::EventReader>(
        std::move(eventDisplay), [impl, root, activeWindowAtom](Display* d, XEvent& event) {
            if (event.type != PropertyNotify || event.xproperty.window != root ||
                event.xproperty.atom != activeWindowAtom) {
                return;
            }
            auto app = activeApplication(d, *impl->entries);
            if (app == impl->lastActive) return;
            impl->lastActive = app;
            // The desktop itself (no active window) is no application to report.
            if (!app) return;
            x11::postToMainLoop([weak = std::weak_ptr<Observers>(impl->observers), app = *app] {
                if (const auto observers = weak.lock()) observers->didActivate.emit(app);
            });
        });
}

X11Workspace::~X11Workspace() {
    // Stop the reader before the state it uses goes away.
    impl_->reader.reset();
}

std::optional<RunningApplication> X11Workspace::frontmostApplication() const {
    const std::lock_guard lock(impl_->queryMutex);
    return activeApplication(impl_->queryDisplay.get(), *impl_->entries);
}

Subscription X11Workspace::observeDidActivateApplication(std::function<void(const RunningApplication&)> observer) {
    return impl_->observers->didActivate.connect(std::move(observer));
}

std::vector<RunningApplication> X11Workspace::runningApplications() const {
    const std::lock_guard lock(impl_->queryMutex);
    Display* display = impl_->queryDisplay.get();
    const auto windows = x11::cardinalProperty(display, DefaultRootWindow(display),
                                               x11::atom(display, "_NET_CLIENT_LIST"), XA_WINDOW);
    std::vector<RunningApplication> apps;
    std::set<std::pair<int, std::string>> seen;
    for (const auto window : windows) {
        auto app = applicationOfWindow(display, static_cast<Window>(window), *impl_->entries);
        if (!app) continue;
        // One entry per process; windows without a process id are told apart by their application.
        const auto key = app->processIdentifier != 0 ? std::pair{app->processIdentifier, std::string()}
                                                     : std::pair{0, app->bundleIdentifier};
        if (seen.insert(key).second) apps.push_back(std::move(*app));
    }
    return apps;
}

bool X11Workspace::openURL(const std::string& url) { return impl_->options.urlOpener.open(url); }

std::string X11Workspace::notificationSettingsURL() const { return std::string(notificationSettingsLink); }

} // namespace glimmo
