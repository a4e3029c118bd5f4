#pragma once

// Internal to the Qt backend: the QWidget behind HostingWindow, visible to tests that drive it with
// synthetic Qt events.

#include "platform/view/ViewHost.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace glimmo {

class HostingWidget final : public QWidget {
public:
    HostingWidget(AnyView root, std::shared_ptr<const TextMeasurer> measurer);
    ~HostingWidget() override;

    ViewHost& host() { return host_; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Backtab go to the kit's focus handling, not to Qt's focus chain.
    bool focusNextPrevChild(bool next) override;

private:
    void deliverPointer(QMouseEvent* event, PointerEvent::Kind kind, int clickCount);
    void updateCursor();

    ViewHost host_;
    CGFloat lineHeight_;
    // Frames are painted into this image first: materials blur what lies below them, which needs the
    // pixels drawn so far.
    QImage frame_;
};

} // namespace glimmo
