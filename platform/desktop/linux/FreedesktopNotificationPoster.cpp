#include "platform/desktop/linux/NotificationPoster.h"

#include <gio/gio.h>

namespace glimmo {
namespace {

constexpr const char* service = "org.freedesktop.Notifications";
constexpr const char* objectPath = "/org/freedesktop/Notifications";

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

std::string takeMessage(GError* error) {
    std::string message = error && error->message ? error->message : "unknown D-Bus error";
    if (error) g_error_free(error);
    return message;
}

} // namespace

struct FreedesktopNotificationPoster::Impl {
    std::string applicationName;
    std::string busAddress;
    std::unique_ptr<GDBusConnection, GObjectUnref> connection;

    // Connects on first use and again after the bus went away.
    std::optional<std::string> connect() {
        if (connection && !g_dbus_connection_is_closed(connection.get())) return std::nullopt;
        connection.reset();
        GError* error = nullptr;
        GDBusConnection* bus = busAddress.empty()
            ? g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error)
            : g_dbus_connection_new_for_address_sync(
                  busAddress.c_str(),
                  static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                    G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                  nullptr, nullptr, &error);
        if (!bus) return "cannot reach the session bus: " + takeMessage(error);
        // GLib ends the process when the shared session connection closes; for us a lost bus only
        // means notifications cannot be shown.
        g_dbus_connection_set_exit_on_close(bus, FALSE);
        connection.reset(bus);
        return std::nullopt;
    }

    std::optional<std::string> call(const char* method, GVariant* parameters, const GVariantType* replyType) {
        if (auto error = connect()) {
            if (parameters) g_variant_unref(g_variant_ref_sink(parameters));
            return error;
        }
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_sync(connection.get(), service, objectPath, service, method,
                                                      parameters, replyType, G_DBUS_CALL_FLAGS_NONE,
                                                      callTimeoutMilliseconds, nullptr, &error);
        if (!reply) return "the notification service did not answer: " + takeMessage(error);
        g_variant_unref(reply);
        return std::nullopt;
    }
};

FreedesktopNotificationPoster::FreedesktopNotificationPoster(std::string applicationName, std::string busAddress)
    : impl_(std::make_unique<Impl>()) {
    impl_->applicationName = std::move(applicationName);
    impl_->busAddress = std::move(busAddress);
}

FreedesktopNotificationPoster::~FreedesktopNotificationPoster() = default;

std::optional<std::string> FreedesktopNotificationPoster::checkAvailable() {
    return impl_->call("GetServerInformation", nullptr, G_VARIANT_TYPE("(ssss)"));
}

std::optional<std::string> FreedesktopNotificationPoster::post(const NotificationContent& content) {
    GVariantBuilder actions;
    g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    if (content.defaultSound) {
        g_variant_builder_add(&hints, "{sv}", "sound-name", g_variant_new_string("message-new-instant"));
    } else {
        g_variant_builder_add(&hints, "{sv}", "suppress-sound", g_variant_new_boolean(TRUE));
    }
    GVariant* parameters = g_variant_new("(susssasa{sv}i)", impl_->applicationName.c_str(), 0u, "",
                                         content.title.c_str(), content.body.c_str(), &actions, &hints, -1);
    return impl_->call("Notify", parameters, G_VARIANT_TYPE("(u)"));
}

} // namespace glimmo
