#include "RidadoziRI/Views/FlowLayout.h"

#include <algorithm>
#include <limits>

namespace ridadozi {

std::vector<FlowLayout::Row> FlowLayout::arrangeRows(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const {
    const CGFloat limit = proposal.width.value_or(std::numeric_limits<CGFloat>::infinity());
    std::vector<Row> rows;
    std::vector<Item> open;
    CGFloat x = 0;
    CGFloat rowHeight = 0;
    auto closeRow = [&] {
        rows.push_back(Row{CGSize{x - horizontalSpacing, rowHeight}, std::move(open)});
        open.clear();
        x = 0;
        rowHeight = 0;
    };
    for (std::size_t i = 0; i < subviews.size(); ++i) {
        const auto& subview = subviews[i];
        std::optional<CGFloat> offered;
        if (proposal.width) offered = subview.priority() < 0 ? *proposal.width - x : *proposal.width;
        const CGSize size = subview.sizeThatFits(ProposedViewSize{offered, std::nullopt});
        if (x > 0 && x + size.width > limit) closeRow();
        open.push_back(Item{static_cast<int>(i), size});
        rowHeight = std::max(rowHeight, size.height);
        x += size.width + horizontalSpacing;
    }
    if (!open.empty()) closeRow();
    return rows;
}

CGSize FlowLayout::sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const {
    const auto rows = arrangeRows(proposal, subviews);
    CGSize size;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        size.width = std::max(size.width, rows[r].size.width);
        size.height += rows[r].size.height + (r > 0 ? verticalSpacing : 0);
    }
    return size;
}

void FlowLayout::placeSubviews(const CGRect& bounds, const ProposedViewSize& proposal, const LayoutSubviews& subviews) const {
    CGFloat y = bounds.minY();
    for (const Row& row : arrangeRows(proposal, subviews)) {
        CGFloat x = bounds.minX();
        for (const Item& item : row.items) {
            subviews[static_cast<std::size_t>(item.index)].place(
                {x, y + row.size.height - item.size.height}, glimmo::UnitPoint::topLeading(),
                ProposedViewSize{item.size.width, item.size.height});
            x += item.size.width + horizontalSpacing;
        }
        y += row.size.height + verticalSpacing;
    }
}

} // namespace ridadozi
