#include "RidadoziRI/Views/BlockMargin.h"

namespace ridadozi {

std::optional<CGFloat> largestPresent(std::optional<CGFloat> first, std::optional<CGFloat> second) {
    std::optional<CGFloat> best = first;
    if (second && (!best || *second > *best)) best = second;
    return best;
}

void BlockMargin::merge(std::optional<CGFloat> newTop, std::optional<CGFloat> newBottom) {
    top = largestPresent(top, newTop);
    bottom = largestPresent(bottom, newBottom);
}

} // namespace ridadozi
