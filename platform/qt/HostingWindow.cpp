#include "platform/qt/HostingWindow.h"

#include "platform/qt/HostingWidget.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/View.h"

#include <QString>

#include <cmath>

namespace glimmo {

struct HostingWindow::Impl {
    HostingWidget widget;
    Impl(AnyView root) : widget(std::move(root), std::make_shared<QtTextMeasurer>()) {}
};

HostingWindow::HostingWindow(AnyView root) : impl_(std::make_unique<Impl>(std::move(root))) {}

HostingWindow::~HostingWindow() = default;

ViewHost& HostingWindow::host() { return impl_->widget.host(); }

void HostingWindow::setTitle(const std::string& title) { impl_->widget.setWindowTitle(QString::fromStdString(title)); }

void HostingWindow::resize(CGSize size) {
    impl_->widget.resize(std::max(1, static_cast<int>(std::ceil(size.width))),
                         std::max(1, static_cast<int>(std::ceil(size.height))));
}

CGSize HostingWindow::contentSize() const {
    return {static_cast<CGFloat>(impl_->widget.width()), static_cast<CGFloat>(impl_->widget.height())};
}

void HostingWindow::sizeToFit() { resize(host().idealSize()); }

void HostingWindow::show() { impl_->widget.show(); }
void HostingWindow::hide() { impl_->widget.hide(); }
void HostingWindow::close() { impl_->widget.close(); }
bool HostingWindow::isVisible() const { return impl_->widget.isVisible(); }

QWidget& HostingWindow::widget() { return impl_->widget; }

} // namespace glimmo
