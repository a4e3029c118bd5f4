#pragma once

// The vertical margins a block asks for, travelling up the view tree to the block sequence around it.

#include "platform/view/Geometry.h"

#include <functional>
#include <optional>

namespace ridadozi {

using glimmo::CGFloat;

struct BlockMargin {
    std::optional<CGFloat> top;
    std::optional<CGFloat> bottom;

    // Each side becomes the largest of its present value and the given one; absent stays absent only
    // when both are.
    void merge(std::optional<CGFloat> top, std::optional<CGFloat> bottom);

    bool operator==(const BlockMargin&) const = default;
};

// The largest present value, the first of equal ones winning; absent when none is present.
std::optional<CGFloat> largestPresent(std::optional<CGFloat> first, std::optional<CGFloat> second);

struct BlockMarginsPreference {
    using Value = BlockMargin;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& nextValue) {
        const Value next = nextValue();
        value.merge(next.top, next.bottom);
    }
};

} // namespace ridadozi
