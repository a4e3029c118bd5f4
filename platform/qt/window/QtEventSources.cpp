// Input of the application's windows reaches the local event monitors and the windows' event filters
// through one application-wide Qt event filter; focus loss to another client reaches the global
// monitors (see EventMonitors.h for why).

#include "platform/qt/window/QtWindowSupport.h"
#include "platform/window/EventMonitors.h"
#include "platform/window/StatusBar.h"
#include "platform/window/Window.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QWindow>

#include <optional>

namespace glimmo {

namespace detail {
// The screen frames of our status items, where the pointer may be when a click on one takes the focus.
std::vector<CGRect> statusItemFrames();
} // namespace detail

namespace {

std::optional<EventType> eventTypeOf(const QEvent* event) {
    auto mouse = [](const QEvent* e, EventType left, EventType right, EventType other) {
        const auto button = static_cast<const QMouseEvent*>(e)->button();
        return button == Qt::LeftButton ? left : button == Qt::RightButton ? right : other;
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return mouse(event, EventType::leftMouseDown, EventType::rightMouseDown, EventType::otherMouseDown);
    case QEvent::MouseButtonRelease:
        return mouse(event, EventType::leftMouseUp, EventType::rightMouseUp, EventType::otherMouseUp);
    case QEvent::MouseMove: {
        const auto buttons = static_cast<const QMouseEvent*>(event)->buttons();
        if (buttons & Qt::LeftButton) return EventType::leftMouseDragged;
        if (buttons & Qt::RightButton) return EventType::rightMouseDragged;
        if (buttons != Qt::NoButton) return EventType::otherMouseDragged;
        return EventType::mouseMoved;
    }
    case QEvent::KeyPress: {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        const bool modifier = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta;
        return modifier ? EventType::flagsChanged : EventType::keyDown;
    }
    case QEvent::KeyRelease: {
        const int key = static_cast<const QKeyEvent*>(event)->key();
        const bool modifier = key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_Meta;
        return modifier ? EventType::flagsChanged : EventType::keyUp;
    }
    case QEvent::Wheel: return EventType::scrollWheel;
    case QEvent::TabletMove: return EventType::tabletPoint;
    case QEvent::TabletEnterProximity:
    case QEvent::TabletLeaveProximity: return EventType::tabletProximity;
    case QEvent::NativeGesture: return EventType::gesture;
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return EventType::directTouch;
    case QEvent::Enter: return EventType::mouseEntered;
    case QEvent::Leave: return EventType::mouseExited;
    default: return std::nullopt;
    }
}

ModifierFlags modifiersOf(Qt::KeyboardModifiers m) {
    return {.shift = (m & Qt::ShiftModifier) != 0, .control = (m & Qt::ControlModifier) != 0,
            .option = (m & Qt::AltModifier) != 0, .command = (m & Qt::MetaModifier) != 0};
}

class InputFilter final : public QObject {
public:
    // Real input reaches the QWindow of a top-level widget first, which hands it to the widget under
    // the pointer or with the focus: looking at it there sees each event once, before any widget.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWindowType()) return false;
        const auto type = eventTypeOf(event);
        if (!type) return false;
        Window* window = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == watched) {
                window = windowOfWidget(widget);
                break;
            }
        }
        if (!window) return false;
        Event e{.type = *type, .window = window};
        if (auto* input = dynamic_cast<QInputEvent*>(event)) e.modifiers = modifiersOf(input->modifiers());
        const QPoint p = QCursor::pos();
        e.locationOnScreen = {static_cast<CGFloat>(p.x()), static_cast<CGFloat>(p.y())};
        if (!runLocalMonitors(e)) return true;
        return !window->sendEvent(e);
    }
};

bool pointerOverStatusItem() {
    const QPoint p = QCursor::pos();
    for (const CGRect& r : detail::statusItemFrames()) {
        if (p.x() >= r.origin.x && p.x() < r.origin.x + r.size.width && p.y() >= r.origin.y &&
            p.y() < r.origin.y + r.size.height) {
            return true;
        }
    }
    return false;
}

} // namespace

namespace detail {

void installEventSources() {
    static QPointer<InputFilter> filter;
    if (filter || !qApp) return;
    filter = new InputFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, filter, [](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive || pointerOverStatusItem()) return;
        const QPoint p = QCursor::pos();
        Event e{.type = EventType::leftMouseDown};
        e.locationOnScreen = {static_cast<CGFloat>(p.x()), static_cast<CGFloat>(p.y())};
        runGlobalMonitors(e);
    });
}

} // namespace detail

} // namespace glimmo
