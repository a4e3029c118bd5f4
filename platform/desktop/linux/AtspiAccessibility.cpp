#include "platform/desktop/linux/AtspiAccessibility.h"

#include "platform/desktop/linux/AtspiRoles.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberText.h"

#include <atspi/atspi-constants.h>
#include <gio/gio.h>

#include <cmath>
#include <limits>
#include <mutex>

namespace glimmo {
namespace {

constexpr const char* accessibleInterface = "org.a11y.atspi.Accessible";
constexpr const char* registryName = "org.a11y.atspi.Registry";
constexpr const char* rootPath = "/org/a11y/atspi/accessible/root";
constexpr const char* nullPath = "/org/a11y/atspi/null";

using Connection = std::shared_ptr<GDBusConnection>;

struct VariantUnref {
    void operator()(GVariant* variant) const { g_variant_unref(variant); }
};
using Variant = std::unique_ptr<GVariant, VariantUnref>;

Connection adopt(GDBusConnection* connection) {
    if (!connection) return nullptr;
    return Connection(connection, [](GDBusConnection* c) { g_object_unref(c); });
}

void discard(GError* error) {
    if (error) g_error_free(error);
}

// One method call; nullptr when it failed, timed out or answered with another type.
Variant call(GDBusConnection* bus, const std::string& destination, const std::string& path, const char* interface,
             const char* method, GVariant* parameters, const char* replyType,
             int timeoutMilliseconds = AtspiAccessibility::defaultReadTimeoutMilliseconds) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, destination.c_str(), path.c_str(), interface, method, parameters,
                                                  replyType ? G_VARIANT_TYPE(replyType) : nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                                  timeoutMilliseconds, nullptr, &error);
    discard(error);
    return Variant(reply);
}

Variant property(GDBusConnection* bus, const std::string& destination, const std::string& path, const char* interface,
                 const char* name, int timeoutMilliseconds = AtspiAccessibility::defaultReadTimeoutMilliseconds) {
    auto reply = call(bus, destination, path, "org.freedesktop.DBus.Properties", "Get",
                      g_variant_new("(ss)", interface, name), "(v)", timeoutMilliseconds);
    if (!reply) return nullptr;
    GVariant* value = nullptr;
    g_variant_get(reply.get(), "(v)", &value);
    return Variant(value);
}

std::optional<std::string> nonEmpty(const char* text) {
    if (!text || !*text) return std::nullopt;
    return std::string(text);
}

// A number as the platform writes it: integers without a fraction, others in the shortest form.
std::string valueText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    return numberText(value);
}

class AtspiElement : public AccessibilityElement {
public:
    AtspiElement(Connection bus, std::string busName, std::string path, int timeoutMilliseconds)
        : bus_(std::move(bus)), busName_(std::move(busName)), path_(std::move(path)), timeout_(timeoutMilliseconds) {}

    std::optional<std::string> role() const override {
        const auto atspiRole = roleValue();
        if (!atspiRole) return std::nullopt;
        // The state is one more call per element; only text objects need it.
        const bool dependsOnLines = axRoleForAtspiRole(*atspiRole, false) != axRoleForAtspiRole(*atspiRole, true);
        return axRoleForAtspiRole(*atspiRole, dependsOnLines && hasState(ATSPI_STATE_MULTI_LINE));
    }

    std::optional<std::string> title() const override {
        const auto atspiRole = roleValue();
        if (atspiRole && atspiRoleNameIsText(*atspiRole)) return std::nullopt;
        return stringProperty(accessibleInterface, "Name");
    }

    std::optional<std::string> value() const override {
        const auto atspiRole = roleValue();
        if (!atspiRole) return std::nullopt;
        if (atspiRoleHasTextValue(*atspiRole)) {
            if (auto text = textContent()) return text;
            if (atspiRoleNameIsText(*atspiRole)) return stringProperty(accessibleInterface, "Name");
        }
        // Password fields have no text value and are never read.
        if (*atspiRole == ATSPI_ROLE_PASSWORD_TEXT) return std::nullopt;
        if (!implements("org.a11y.atspi.Value")) return std::nullopt;
        if (const auto current = property(bus_.get(), busName_, path_, "org.a11y.atspi.Value", "CurrentValue", timeout_);
            current && g_variant_is_of_type(current.get(), G_VARIANT_TYPE_DOUBLE)) {
            return valueText(g_variant_get_double(current.get()));
        }
        return std::nullopt;
    }

    std::optional<std::string> elementDescription() const override {
        return stringProperty(accessibleInterface, "Description");
    }

    // AT-SPI has no help text of its own; toolkits put tooltips into the description.
    std::optional<std::string> help() const override { return std::nullopt; }

    // The window's content as the user sees it, which is what a window's tree holds on the original
    // platform: the application's menu bar belongs to the application there, and what is not on
    // screen (closed menus, hidden pages) is not in the tree. AT-SPI lists all of it, and a menu bar
    // full of closed items would use up the text a summary can carry before the document. What is
    // left out does not count against `max`; at most twice `max` children are looked at, which
    // bounds the reads for a long list scrolled far down.
    std::vector<std::shared_ptr<AccessibilityElement>> children(std::size_t max) const override {
        std::vector<std::shared_ptr<AccessibilityElement>> shown;
        if (max == 0) return shown;
        for (auto& child : allChildren(std::min(max, std::numeric_limits<std::size_t>::max() / 2) * 2)) {
            if (shown.size() == max) break;
            if (child->roleValue() != ATSPI_ROLE_MENU_BAR && child->hasState(ATSPI_STATE_SHOWING)) {
                shown.push_back(std::move(child));
            }
        }
        return shown;
    }

    // Every child AT-SPI lists, at most `max` of them read.
    std::vector<std::shared_ptr<AtspiElement>> allChildren(std::size_t max) const {
        std::vector<std::shared_ptr<AtspiElement>> result;
        if (max == 0) return result;
        const auto count = property(bus_.get(), busName_, path_, accessibleInterface, "ChildCount", timeout_);
        if (!count || !g_variant_is_of_type(count.get(), G_VARIANT_TYPE_INT32)) return result;
        const std::size_t total = static_cast<std::size_t>(std::max(0, g_variant_get_int32(count.get())));
        if (total <= max) {
            // One call for the usual case.
            if (const auto reply = call(bus_.get(), busName_, path_, accessibleInterface, "GetChildren", nullptr, "(a(so))", timeout_)) {
                GVariantIter* iter = nullptr;
                g_variant_get(reply.get(), "(a(so))", &iter);
                const char* name = nullptr;
                const char* path = nullptr;
                while (result.size() < max && g_variant_iter_next(iter, "(&s&o)", &name, &path)) {
                    if (std::string(path) != nullPath) result.push_back(std::make_shared<AtspiElement>(bus_, name, path, timeout_));
                }
                g_variant_iter_free(iter);
                return result;
            }
        }
        // A huge container: only the first `max`, one at a time.
        for (std::size_t i = 0; i < std::min(total, max); ++i) {
            const auto reply = call(bus_.get(), busName_, path_, accessibleInterface, "GetChildAtIndex",
                                    g_variant_new("(i)", static_cast<gint32>(i)), "((so))", timeout_);
            if (!reply) break; // the application went away or stopped answering
            const char* name = nullptr;
            const char* path = nullptr;
            g_variant_get(reply.get(), "((&s&o))", &name, &path);
            if (std::string(path) != nullPath) result.push_back(std::make_shared<AtspiElement>(bus_, name, path, timeout_));
        }
        return result;
    }

    const std::string& busName() const { return busName_; }

    // An object's role does not change; role, title and value all need it, so it is asked once.
    std::optional<int> roleValue() const {
        {
            const std::lock_guard lock(roleMutex_);
            if (knownRole_) return knownRole_;
        }
        const auto reply = call(bus_.get(), busName_, path_, accessibleInterface, "GetRole", nullptr, "(u)", timeout_);
        if (!reply) return std::nullopt;
        guint32 atspiRole = 0;
        g_variant_get(reply.get(), "(u)", &atspiRole);
        const std::lock_guard lock(roleMutex_);
        knownRole_ = static_cast<int>(atspiRole);
        return knownRole_;
    }

    // The state set is read once per element object: a walk makes new ones for every pass.
    bool hasState(AtspiStateType state) const {
        const auto words = stateWords();
        const unsigned bit = static_cast<unsigned>(state);
        return bit / 32 < words.size() && ((words[bit / 32] >> (bit % 32)) & 1u);
    }

private:
    std::vector<guint32> stateWords() const {
        {
            const std::lock_guard lock(roleMutex_);
            if (knownStates_) return *knownStates_;
        }
        const auto reply = call(bus_.get(), busName_, path_, accessibleInterface, "GetState", nullptr, "(au)", timeout_);
        if (!reply) return {};
        GVariantIter* iter = nullptr;
        g_variant_get(reply.get(), "(au)", &iter);
        std::vector<guint32> words;
        guint32 word = 0;
        while (g_variant_iter_next(iter, "u", &word)) words.push_back(word);
        g_variant_iter_free(iter);
        const std::lock_guard lock(roleMutex_);
        knownStates_ = words;
        return words;
    }

    bool implements(const char* interface) const {
        const auto reply = call(bus_.get(), busName_, path_, accessibleInterface, "GetInterfaces", nullptr, "(as)", timeout_);
        if (!reply) return false;
        GVariantIter* iter = nullptr;
        g_variant_get(reply.get(), "(as)", &iter);
        const char* name = nullptr;
        bool found = false;
        while (!found && g_variant_iter_next(iter, "&s", &name)) found = std::string(name) == interface;
        g_variant_iter_free(iter);
        return found;
    }

    std::optional<std::string> stringProperty(const char* interface, const char* name) const {
        const auto value = property(bus_.get(), busName_, path_, interface, name, timeout_);
        if (!value || !g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) return std::nullopt;
        return nonEmpty(g_variant_get_string(value.get(), nullptr));
    }

    std::optional<std::string> textContent() const {
        const auto reply = call(bus_.get(), busName_, path_, "org.a11y.atspi.Text", "GetText",
                                g_variant_new("(ii)", 0, -1), "(s)", timeout_);
        if (!reply) return std::nullopt;
        const char* text = nullptr;
        g_variant_get(reply.get(), "(&s)", &text);
        return nonEmpty(text);
    }

    Connection bus_;
    std::string busName_;
    std::string path_;
    int timeout_;
    mutable std::mutex roleMutex_; // guards what is read once
    mutable std::optional<int> knownRole_;
    mutable std::optional<std::vector<guint32>> knownStates_;
};

// Reads org.a11y.Status.IsEnabled on the session bus; nullopt when the accessibility bus service
// cannot be reached.
std::optional<bool> accessibilityBusEnabled(GDBusConnection* session, int timeoutMilliseconds) {
    const auto value = property(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Status", "IsEnabled", timeoutMilliseconds);
    if (!value) return std::nullopt;
    return g_variant_is_of_type(value.get(), G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(value.get());
}

bool enableAccessibilityBus(GDBusConnection* session, int timeoutMilliseconds) {
    return call(session, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr,
                timeoutMilliseconds) != nullptr;
}

constexpr const char* howToEnable =
    "Accessibility is turned off on this desktop, so window contents cannot be read. Turn on "
    "assistive technologies in the desktop's accessibility settings (on GNOME: gsettings set "
    "org.gnome.desktop.interface toolkit-accessibility true) and start the application again.";

constexpr const char* howToInstall =
    "The accessibility bus is not available in this session, so window contents cannot be read. "
    "Install the AT-SPI bus (Debian package at-spi2-core) and log in again.";

Connection sessionBus() {
    GError* error = nullptr;
    auto bus = adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error));
    discard(error);
    // GLib ends the process when the shared session connection closes; losing the bus only means
    // window contents cannot be read.
    if (bus) g_dbus_connection_set_exit_on_close(bus.get(), FALSE);
    return bus;
}

} // namespace

struct AtspiAccessibility::Impl {
    int readTimeoutMilliseconds = defaultReadTimeoutMilliseconds;
    std::mutex mutex;
    Connection accessibilityBus;

    // The accessibility bus, connected on first use and again after it went away.
    Connection bus() {
        const std::lock_guard lock(mutex);
        if (accessibilityBus && !g_dbus_connection_is_closed(accessibilityBus.get())) return accessibilityBus;
        accessibilityBus.reset();
        const auto session = sessionBus();
        if (!session) return nullptr;
        // org.a11y.Bus may be started on demand by the session bus.
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(session.get(), "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                                      "GetAddress", nullptr, G_VARIANT_TYPE("(s)"), G_DBUS_CALL_FLAGS_NONE,
                                                      5 * readTimeoutMilliseconds, nullptr, &error);
        discard(error);
        if (!reply) return nullptr;
        const Variant address(reply);
        const char* text = nullptr;
        g_variant_get(address.get(), "(&s)", &text);
        GError* connectError = nullptr;
        accessibilityBus = adopt(g_dbus_connection_new_for_address_sync(
            text,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &connectError));
        discard(connectError);
        return accessibilityBus;
    }

    std::shared_ptr<AtspiElement> findApplication(int processIdentifier) {
        if (processIdentifier <= 0) return nullptr;
        const auto connection = bus();
        if (!connection) return nullptr;
        const AtspiElement registry(connection, registryName, rootPath, readTimeoutMilliseconds);
        for (const auto& app : registry.allChildren(10000)) {
            if (processOf(connection.get(), *app) == processIdentifier) return app;
        }
        return nullptr;
    }

    int processOf(GDBusConnection* connection, const AtspiElement& app) const {
        const auto reply = call(connection, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                "GetConnectionUnixProcessID", g_variant_new("(s)", app.busName().c_str()), "(u)",
                                readTimeoutMilliseconds);
        if (!reply) return 0;
        guint32 pid = 0;
        g_variant_get(reply.get(), "(u)", &pid);
        return static_cast<int>(pid);
    }
};

AtspiAccessibility::AtspiAccessibility(int readTimeoutMilliseconds) : impl_(std::make_unique<Impl>()) {
    impl_->readTimeoutMilliseconds = readTimeoutMilliseconds;
}
AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isProcessTrusted(bool prompt) {
    // Many desktops start the accessibility bus only when someone asks for it; its status can be
    // read once it runs.
    const bool busReachable = impl_->bus() != nullptr;
    const auto session = sessionBus();
    const int timeout = impl_->readTimeoutMilliseconds;
    std::optional<bool> enabled = session ? accessibilityBusEnabled(session.get(), timeout) : std::nullopt;
    if (enabled && !*enabled && prompt && enableAccessibilityBus(session.get(), timeout)) {
        enabled = accessibilityBusEnabled(session.get(), timeout);
    }
    const bool trusted = busReachable && enabled.value_or(false);
    if (!trusted && prompt) systemLog(busReachable ? howToEnable : howToInstall);
    return trusted;
}

std::shared_ptr<AccessibilityElement> AtspiAccessibility::applicationElement(int processIdentifier) {
    return impl_->findApplication(processIdentifier);
}

std::shared_ptr<AccessibilityElement> AtspiAccessibility::firstWindowOfApplication(int processIdentifier) {
    const auto application = impl_->findApplication(processIdentifier);
    if (!application) return nullptr;
    // The active window first, as the front window is what the user sees; else the first one.
    std::shared_ptr<AtspiElement> first;
    for (const auto& element : application->allChildren(1000)) {
        const auto atspiRole = element->roleValue();
        if (!atspiRole || axRoleForAtspiRole(*atspiRole, false) != "AXWindow") continue;
        if (element->hasState(ATSPI_STATE_ACTIVE)) return element;
        if (!first) first = element;
    }
    return first;
}

} // namespace glimmo
