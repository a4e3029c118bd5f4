#pragma once

// Shows its content at the content's natural size, scaled down (aspect ratio kept) to the offered width
// when that is narrower; never enlarged. The default block image provider wraps loaded pictures in it.

#include "platform/view/Layout.h"
#include "platform/view/View.h"

namespace ridadozi {

using glimmo::AnyView;
using glimmo::CGFloat;
using glimmo::CGRect;
using glimmo::CGSize;
using glimmo::LayoutSubviews;
using glimmo::ProposedViewSize;

// The size of content of natural size `idealSize` offered `offeredWidth`.
CGSize fittingSize(CGSize idealSize, CGFloat offeredWidth);

// Lays out its first subview only, measured at its natural size and fitted to the proposed width.
struct ResizeToFit2 final : glimmo::Layout {
    CGSize sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override;
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& proposal, const LayoutSubviews& subviews) const override;
};

// The kit always has custom layouts, so this is the layout form; the natural size is measured from the
// content and `idealSize` is kept for callers only.
struct ResizeToFit {
    CGSize idealSize;
    AnyView content;

    AnyView body() const;
};

} // namespace ridadozi
