#pragma once

// Sets subviews one after another along a row and wraps to a new row when the next one would pass the
// proposed width, the way words wrap in a paragraph. Rows stack downwards; items sit on their row's
// bottom edge.

#include "platform/view/Layout.h"

#include <vector>

namespace ridadozi {

using glimmo::CGFloat;
using glimmo::CGRect;
using glimmo::CGSize;
using glimmo::LayoutSubviews;
using glimmo::ProposedViewSize;

struct FlowLayout final : glimmo::Layout {
    CGFloat horizontalSpacing = 0;
    CGFloat verticalSpacing = 0;

    FlowLayout(CGFloat horizontalSpacing, CGFloat verticalSpacing)
        : horizontalSpacing(horizontalSpacing), verticalSpacing(verticalSpacing) {}

    struct Item {
        int index = 0;
        CGSize size;
    };
    struct Row {
        CGSize size;
        std::vector<Item> items;
    };

    // Measures every subview once and breaks them into rows.
    std::vector<Row> arrangeRows(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const;

    CGSize sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override;
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override;
};

} // namespace ridadozi
