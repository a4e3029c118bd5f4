#include "platform/view/GeometryReader.h"
#include "platform/view/Grid.h"
#include "platform/view/Layout.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>

namespace glimmo {
namespace {

// Where the nearest ancestor named `name` shows in the window.
std::optional<CGRect> namedSpaceFrame(ViewNode* from, const std::string& name) {
    for (ViewNode* n = from; n; n = n->parent) {
        if (n->coordinateSpaceName() == name) return n->inWindow(n->elementsFrame());
    }
    return std::nullopt;
}

using GeometryBuilder = std::function<AnyView(const GeometryProxy&)>;

// Builds its content while being placed, when its size and position are known.
class GeometryReaderNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        content_ = c;
        environment = env;
        // The content is rebuilt at the next placement with the new builder.
    }

protected:
    // What its content sets is only known once it is built, when it is placed.
    bool handlesPreferences() const override { return true; }
    void collectPreferences(PreferenceValues& out) override {
        ViewNode::collectPreferences(out);
        out.markBuiltWhenPlaced();
    }
    CGSize computeSize(const ProposedViewSize& p) override { return p.replacingUnspecifiedDimensions(); }
    void placeChildren() override {
        const auto& build = contentData<GeometryReaderNode, GeometryBuilder>(content_);
        std::weak_ptr<bool> weak = aliveFlag();
        ViewNode* self = this;
        // A frame in an ancestor's space changes when that ancestor moves, and a frame in the window
        // when a scroll view around scrolls, which this node cannot see: it is placed again at every
        // layout once its content reads one.
        const auto placedAgain = [weak, self] {
            auto a = weak.lock();
            if (!a || !*a) return false;
            if (self->graph) self->graph->placeAtEveryLayout(self);
            return true;
        };
        const auto named = [placedAgain, self](const std::string& name) -> std::optional<CGRect> {
            if (!placedAgain()) return std::nullopt;
            // Where the named view shows in the window, in this node's coordinates.
            const auto space = namedSpaceFrame(self->parent, name);
            if (!space) return std::nullopt;
            const CGPoint by = self->scrolledBy().value_or(CGPoint{});
            return space->offsetBy(by.x, by.y);
        };
        std::function<CGPoint()> scrolled;
        if (scrolledBy()) {
            scrolled = [placedAgain, self] { return placedAgain() ? self->scrolledBy().value_or(CGPoint{}) : CGPoint{}; };
        }
        const GeometryProxy proxy(frame, named, scrolled);
        buildDuringPlacement([&] { reconcileSingleChild(build(proxy), environment); });
        const auto elements = childElements();
        const ProposedViewSize proposal = ProposedViewSize::of(frame.size);
        const CGSize s = sizeOfContent(elements, proposal);
        placeContent(elements, CGRect(frame.origin, s), proposal);
    }

private:
    std::shared_ptr<const ViewContent> content_; // its builder
};

struct LayoutData {
    std::shared_ptr<const Layout> layout;
    std::vector<AnyView> children;
};

class CustomLayoutNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<CustomLayoutNode, LayoutData>(c);
        layout_ = data.layout;
        std::vector<ChildSpec> specs;
        for (std::size_t i = 0; i < data.children.size(); ++i) specs.push_back({data.children[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
    }
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        return layout_->explicitAlignment(key, CGRect({0, 0}, size), ProposedViewSize::of(size), subviews());
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override { return layout_->sizeThatFits(p, subviews()); }
    void placeChildren() override { layout_->placeSubviews(frame, placedProposal, subviews()); }

private:
    LayoutSubviews subviews() const {
        LayoutSubviews out;
        for (auto* e : childElements()) out.emplace_back(e);
        return out;
    }
    std::shared_ptr<const Layout> layout_;
};

struct GridRowData {
    std::optional<VerticalAlignment> alignment;
    std::vector<AnyView> cells;
};

class GridRowNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<GridRowNode, GridRowData>(c);
        alignment = data.alignment;
        std::vector<ChildSpec> specs;
        for (std::size_t i = 0; i < data.cells.size(); ++i) specs.push_back({data.cells[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
    }
    std::optional<VerticalAlignment> alignment;

protected:
    // Outside a grid a row lays its cells out side by side.
    CGSize computeSize(const ProposedViewSize& p) override {
        return StackLayout{Axis::horizontal, std::nullopt, Alignment::center()}.sizeThatFits(childElements(), p);
    }
    void placeChildren() override {
        StackLayout{Axis::horizontal, std::nullopt, Alignment::center()}.place(childElements(), frame, placedProposal);
    }
};

struct GridData {
    Alignment alignment;
    std::optional<CGFloat> horizontalSpacing;
    std::optional<CGFloat> verticalSpacing;
    std::vector<AnyView> rows;
};

class GridNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        data_ = contentData<GridNode, GridData>(c);
        std::vector<ChildSpec> specs;
        for (std::size_t i = 0; i < data_.rows.size(); ++i) specs.push_back({data_.rows[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const Metrics m = metrics(p);
        return {m.totalWidth, m.totalHeight};
    }
    void layoutCacheReset() override { measured_.clear(); }
    void placeChildren() override {
        // The columns it measured for the proposal it is placed under.
        const Metrics m = metrics(placedProposal);
        CGFloat y = frame.minY();
        for (std::size_t r = 0; r < m.rows.size(); ++r) {
            const Row& row = m.rows[r];
            if (!row.cells.empty() && !row.spanning) {
                CGFloat x = frame.minX();
                for (std::size_t c = 0; c < row.cells.size(); ++c) {
                    placeCell(row.cells[c], CGRect(x, y, m.columnWidths[c], m.rowHeights[r]), columnAlignment(m, c), row.alignment);
                    x += m.columnWidths[c] + hSpacing();
                }
            } else if (row.spanning) {
                placeCell(row.cells.front(), CGRect(frame.minX(), y, m.totalWidth, m.rowHeights[r]), data_.alignment.horizontal,
                          data_.alignment.vertical);
            }
            y += m.rowHeights[r] + vSpacing();
        }
    }

private:
    struct Row {
        std::vector<ViewNode*> cells;
        VerticalAlignment alignment;
        bool spanning = false;
    };
    struct Metrics {
        std::vector<Row> rows;
        std::vector<CGFloat> columnWidths;
        std::vector<CGFloat> rowHeights;
        CGFloat totalWidth = 0;
        CGFloat totalHeight = 0;
    };
    CGFloat hSpacing() const { return data_.horizontalSpacing.value_or(defaultSpacing); }
    CGFloat vSpacing() const { return data_.verticalSpacing.value_or(defaultSpacing); }

    // What it measured for `proposal`, kept until the grid changes. A copy: placing a cell may make the
    // grid forget it.
    Metrics metrics(const ProposedViewSize& proposal) {
        for (const auto& [p, measured] : measured_) {
            if (p == proposal) return measured;
        }
        measured_.emplace_back(proposal, measure(proposal));
        return measured_.back().second;
    }

    Metrics measure(const ProposedViewSize& proposal) {
        Metrics m;
        for (ViewNode* element : childElements()) {
            Row row;
            if (auto* gridRow = dynamic_cast<GridRowNode*>(element)) {
                row.cells = gridRow->childElements();
                row.alignment = gridRow->alignment.value_or(data_.alignment.vertical);
            } else {
                row.cells = {element};
                row.alignment = data_.alignment.vertical;
                row.spanning = true;
            }
            m.rows.push_back(std::move(row));
        }
        for (const Row& row : m.rows) {
            if (row.spanning) continue;
            if (m.columnWidths.size() < row.cells.size()) m.columnWidths.resize(row.cells.size(), 0);
            for (std::size_t c = 0; c < row.cells.size(); ++c) {
                m.columnWidths[c] = std::max(m.columnWidths[c], row.cells[c]->sizeThatFits(ProposedViewSize::unspecified()).width);
            }
        }
        const CGFloat spacing = m.columnWidths.size() > 1 ? hSpacing() * static_cast<CGFloat>(m.columnWidths.size() - 1) : 0;
        CGFloat ideal = spacing;
        for (CGFloat w : m.columnWidths) ideal += w;
        if (proposal.width && ideal > *proposal.width) shrinkColumns(m, *proposal.width - spacing);
        for (CGFloat w : m.columnWidths) m.totalWidth += w;
        m.totalWidth += spacing;
        for (const Row& row : m.rows) {
            CGFloat h = 0;
            if (row.spanning) {
                const CGSize s = row.cells.front()->sizeThatFits({m.totalWidth, std::nullopt});
                m.totalWidth = std::max(m.totalWidth, s.width);
                h = s.height;
            } else {
                for (std::size_t c = 0; c < row.cells.size(); ++c) {
                    h = std::max(h, row.cells[c]->sizeThatFits({m.columnWidths[c], std::nullopt}).height);
                }
            }
            m.rowHeights.push_back(h);
        }
        for (CGFloat h : m.rowHeights) m.totalHeight += h;
        if (m.rowHeights.size() > 1) m.totalHeight += vSpacing() * static_cast<CGFloat>(m.rowHeights.size() - 1);
        return m;
    }

    // Too wide for the offer: columns share the width like the children of a stack, the narrowest
    // first, each offered an equal part of what is left; cells then wrap to their column.
    void shrinkColumns(Metrics& m, CGFloat available) {
        std::vector<std::size_t> order(m.columnWidths.size());
        for (std::size_t c = 0; c < order.size(); ++c) order[c] = c;
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return m.columnWidths[a] < m.columnWidths[b]; });
        std::size_t left = order.size();
        for (const std::size_t c : order) {
            const CGFloat offer = std::max<CGFloat>(0, available / static_cast<CGFloat>(left));
            CGFloat width = 0;
            for (const Row& row : m.rows) {
                if (!row.spanning && c < row.cells.size()) {
                    width = std::max(width, row.cells[c]->sizeThatFits({std::min(offer, m.columnWidths[c]), std::nullopt}).width);
                }
            }
            m.columnWidths[c] = width;
            available -= width;
            --left;
        }
    }

    HorizontalAlignment columnAlignment(const Metrics& m, std::size_t column) const {
        for (const Row& row : m.rows) {
            if (!row.spanning && column < row.cells.size()) {
                if (auto a = row.cells[column]->gridColumnAlignment()) return *a;
            }
        }
        return data_.alignment.horizontal;
    }

    static void placeCell(ViewNode* cell, const CGRect& slot, HorizontalAlignment h, VerticalAlignment v) {
        const ProposedViewSize proposal = ProposedViewSize::of(slot.size);
        const CGSize s = cell->sizeThatFits(proposal);
        const CGFloat x = slot.minX() + guide(h.key(), slot.size) - alignmentValue(cell, h.key(), s);
        const CGFloat y = slot.minY() + guide(v.key(), slot.size) - alignmentValue(cell, v.key(), s);
        cell->place(CGRect(x, y, s.width, s.height), proposal);
    }
    static CGFloat guide(AlignmentKey key, CGSize size) { return key.id ? key.id->defaultValue(ViewDimensions(size)) : 0; }

    GridData data_;
    std::vector<std::pair<ProposedViewSize, Metrics>> measured_;
};

} // namespace

CGRect GeometryProxy::global() const {
    if (!scrolledBy_) return frame_;
    const CGPoint by = scrolledBy_();
    return frame_.offsetBy(-by.x, -by.y);
}

CGRect GeometryProxy::frame(const CoordinateSpace& space) const {
    switch (space.kind) {
    case CoordinateSpace::Kind::global: return global();
    case CoordinateSpace::Kind::local: return CGRect({0, 0}, frame_.size);
    case CoordinateSpace::Kind::named:
        if (named_) {
            if (auto origin = named_(space.name)) return frame_.offsetBy(-origin->minX(), -origin->minY());
        }
        return global();
    }
    return global();
}

std::shared_ptr<const ViewContent> GeometryReader::toContent() const {
    return makeView<GeometryReaderNode, GeometryBuilder>(content_).content();
}

CGSize LayoutSubview::sizeThatFits(const ProposedViewSize& proposal) const { return node_->sizeThatFits(proposal); }

ViewDimensions LayoutSubview::dimensions(const ProposedViewSize& proposal) const {
    return dimensionsOf(node_, node_->sizeThatFits(proposal));
}

double LayoutSubview::priority() const { return node_->layoutPriority(); }

void LayoutSubview::place(CGPoint position, UnitPoint anchor, const ProposedViewSize& proposal) const {
    const CGSize s = node_->sizeThatFits(proposal);
    node_->place(CGRect(position.x - anchor.x * s.width, position.y - anchor.y * s.height, s.width, s.height), proposal);
}

AnyView layoutView(std::shared_ptr<const Layout> layout, std::vector<AnyView> children) {
    return makeView<CustomLayoutNode, LayoutData>(LayoutData{std::move(layout), std::move(children)});
}

std::shared_ptr<const ViewContent> GridRow::toContent() const {
    return makeView<GridRowNode, GridRowData>(GridRowData{alignment_, cells_}).content();
}

std::shared_ptr<const ViewContent> Grid::toContent() const {
    return makeView<GridNode, GridData>(GridData{alignment_, horizontalSpacing_, verticalSpacing_, rows_}).content();
}

} // namespace glimmo
