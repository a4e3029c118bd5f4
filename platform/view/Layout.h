#pragma once

// Custom layouts (the Layout protocol): a container that sizes itself from its subviews and places
// them. Implement sizeThatFits and placeSubviews and show it with LayoutView:
//
//     struct FlowLayout final : Layout { CGSize sizeThatFits(...) const override; void placeSubviews(...) const override; };
//     LayoutView(FlowLayout{3, 3}, {Text("a"), Text("b")})

#include "platform/view/View.h"

#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

namespace glimmo {

class ViewNode;

// A subview as a layout sees it.
class LayoutSubview {
public:
    explicit LayoutSubview(ViewNode* node) : node_(node) {}
    CGSize sizeThatFits(const ProposedViewSize& proposal) const;
    ViewDimensions dimensions(const ProposedViewSize& proposal) const;
    double priority() const;
    // Places the subview so that its `anchor` point is at `position`, sized for `proposal`.
    void place(CGPoint position, UnitPoint anchor = UnitPoint::topLeading(),
               const ProposedViewSize& proposal = ProposedViewSize::unspecified()) const;

private:
    ViewNode* node_;
};

using LayoutSubviews = std::vector<LayoutSubview>;

class Layout {
public:
    virtual ~Layout() = default;
    virtual CGSize sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const = 0;
    virtual void placeSubviews(const CGRect& bounds, const ProposedViewSize& proposal, const LayoutSubviews& subviews) const = 0;
    // An explicit value for an alignment guide of the container (none by default).
    virtual std::optional<CGFloat> explicitAlignment(AlignmentKey, const CGRect&, const ProposedViewSize&, const LayoutSubviews&) const {
        return std::nullopt;
    }
};

AnyView layoutView(std::shared_ptr<const Layout> layout, std::vector<AnyView> children);

// Shows `children` arranged by `layout`; every call with the same layout type keeps the subviews' state.
template <class L>
    requires std::derived_from<L, Layout>
AnyView LayoutView(L layout, std::vector<AnyView> children) {
    return layoutView(std::make_shared<const L>(std::move(layout)), std::move(children));
}
template <class L>
    requires std::derived_from<L, Layout>
AnyView LayoutView(L layout, std::initializer_list<AnyView> children) {
    return layoutView(std::make_shared<const L>(std::move(layout)), std::vector<AnyView>(children));
}

} // namespace glimmo
