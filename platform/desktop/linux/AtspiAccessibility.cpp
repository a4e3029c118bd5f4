#include "platform/desktop/linux/AtspiAccessibility.h"

#include "platform/desktop/linux/AtspiRoles.h"
#include "platform/foundation/Log.h"

#include <atspi/atspi.h>
#include <gio/gio.h>

#include <charconv>
#include <cmath>
#include <mutex>

namespace glimmo {
namespace {

// libatspi is not thread-safe: every call into it, and every release of its objects, holds this.
std::recursive_mutex& atspiMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

using AccessiblePtr = std::shared_ptr<AtspiAccessible>;

AccessiblePtr adopt(AtspiAccessible* accessible) {
    if (!accessible) return nullptr;
    return AccessiblePtr(accessible, [](AtspiAccessible* object) {
        const std::lock_guard lock(atspiMutex());
        g_object_unref(object);
    });
}

// Takes ownership of a GError and tells whether there was one.
bool failed(GError* error) {
    if (!error) return false;
    g_error_free(error);
    return true;
}

std::optional<std::string> takeString(gchar* text, GError* error) {
    if (failed(error) || !text) {
        g_free(text);
        return std::nullopt;
    }
    std::string result(text);
    g_free(text);
    if (result.empty()) return std::nullopt;
    return result;
}

// A number as the platform writes it: integers without a fraction, others in the shortest form.
std::string numberText(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        return std::to_string(static_cast<long long>(value));
    }
    char buffer[64];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

class AtspiElement : public AccessibilityElement {
public:
    explicit AtspiElement(AccessiblePtr accessible) : accessible_(std::move(accessible)) {}

    std::optional<std::string> role() const override {
        const std::lock_guard lock(atspiMutex());
        const auto atspiRole = roleValue();
        if (!atspiRole) return std::nullopt;
        return axRoleForAtspiRole(*atspiRole, isMultiLine());
    }

    std::optional<std::string> title() const override {
        const std::lock_guard lock(atspiMutex());
        const auto atspiRole = roleValue();
        if (atspiRole && atspiRoleNameIsText(*atspiRole)) return std::nullopt;
        return name();
    }

    std::optional<std::string> value() const override {
        const std::lock_guard lock(atspiMutex());
        const auto atspiRole = roleValue();
        if (!atspiRole) return std::nullopt;
        if (atspiRoleHasTextValue(*atspiRole)) {
            if (auto text = textContent()) return text;
            if (atspiRoleNameIsText(*atspiRole)) return name();
        }
        if (AtspiValue* valueInterface = atspi_accessible_get_value_iface(accessible_.get())) {
            GError* error = nullptr;
            const double current = atspi_value_get_current_value(valueInterface, &error);
            g_object_unref(valueInterface);
            if (!failed(error)) return numberText(current);
        }
        return std::nullopt;
    }

    std::optional<std::string> elementDescription() const override {
        const std::lock_guard lock(atspiMutex());
        GError* error = nullptr;
        gchar* text = atspi_accessible_get_description(accessible_.get(), &error);
        return takeString(text, error);
    }

    // AT-SPI has no help text of its own; toolkits put tooltips into the description.
    std::optional<std::string> help() const override { return std::nullopt; }

    std::vector<std::shared_ptr<AccessibilityElement>> children(std::size_t max) const override {
        const std::lock_guard lock(atspiMutex());
        std::vector<std::shared_ptr<AccessibilityElement>> result;
        GError* error = nullptr;
        const gint count = atspi_accessible_get_child_count(accessible_.get(), &error);
        if (failed(error) || count <= 0) return result;
        const std::size_t wanted = std::min<std::size_t>(max, static_cast<std::size_t>(count));
        for (std::size_t i = 0; i < wanted; ++i) {
            GError* childError = nullptr;
            auto child = adopt(atspi_accessible_get_child_at_index(accessible_.get(), static_cast<gint>(i), &childError));
            if (failed(childError)) break; // the application went away or stopped answering
            if (child) result.push_back(std::make_shared<AtspiElement>(std::move(child)));
        }
        return result;
    }

    const AccessiblePtr& accessible() const { return accessible_; }

    std::optional<int> roleValue() const {
        GError* error = nullptr;
        const AtspiRole atspiRole = atspi_accessible_get_role(accessible_.get(), &error);
        if (failed(error)) return std::nullopt;
        return static_cast<int>(atspiRole);
    }

    bool hasState(AtspiStateType state) const {
        AtspiStateSet* states = atspi_accessible_get_state_set(accessible_.get());
        if (!states) return false;
        const bool contains = atspi_state_set_contains(states, state);
        g_object_unref(states);
        return contains;
    }

private:
    std::optional<std::string> name() const {
        GError* error = nullptr;
        gchar* text = atspi_accessible_get_name(accessible_.get(), &error);
        return takeString(text, error);
    }

    bool isMultiLine() const { return hasState(ATSPI_STATE_MULTI_LINE); }

    std::optional<std::string> textContent() const {
        AtspiText* text = atspi_accessible_get_text_iface(accessible_.get());
        if (!text) return std::nullopt;
        GError* error = nullptr;
        const gint length = atspi_text_get_character_count(text, &error);
        std::optional<std::string> result;
        if (!failed(error) && length > 0) {
            GError* readError = nullptr;
            gchar* content = atspi_text_get_text(text, 0, length, &readError);
            result = takeString(content, readError);
        }
        g_object_unref(text);
        return result;
    }

    AccessiblePtr accessible_;
};

bool isWindowRole(int atspiRole) { return axRoleForAtspiRole(atspiRole, false) == "AXWindow"; }

// Reads org.a11y.Status.IsEnabled on the session bus; nullopt when the accessibility bus service
// cannot be reached.
std::optional<bool> accessibilityBusEnabled(GDBusConnection* bus) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.a11y.Status", "IsEnabled"), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        AtspiAccessibility::readTimeoutMilliseconds, nullptr, &error);
    if (failed(error) || !reply) return std::nullopt;
    GVariant* boxed = nullptr;
    g_variant_get(reply, "(v)", &boxed);
    const bool enabled = boxed && g_variant_is_of_type(boxed, G_VARIANT_TYPE_BOOLEAN) && g_variant_get_boolean(boxed);
    if (boxed) g_variant_unref(boxed);
    g_variant_unref(reply);
    return enabled;
}

bool enableAccessibilityBus(GDBusConnection* bus) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
        g_variant_new("(ssv)", "org.a11y.Status", "IsEnabled", g_variant_new_boolean(TRUE)), nullptr,
        G_DBUS_CALL_FLAGS_NONE, AtspiAccessibility::readTimeoutMilliseconds, nullptr, &error);
    if (reply) g_variant_unref(reply);
    return !failed(error);
}

constexpr const char* howToEnable =
    "Accessibility is turned off on this desktop, so window contents cannot be read. Turn on "
    "assistive technologies in the desktop's accessibility settings (on GNOME: gsettings set "
    "org.gnome.desktop.interface toolkit-accessibility true) and start the application again.";

bool ensureAtspiInitialised() {
    static const bool ready = [] {
        // 0: initialised now; 1: someone else did it. Anything else: no accessibility bus.
        const int status = atspi_init();
        if (status != 0 && status != 1) return false;
        atspi_set_timeout(AtspiAccessibility::readTimeoutMilliseconds, AtspiAccessibility::readTimeoutMilliseconds);
        return true;
    }();
    return ready;
}

AccessiblePtr findApplication(int processIdentifier) {
    if (processIdentifier <= 0 || !ensureAtspiInitialised()) return nullptr;
    auto desktop = adopt(atspi_get_desktop(0));
    if (!desktop) return nullptr;
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(desktop.get(), &error);
    if (failed(error)) return nullptr;
    for (gint i = 0; i < count; ++i) {
        GError* childError = nullptr;
        auto app = adopt(atspi_accessible_get_child_at_index(desktop.get(), i, &childError));
        if (failed(childError) || !app) continue;
        GError* pidError = nullptr;
        const guint pid = atspi_accessible_get_process_id(app.get(), &pidError);
        if (failed(pidError) || static_cast<int>(pid) != processIdentifier) continue;
        // Read live values: nothing runs the library's event loop to keep a cache current.
        atspi_accessible_set_cache_mask(app.get(), ATSPI_CACHE_NONE);
        return app;
    }
    return nullptr;
}

} // namespace

AtspiAccessibility::AtspiAccessibility() = default;
AtspiAccessibility::~AtspiAccessibility() = default;

bool AtspiAccessibility::isProcessTrusted(bool prompt) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (failed(error) || !bus) {
        if (prompt) systemLog(howToEnable);
        return false;
    }
    auto enabled = accessibilityBusEnabled(bus);
    if (enabled && !*enabled && prompt && enableAccessibilityBus(bus)) enabled = accessibilityBusEnabled(bus);
    g_object_unref(bus);
    const bool trusted = enabled.value_or(false) && ensureAtspiInitialised();
    if (!trusted && prompt) systemLog(howToEnable);
    return trusted;
}

std::shared_ptr<AccessibilityElement> AtspiAccessibility::applicationElement(int processIdentifier) {
    const std::lock_guard lock(atspiMutex());
    auto app = findApplication(processIdentifier);
    if (!app) return nullptr;
    return std::make_shared<AtspiElement>(std::move(app));
}

std::shared_ptr<AccessibilityElement> AtspiAccessibility::firstWindowOfApplication(int processIdentifier) {
    const std::lock_guard lock(atspiMutex());
    auto app = findApplication(processIdentifier);
    if (!app) return nullptr;
    const AtspiElement application(std::move(app));
    // The active window first, as the front window is what the user sees; else the first one.
    std::shared_ptr<AtspiElement> first;
    for (const auto& child : application.children(1000)) {
        auto element = std::static_pointer_cast<AtspiElement>(child);
        const auto atspiRole = element->roleValue();
        if (!atspiRole || !isWindowRole(*atspiRole)) continue;
        if (element->hasState(ATSPI_STATE_ACTIVE)) return element;
        if (!first) first = element;
    }
    return first;
}

} // namespace glimmo
