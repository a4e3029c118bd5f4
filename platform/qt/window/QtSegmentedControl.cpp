#include "platform/window/SegmentedControl.h"

#include "platform/qt/window/QtWindowSupport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFontMetricsF>
#include <QToolButton>

#include <cassert>
#include <cmath>

namespace glimmo {

struct SegmentedControl::Segments {
    struct Segment {
        std::string label;
        CGFloat width = 0;
        int tag = 0;
        QToolButton* button = nullptr;
    };
    std::vector<Segment> list;
    int selected = -1;
    std::function<void(SegmentedControl&)> action;
    QButtonGroup* group = nullptr;
};

SegmentedControl::SegmentedControl(int segmentCount) : segments_(std::make_unique<Segments>()) {
    QWidget& w = widgetOf(*this);
    segments_->group = new QButtonGroup(&w);
    segments_->group->setExclusive(true);
    for (int i = 0; i < segmentCount; ++i) {
        auto* button = new QToolButton(&w);
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->show();
        segments_->group->addButton(button, i);
        segments_->list.push_back({.button = button});
        QObject::connect(button, &QToolButton::clicked, &w, [this, i] { performClick(i); });
    }
}

SegmentedControl::~SegmentedControl() = default;

int SegmentedControl::segmentCount() const { return static_cast<int>(segments_->list.size()); }

void SegmentedControl::setLabel(int segment, std::string label) {
    assert(segment >= 0 && segment < segmentCount());
    segments_->list[segment].button->setText(QString::fromStdString(label));
    segments_->list[segment].label = std::move(label);
}

std::string SegmentedControl::label(int segment) const { return segments_->list.at(segment).label; }

void SegmentedControl::setWidth(int segment, CGFloat width) {
    assert(segment >= 0 && segment < segmentCount());
    segments_->list[segment].width = width;
    setFrame(frame());
}

CGFloat SegmentedControl::width(int segment) const { return segments_->list.at(segment).width; }

void SegmentedControl::setTag(int segment, int tag) { segments_->list.at(segment).tag = tag; }

int SegmentedControl::tag(int segment) const { return segments_->list.at(segment).tag; }

int SegmentedControl::selectedSegment() const { return segments_->selected; }

void SegmentedControl::setSelectedSegment(int segment) {
    assert(segment >= -1 && segment < segmentCount());
    segments_->selected = segment;
    for (int i = 0; i < segmentCount(); ++i) segments_->list[i].button->setChecked(i == segment);
}

void SegmentedControl::setSegmentStyle(Style style) { style_ = style; }

void SegmentedControl::setAction(std::function<void(SegmentedControl&)> action) { segments_->action = std::move(action); }

void SegmentedControl::performClick(int segment) {
    assert(segment >= 0 && segment < segmentCount());
    if (trackingMode_ == TrackingMode::selectOne) setSelectedSegment(segment);
    if (segments_->action) {
        auto action = segments_->action;
        action(*this);
    }
}

void SegmentedControl::setFrame(CGRect frame) {
    NativeView::setFrame(frame);
    if (!segments_) return;
    // Segments sit side by side with one point between them and at the ends.
    CGFloat x = 1;
    const int h = static_cast<int>(std::lround(frame.size.height));
    for (auto& s : segments_->list) {
        const int w = static_cast<int>(std::lround(s.width));
        s.button->setGeometry(static_cast<int>(std::lround(x)), 0, std::max(1, w), std::max(1, h));
        x += s.width + 1;
    }
    QWidget& widget = widgetOf(*this);
    widget.setMinimumSize(static_cast<int>(std::lround(frame.size.width)), h);
}

CGSize SegmentedControl::measureSystemFontText(const std::string& text) {
    const QFontMetricsF metrics(QApplication::font());
    const QRectF r = metrics.boundingRect(QString::fromStdString(text));
    return {std::ceil(metrics.horizontalAdvance(QString::fromStdString(text))), std::ceil(std::max(r.height(), metrics.height()))};
}

} // namespace glimmo
