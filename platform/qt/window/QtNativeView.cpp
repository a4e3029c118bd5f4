#include "platform/window/NativeView.h"

#include "platform/qt/DisplayListPainter.h"
#include "platform/qt/HostingWidget.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/qt/window/QtWindowSupport.h"
#include "platform/view/View.h"
#include "platform/view/ViewHost.h"
#include "platform/window/DesktopActions.h"

#include <QGraphicsOpacityEffect>
#include <QPaintEvent>
#include <QPainterPath>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>

#include <algorithm>
#include <cassert>
#include <cmath>

namespace glimmo {

namespace {

int points(CGFloat v) { return static_cast<int>(std::lround(v)); }

// The widget of a view: paints the view's own drawing and keeps pinned subviews on their edges.
class ViewWidget final : public QWidget {
public:
    explicit ViewWidget(NativeView& owner) : owner_(owner) { setAttribute(Qt::WA_TranslucentBackground); }

protected:
    void paintEvent(QPaintEvent* event) override {
        DisplayList list;
        list.size = {static_cast<CGFloat>(width()), static_cast<CGFloat>(height())};
        list.background = {0, 0, 0, 0};
        const QRect r = event->rect();
        owner_.draw(list, CGRect(r.x(), r.y(), r.width(), r.height()));
        if (list.items.empty()) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        paintDisplayList(list, painter);
    }
    void resizeEvent(QResizeEvent* event) override;

private:
    NativeView& owner_;
};

} // namespace

struct NativeView::Impl {
    NativeView& owner;
    QPointer<QWidget> widget;
    HostingWidget* hosting = nullptr; // child of widget
    NativeView* superview = nullptr;
    std::vector<std::shared_ptr<NativeView>> subviews;
    std::vector<LayoutConstraint> constraints; // held by this view as the superview
    double alpha = 1;
    CGFloat cornerRadius = 0;

    // Content outside the rounded bounds is not shown (children included).
    void updateMask() {
        if (cornerRadius <= 0) {
            widget->clearMask();
            return;
        }
        QPainterPath path;
        path.addRoundedRect(QRectF(widget->rect()), cornerRadius, cornerRadius);
        widget->setMask(QRegion(path.toFillPolygon().toPolygon()));
    }

    explicit Impl(NativeView& o) : owner(o), widget(new ViewWidget(o)) {}
    ~Impl() {
        for (auto& sub : subviews) {
            if (sub->impl().widget) sub->impl().widget->setParent(nullptr);
            sub->impl().superview = nullptr;
        }
        delete widget.data();
    }

    // Applies the active constraints to the subviews' frames.
    void layoutSubviews() {
        const CGRect b = owner.bounds();
        for (auto& sub : subviews) {
            CGRect f = sub->frame();
            bool any = false;
            std::optional<CGFloat> leading, trailing, top, bottom;
            for (const auto& c : constraints) {
                if (c.view != sub.get()) continue;
                any = true;
                switch (c.edge) {
                case LayoutConstraint::Edge::leading: leading = c.constant; break;
                case LayoutConstraint::Edge::trailing: trailing = c.constant; break;
                case LayoutConstraint::Edge::top: top = c.constant; break;
                case LayoutConstraint::Edge::bottom: bottom = c.constant; break;
                }
            }
            if (!any) continue;
            if (leading) f.origin.x = *leading;
            if (leading && trailing) f.size.width = std::max<CGFloat>(0, b.size.width - *leading - *trailing);
            else if (trailing) f.origin.x = b.size.width - *trailing - f.size.width;
            if (top) f.origin.y = *top;
            if (top && bottom) f.size.height = std::max<CGFloat>(0, b.size.height - *top - *bottom);
            else if (bottom) f.origin.y = b.size.height - *bottom - f.size.height;
            sub->setFrame(f);
        }
    }
};

void ViewWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    owner_.impl().layoutSubviews();
    owner_.impl().updateMask();
    if (auto* hosting = owner_.impl().hosting) hosting->setGeometry(rect());
}

QWidget& widgetOf(const NativeView& view) { return *view.impl().widget; }

std::shared_ptr<NativeView> NativeView::make(CGRect frame) { return std::make_shared<NativeView>(frame); }

std::shared_ptr<NativeView> NativeView::makeHosting(AnyView root) {
    struct Hosting : NativeView {
        explicit Hosting(AnyView r) : NativeView(HostingTag{}, std::move(r)) {}
    };
    return std::make_shared<Hosting>(std::move(root));
}

NativeView::NativeView(CGRect frame) : impl_(std::make_unique<Impl>(*this)) { NativeView::setFrame(frame); }

NativeView::NativeView(HostingTag, AnyView root) : impl_(std::make_unique<Impl>(*this)) {
    impl_->hosting = new HostingWidget(withDesktopActions(std::move(root)), std::make_shared<QtTextMeasurer>());
    impl_->hosting->setParent(impl_->widget);
    const CGSize ideal = impl_->hosting->host().idealSize();
    setFrame(CGRect(0, 0, std::ceil(ideal.width), std::ceil(ideal.height)));
}

NativeView::~NativeView() = default;

CGRect NativeView::frame() const {
    const QRect g = impl_->widget->geometry();
    return CGRect(g.x(), g.y(), g.width(), g.height());
}

void NativeView::setFrame(CGRect frame) {
    impl_->widget->setGeometry(points(frame.origin.x), points(frame.origin.y), points(frame.size.width),
                               points(frame.size.height));
    if (impl_->hosting) impl_->hosting->setGeometry(impl_->widget->rect());
    // Hidden widgets get no resize events: lay the pinned subviews out here.
    impl_->layoutSubviews();
    impl_->updateMask();
}

CGFloat NativeView::cornerRadius() const { return impl_->cornerRadius; }

void NativeView::setCornerRadius(CGFloat radius) {
    impl_->cornerRadius = radius;
    impl_->updateMask();
}

CGRect NativeView::bounds() const { return CGRect({0, 0}, frame().size); }

CGSize NativeView::fittingSize() const {
    if (impl_->hosting) {
        const CGSize ideal = impl_->hosting->host().idealSize();
        return {std::ceil(ideal.width), std::ceil(ideal.height)};
    }
    CGSize fitting;
    bool pinned = false;
    for (const auto& sub : impl_->subviews) {
        CGFloat h = 0, v = 0;
        int edges = 0;
        for (const auto& c : impl_->constraints) {
            if (c.view != sub.get()) continue;
            ++edges;
            if (c.edge == LayoutConstraint::Edge::leading || c.edge == LayoutConstraint::Edge::trailing) h += c.constant;
            else v += c.constant;
        }
        if (edges == 0) continue;
        pinned = true;
        const CGSize s = sub->fittingSize();
        fitting.width = std::max(fitting.width, s.width + h);
        fitting.height = std::max(fitting.height, s.height + v);
    }
    return pinned ? fitting : frame().size;
}

void NativeView::addSubview(const std::shared_ptr<NativeView>& view) {
    assert(view && view.get() != this);
    if (view->impl_->superview == this) return;
    view->removeFromSuperview();
    view->impl_->superview = this;
    impl_->subviews.push_back(view);
    view->impl_->widget->setParent(impl_->widget);
    view->impl_->widget->setVisible(true);
    view->impl_->widget->raise();
}

void NativeView::removeFromSuperview() {
    NativeView* parent = impl_->superview;
    if (!parent) return;
    auto keep = shared_from_this();
    auto& list = parent->impl_->subviews;
    list.erase(std::remove_if(list.begin(), list.end(), [this](const auto& v) { return v.get() == this; }), list.end());
    auto& cs = parent->impl_->constraints;
    cs.erase(std::remove_if(cs.begin(), cs.end(), [this](const auto& c) { return c.view == this; }), cs.end());
    impl_->superview = nullptr;
    impl_->widget->hide();
    impl_->widget->setParent(nullptr);
}

NativeView* NativeView::superview() const { return impl_->superview; }

const std::vector<std::shared_ptr<NativeView>>& NativeView::subviews() const { return impl_->subviews; }

Window* NativeView::window() const { return windowOfWidget(impl_->widget->window()); }

void NativeView::addConstraints(const std::vector<LayoutConstraint>& constraints) {
    for (const auto& c : constraints) {
        assert(c.view && c.view->superview() == this && "constraints relate a subview to this view");
        impl_->constraints.push_back(c);
    }
    impl_->layoutSubviews();
}

void NativeView::removeConstraints(const std::vector<LayoutConstraint>& constraints) {
    auto& cs = impl_->constraints;
    for (const auto& c : constraints) {
        auto it = std::find(cs.begin(), cs.end(), c);
        if (it != cs.end()) cs.erase(it);
    }
}

const std::vector<LayoutConstraint>& NativeView::constraints() const { return impl_->constraints; }

std::vector<LayoutConstraint> NativeView::constrainToSuperviewBounds() {
    NativeView* parent = superview();
    assert(parent != nullptr && "a view pinned to its superview needs one");
    std::vector<LayoutConstraint> result{
        {this, LayoutConstraint::Edge::leading, 0}, {this, LayoutConstraint::Edge::trailing, 0},
        {this, LayoutConstraint::Edge::top, 0}, {this, LayoutConstraint::Edge::bottom, 0}};
    parent->addConstraints(result);
    return result;
}

void NativeView::draw(DisplayList&, CGRect) {}

void NativeView::setNeedsDisplay() { impl_->widget->update(); }

double NativeView::alphaValue() const { return impl_->alpha; }

void NativeView::setAlphaValue(double alpha) {
    impl_->alpha = alpha;
    QWidget& widget = *impl_->widget;
    if (alpha >= 1) {
        widget.setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(widget.graphicsEffect());
    if (!effect) {
        effect = new QGraphicsOpacityEffect(&widget);
        widget.setGraphicsEffect(effect); // the widget owns it
    }
    effect->setOpacity(std::max(0.0, alpha));
}

bool NativeView::isHidden() const { return impl_->widget->isHidden(); }

void NativeView::setHidden(bool hidden) { impl_->widget->setVisible(!hidden); }

ViewHost* NativeView::host() const { return impl_->hosting ? &impl_->hosting->host() : nullptr; }

} // namespace glimmo
