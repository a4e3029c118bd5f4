#include "RidadoziRI/Views/ResizeToFit.h"

namespace ridadozi {

CGSize fittingSize(CGSize idealSize, CGFloat offeredWidth) {
    if (offeredWidth < idealSize.width) {
        return {offeredWidth, offeredWidth / (idealSize.width / idealSize.height)};
    }
    return idealSize;
}

CGSize ResizeToFit2::sizeThatFits(const ProposedViewSize& proposal, const LayoutSubviews& subviews) const {
    if (subviews.empty()) return {0, 0};
    const CGSize natural = subviews.front().sizeThatFits(ProposedViewSize::unspecified());
    if (!proposal.width) return natural;
    return fittingSize(natural, *proposal.width);
}

void ResizeToFit2::placeSubviews(const CGRect& bounds, const ProposedViewSize&, const LayoutSubviews& subviews) const {
    if (subviews.empty()) return;
    subviews.front().place(bounds.origin, glimmo::UnitPoint::topLeading(),
                           ProposedViewSize{bounds.width(), bounds.height()});
}

AnyView ResizeToFit::body() const {
    return glimmo::LayoutView(ResizeToFit2{}, {content});
}

} // namespace ridadozi
