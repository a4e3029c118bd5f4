#include "platform/qt/desktop/QtDisplayLossWatch.h"

#include "platform/desktop/DisplayLoss.h"

#include <QAbstractEventDispatcher>
#include <QGuiApplication>

// After Qt, whose names X11's macros would clash with.
#include <X11/Xlib.h>
#include <glib.h>
#include <xcb/xcb.h>

namespace glimmo {
namespace {

struct WatchSource {
    GSource source;
    xcb_connection_t* connection; // Qt's; null under another platform than xcb
};

bool displayGone(GSource* source) {
    xcb_connection_t* connection = reinterpret_cast<WatchSource*>(source)->connection;
    return isDisplayLost() || (connection && xcb_connection_has_error(connection));
}

// Qt's reader thread wakes the main loop when its connection breaks, and a report from our own
// connections posts work to it: either way the loop runs an iteration in which this is asked.
gboolean prepare(GSource* source, gint* timeout) {
    *timeout = -1;
    return displayGone(source);
}

gboolean check(GSource* source) { return displayGone(source); }

gboolean dispatch(GSource*, GSourceFunc, gpointer) {
    reportDisplayLost();
    handleDisplayLoss();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs watchFuncs{prepare, check, dispatch, nullptr, nullptr, nullptr};

// Xlib ends the process after its I/O error handler returns unless the connection has an exit
// handler that returns; the report itself comes from the process's I/O error handler.
void carryOnAfterIOError(Display*, void*) {}

} // namespace

struct QtDisplayLossWatch::Impl {
    GSource* source = nullptr;
};

QtDisplayLossWatch::QtDisplayLossWatch() : impl_(std::make_unique<Impl>()) {
    xcb_connection_t* connection = nullptr;
    if (const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        connection = x11->connection();
        if (Display* display = x11->display()) XSetIOErrorExitHandler(display, carryOnAfterIOError, nullptr);
    }
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    // Qt's dispatcher on the main thread runs the default GLib context.
    if (!dispatcher || !dispatcher->inherits("QEventDispatcherGlib")) return;
    impl_->source = g_source_new(&watchFuncs, sizeof(WatchSource));
    reinterpret_cast<WatchSource*>(impl_->source)->connection = connection;
    // Dispatched ahead of every source of Qt's (none is above the default priority), and alone
    // in an iteration where it is ready.
    g_source_set_priority(impl_->source, G_PRIORITY_HIGH);
    g_source_attach(impl_->source, g_main_context_default());
}

QtDisplayLossWatch::~QtDisplayLossWatch() {
    if (!impl_->source) return;
    g_source_destroy(impl_->source);
    g_source_unref(impl_->source);
}

} // namespace glimmo
