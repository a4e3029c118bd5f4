#pragma once

// A top-level window that runs a root view of the kit: it paints the view's display list, delivers
// pointer, wheel and key events to the kit's hit testing, shows the help tooltips and repaints whenever
// the kit reports a new frame. Needs the QtApplication (QApplication, fonts, the main run loop on Qt's
// loop: the kit posts its updates there).

#include "platform/view/Geometry.h"

#include <memory>
#include <string>

class QWidget;

namespace glimmo {

class AnyView;
class ViewHost;

class HostingWindow {
public:
    explicit HostingWindow(AnyView root);
    ~HostingWindow();
    HostingWindow(const HostingWindow&) = delete;
    HostingWindow& operator=(const HostingWindow&) = delete;

    // The kit's host of the root view (colour scheme, environment, sizes).
    ViewHost& host();

    void setTitle(const std::string& title);
    // The content size in points.
    void resize(CGSize size);
    CGSize contentSize() const;
    // Resizes to the root view's ideal size.
    void sizeToFit();

    void show();
    void hide();
    void close();
    bool isVisible() const;

    // The Qt widget, for the window layer that embeds or positions it.
    QWidget& widget();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
