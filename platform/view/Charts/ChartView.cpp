#include "platform/view/Charts/Chart.h"

#include "platform/foundation/Calendar.h"
#include "platform/view/Charts/ChartGeometry.h"
#include "platform/view/Layout.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace glimmo {
namespace {

constexpr CGFloat labelGap = 4;
constexpr CGFloat tickLength = 4;
constexpr CGFloat legendGap = 8;

struct PlotData {
    std::shared_ptr<const ChartModel> model;
    std::shared_ptr<const ChartScales> scales;
};

// The plot area: grid lines, ticks and the marks, drawn for the frame the chart's layout gave it.
class PlotNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        content_ = c;
        environment = env;
        invalidateLayout();
    }
    void render(RenderContext& ctx) override {
        const auto& data = contentData<PlotNode, PlotData>(content_);
        const ColorScheme scheme = environment.colorScheme();
        const auto foreground = environment.foregroundColor();
        const Calendar calendar = Calendar::current();
        const ChartGeometry g = layoutChart(*data.model, *data.scales, frame, calendar);

        const RGBA gridColor = Color::gray().opacity(0.35).resolve(scheme);
        StrokeStyle hairline;
        hairline.lineWidth = 0.5;
        for (const ResolvedAxis& axis : data.scales->axes) {
            for (const ResolvedTick& tick : axis.ticks) {
                const bool grid = std::any_of(tick.parts.begin(), tick.parts.end(), [](const AxisMarkPart& p) { return std::holds_alternative<AxisGridLine>(p); });
                const bool hasTick = std::any_of(tick.parts.begin(), tick.parts.end(), [](const AxisMarkPart& p) { return std::holds_alternative<AxisTick>(p); });
                Path path;
                if (axis.isX) {
                    const CGFloat x = g.xPosition(tick.value.number);
                    if (grid) {
                        path.move({x, frame.minY()});
                        path.addLine({x, frame.maxY()});
                    }
                    if (hasTick) {
                        const CGFloat y = axis.position == AxisMarkPosition::top ? frame.minY() : frame.maxY();
                        const CGFloat out = axis.position == AxisMarkPosition::top ? -tickLength : tickLength;
                        path.move({x, y});
                        path.addLine({x, y + out});
                    }
                } else {
                    const CGFloat y = g.yPosition(tick.value.number);
                    if (grid) {
                        path.move({frame.minX(), y});
                        path.addLine({frame.maxX(), y});
                    }
                    if (hasTick) {
                        const bool leading = axis.position == AxisMarkPosition::leading;
                        const CGFloat x = leading ? frame.minX() : frame.maxX();
                        path.move({x, y});
                        path.addLine({x + (leading ? -tickLength : tickLength), y});
                    }
                }
                if (!path.isEmpty()) ctx.list.items.push_back(StrokeItem{path, gridColor, hairline});
            }
        }

        const auto& marks = data.model->marks;
        for (std::size_t i = 0; i < marks.size(); ++i) {
            if (marks[i].kind != ChartMark::Kind::bar || g.markRects[i].height() <= 0) continue;
            const CGRect r = g.markRects[i];
            const CGFloat radius = std::min({marks[i].cornerRadius, r.width() / 2, r.height() / 2});
            const Path path = radius > 0 ? Path::roundedRect(r, radius, marks[i].cornerStyle) : Path::rect(r);
            ctx.list.items.push_back(FillItem{path, markStyle(*data.model, *data.scales, marks[i]).resolve(scheme, r, foreground)});
        }
        for (const auto& line : g.lines) {
            StrokeStyle stroke;
            stroke.lineWidth = marks[line.firstMark].lineWidth;
            stroke.lineCap = StrokeStyle::LineCap::round;
            stroke.lineJoin = StrokeStyle::LineJoin::round;
            ctx.list.items.push_back(StrokeItem{line.path, markStyle(*data.model, *data.scales, marks[line.firstMark]).resolve(scheme, frame, foreground), stroke});
        }
        for (std::size_t i = 0; i < marks.size(); ++i) {
            if (marks[i].kind != ChartMark::Kind::point) continue;
            const CGFloat d = 2 * std::sqrt(marks[i].symbolSize / static_cast<CGFloat>(std::numbers::pi));
            const CGRect r(g.markPoints[i].x - d / 2, g.markPoints[i].y - d / 2, d, d);
            ctx.list.items.push_back(FillItem{Path::ellipse(r), markStyle(*data.model, *data.scales, marks[i]).resolve(scheme, r, foreground)});
        }
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override { return p.replacingUnspecifiedDimensions({300, 200}); }

private:
    std::shared_ptr<const ViewContent> content_; // the model and its scales
};

struct LabelSlot {
    std::size_t axis = 0;
    std::size_t tick = 0;
    bool centered = false;
};

// The middle of the interval from a tick to the next one (the last tick takes the width of the one
// before it).
double intervalMiddle(const std::vector<ResolvedTick>& ticks, std::size_t t) {
    const double here = ticks[t].value.number;
    if (t + 1 < ticks.size()) return (here + ticks[t + 1].value.number) / 2;
    if (t > 0) return here + (here - ticks[t - 1].value.number) / 2;
    return here;
}

// Places the plot, the axis labels around it and the legend below.
class ChartLayout final : public Layout {
public:
    std::shared_ptr<const ChartModel> model;
    std::shared_ptr<const ChartScales> scales;
    std::vector<LabelSlot> slots;
    bool hasLegend = false;

    CGSize sizeThatFits(const ProposedViewSize& p, const LayoutSubviews&) const override {
        CGSize s = p.replacingUnspecifiedDimensions({300, 200});
        if (!std::isfinite(s.width)) s.width = 300;
        if (!std::isfinite(s.height)) s.height = 200;
        return s;
    }

    void placeSubviews(const CGRect& bounds, const ProposedViewSize&, const LayoutSubviews& subviews) const override {
        std::vector<CGSize> sizes;
        CGFloat leading = 0, trailing = 0, top = 0, bottom = 0;
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const CGSize size = subviews[1 + i].sizeThatFits(ProposedViewSize::unspecified());
            sizes.push_back(size);
            switch (scales->axes[slots[i].axis].position) {
            case AxisMarkPosition::leading: leading = std::max(leading, size.width + labelGap); break;
            case AxisMarkPosition::trailing: trailing = std::max(trailing, size.width + labelGap); break;
            case AxisMarkPosition::top: top = std::max(top, size.height + labelGap); break;
            default: bottom = std::max(bottom, size.height + labelGap); break;
            }
        }
        CGSize legend{0, 0};
        if (hasLegend) legend = subviews.back().sizeThatFits(ProposedViewSize{bounds.width(), std::nullopt});
        const CGFloat legendSpace = hasLegend ? legend.height + legendGap : 0;
        const CGRect plot(bounds.minX() + leading, bounds.minY() + top, std::max(bounds.width() - leading - trailing, CGFloat(0)),
                          std::max(bounds.height() - top - bottom - legendSpace, CGFloat(0)));
        subviews[0].place(plot.origin, UnitPoint::topLeading(), ProposedViewSize::of(plot.size));

        const ChartGeometry g = layoutChart(*model, *scales, plot, Calendar::current());
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const ResolvedAxis& axis = scales->axes[slots[i].axis];
            const AxisValue& value = axis.ticks[slots[i].tick].value;
            const LayoutSubview& label = subviews[1 + i];
            if (axis.isX) {
                const CGFloat x = g.xPosition(value.number);
                const bool above = axis.position == AxisMarkPosition::top;
                const CGFloat y = above ? plot.minY() - labelGap : plot.maxY() + labelGap;
                // Dates label the interval that starts at their mark; numbers and categories sit centred.
                if (value.date && slots[i].centered) {
                    const CGFloat middle = g.xPosition(intervalMiddle(axis.ticks, slots[i].tick));
                    label.place({middle, y}, above ? UnitPoint::bottom() : UnitPoint::top());
                } else if (value.date) {
                    label.place({x + 2, y}, above ? UnitPoint::bottomLeading() : UnitPoint::topLeading());
                } else {
                    label.place({x, y}, above ? UnitPoint::bottom() : UnitPoint::top());
                }
            } else {
                const CGFloat y = g.yPosition(value.number);
                if (axis.position == AxisMarkPosition::leading) {
                    label.place({plot.minX() - labelGap, y}, UnitPoint::trailing());
                } else {
                    label.place({plot.maxX() + labelGap, y}, UnitPoint::leading());
                }
            }
        }
        if (hasLegend) subviews.back().place({bounds.minX(), plot.maxY() + bottom + legendGap}, UnitPoint::topLeading(), ProposedViewSize{bounds.width(), std::nullopt});
    }
};

AnyView labelView(const ResolvedAxis& axis, const ResolvedTick& tick, const AxisValueLabel& label, const ChartScales& scales,
                  const Calendar& calendar) {
    AnyView content;
    if (label.content) {
        content = *label.content;
    } else {
        std::string text = defaultAxisLabel(tick.value, calendar);
        if (axis.isX && scales.xIsCategorical) {
            const auto index = static_cast<std::size_t>(std::lround(tick.value.number));
            text = index < scales.categories.size() ? scales.categories[index] : "";
        }
        content = Text(std::move(text)).font(Font::caption2());
    }
    return content.foregroundColor(Color::secondaryLabelColor()).fixedSize();
}

} // namespace

AnyView Chart::body() const {
    const Calendar calendar = Calendar::current();
    auto scales = std::make_shared<ChartScales>(resolveScales(*model_, calendar));
    ChartLayout layout;
    layout.model = model_;
    layout.scales = scales;
    std::vector<AnyView> children{makeView<PlotNode, PlotData>(PlotData{model_, scales})};
    for (std::size_t a = 0; a < scales->axes.size(); ++a) {
        const ResolvedAxis& axis = scales->axes[a];
        for (std::size_t t = 0; t < axis.ticks.size(); ++t) {
            for (const AxisMarkPart& part : axis.ticks[t].parts) {
                if (const auto* label = std::get_if<AxisValueLabel>(&part)) {
                    layout.slots.push_back({a, t, label->centered});
                    children.push_back(labelView(axis, axis.ticks[t], *label, *scales, calendar));
                    break;
                }
            }
        }
    }
    layout.hasLegend = model_->legend != Visibility::hidden && !scales->series.empty();
    if (layout.hasLegend) {
        std::vector<AnyView> entries;
        for (const std::string& name : scales->series) {
            entries.push_back(HStack(VerticalAlignment::center(), 4, {
                Circle().fill(seriesStyle(*model_, *scales, name)).frame(8, 8),
                Text(name).font(Font::caption2()).foregroundColor(Color::secondaryLabelColor()),
            }));
        }
        FlexibleFrame fill;
        fill.maxWidth = infinity;
        fill.alignment = Alignment::leading();
        children.push_back(HStack(VerticalAlignment::center(), 12, std::move(entries)).frame(fill));
    }
    return LayoutView(std::move(layout), std::move(children));
}

AnyShapeStyle standardGradient(const Color& color) {
    const Color lighter = Color::dynamic([color](ColorScheme scheme) {
        const RGBA c = color.resolve(scheme);
        const double mix = 0.25;
        return RGBA{c.red + (1 - c.red) * mix, c.green + (1 - c.green) * mix, c.blue + (1 - c.blue) * mix, c.alpha};
    });
    return LinearGradient{Gradient({{lighter, 0}, {color, 1}}), UnitPoint::top(), UnitPoint::bottom()};
}

} // namespace glimmo
