#include "platform/qt/HostingWidget.h"

#include "platform/qt/DisplayListPainter.h"
#include "platform/qt/FrameImage.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/View.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QToolTip>
#include <QWheelEvent>
#include <QtMath>

#include <cmath>

namespace glimmo {
namespace {


EventModifiers kitModifiers(Qt::KeyboardModifiers m) {
    EventModifiers out;
    if (m & Qt::ShiftModifier) out = out | EventModifiers::shift();
    // Ctrl is both control and command on Linux keyboards (copy is Ctrl+C).
    if (m & Qt::ControlModifier) out = out | EventModifiers::control() | EventModifiers::command();
    if (m & Qt::AltModifier) out = out | EventModifiers::option();
    return out;
}

MouseButton button(Qt::MouseButton b) {
    switch (b) {
    case Qt::RightButton: return MouseButton::right;
    case Qt::MiddleButton: return MouseButton::middle;
    default: return MouseButton::left;
    }
}

const char* keyName(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return "Return";
    case Qt::Key_Escape: return "Escape";
    case Qt::Key_Tab: return "Tab";
    case Qt::Key_Backtab: return "Backtab";
    case Qt::Key_Left: return "Left";
    case Qt::Key_Right: return "Right";
    case Qt::Key_Up: return "Up";
    case Qt::Key_Down: return "Down";
    case Qt::Key_Home: return "Home";
    case Qt::Key_End: return "End";
    case Qt::Key_PageUp: return "PageUp";
    case Qt::Key_PageDown: return "PageDown";
    case Qt::Key_Backspace: return "Backspace";
    case Qt::Key_Delete: return "Delete";
    case Qt::Key_Space: return "Space";
    default: return "";
    }
}

// What a key types: nothing for control characters (Return, Tab, Escape, Backspace, Delete).
std::string typedText(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) return {};
    }
    return text.toStdString();
}

} // namespace

HostingWidget::HostingWidget(AnyView root, std::shared_ptr<const TextMeasurer> measurer)
    : host_(std::move(root), measurer), lineHeight_(bodyLineHeight(*measurer)) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    host_.setNeedsDisplayHandler([this] { update(); });
}

HostingWidget::~HostingWidget() { host_.setNeedsDisplayHandler({}); }

bool HostingWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (const auto tip = host_.tooltip()) {
            const QRect anchor(static_cast<int>(tip->anchor.minX()), static_cast<int>(tip->anchor.minY()),
                               static_cast<int>(std::ceil(tip->anchor.width())),
                               static_cast<int>(std::ceil(tip->anchor.height())));
            QToolTip::showText(help->globalPos(), QString::fromStdString(tip->text), this, anchor);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void HostingWidget::paintEvent(QPaintEvent*) {
    const qreal ratio = devicePixelRatioF();
    prepareFrameImage(frame_, QSize(qCeil(width() * ratio), qCeil(height() * ratio)), ratio);
    {
        QPainter painter(&frame_);
        paintDisplayList(host_.displayList(), painter);
    }
    QPainter(this).drawImage(QPointF(0, 0), frame_);
}

void HostingWidget::resizeEvent(QResizeEvent* event) {
    host_.setSize({static_cast<CGFloat>(width()), static_cast<CGFloat>(height())});
    QWidget::resizeEvent(event);
}

void HostingWidget::deliverPointer(QMouseEvent* event, PointerEvent::Kind kind, int clickCount) {
    PointerEvent pointer;
    pointer.kind = kind;
    pointer.location = {event->position().x(), event->position().y()};
    pointer.button = button(event->button());
    pointer.modifiers = kitModifiers(event->modifiers());
    pointer.clickCount = clickCount;
    event->setAccepted(host_.handlePointer(pointer));
    updateCursor();
}

void HostingWidget::mouseMoveEvent(QMouseEvent* event) { deliverPointer(event, PointerEvent::Kind::moved, 1); }

void HostingWidget::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    deliverPointer(event, PointerEvent::Kind::pressed, 1);
}

void HostingWidget::mouseDoubleClickEvent(QMouseEvent* event) { deliverPointer(event, PointerEvent::Kind::pressed, 2); }

void HostingWidget::mouseReleaseEvent(QMouseEvent* event) { deliverPointer(event, PointerEvent::Kind::released, 1); }

void HostingWidget::leaveEvent(QEvent* event) {
    PointerEvent exited;
    exited.kind = PointerEvent::Kind::exited;
    host_.handlePointer(exited);
    updateCursor();
    QWidget::leaveEvent(event);
}

void HostingWidget::wheelEvent(QWheelEvent* event) {
    WheelEvent wheel;
    wheel.location = {event->position().x(), event->position().y()};
    // A touchpad scrolls by the distance the fingers moved. A wheel scrolls by the desktop's lines per
    // notch; the pixel distance X11 drivers report for a wheel is their own and unreliable.
    const bool touchpad = event->pointingDevice() && event->pointingDevice()->type() == QInputDevice::DeviceType::TouchPad;
    if (touchpad && !event->pixelDelta().isNull()) {
        wheel.deltaX = event->pixelDelta().x();
        wheel.deltaY = event->pixelDelta().y();
    } else {
        const double perNotch = QApplication::wheelScrollLines() * lineHeight_;
        wheel.deltaX = event->angleDelta().x() / 120.0 * perNotch;
        wheel.deltaY = event->angleDelta().y() / 120.0 * perNotch;
    }
    wheel.modifiers = kitModifiers(event->modifiers());
    event->setAccepted(host_.handleWheel(wheel));
}

void HostingWidget::keyPressEvent(QKeyEvent* event) {
    KeyEvent key;
    key.key = keyName(event->key());
    key.text = typedText(event->text());
    key.modifiers = kitModifiers(event->modifiers());
    key.isRepeat = event->isAutoRepeat();
    if (key.key.empty() && key.text.empty()) {
        event->ignore();
        return;
    }
    event->setAccepted(host_.handleKey(key));
}

bool HostingWidget::focusNextPrevChild(bool) { return false; }

void HostingWidget::updateCursor() {
    switch (host_.cursor()) {
    case CursorShape::arrow: unsetCursor(); break;
    case CursorShape::pointingHand: setCursor(Qt::PointingHandCursor); break;
    case CursorShape::iBeam: setCursor(Qt::IBeamCursor); break;
    }
}

} // namespace glimmo
