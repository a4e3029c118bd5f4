#include "RidadoziRI/Styles/RelativeSize.h"

#include "RidadoziRI/Styles/FontProperties.h"

#include <cmath>

namespace ridadozi {

glimmo::CGFloat roundedPoints(glimmo::CGFloat value) {
    // std::round is exact: halves go away from zero and 0.49999999999999994 stays below a half.
    return std::round(value);
}

const RelativeSize& RelativeSize::zero() {
    static const RelativeSize zeroSize{0, Unit::rem};
    return zeroSize;
}

glimmo::CGFloat RelativeSize::points(const std::optional<FontProperties>& fontProperties) const {
    const FontProperties properties = fontProperties.value_or(FontProperties{});
    switch (unit) {
    case Unit::em:
        return roundedPoints(roundedPoints(properties.size * properties.scale) * value);
    case Unit::rem:
        return roundedPoints(properties.size * value);
    }
    return 0;
}

} // namespace ridadozi
