#pragma once

// Widths of list markers travelling up to the numbered list around them, by column; the widest wins.

#include "platform/view/Geometry.h"

#include <algorithm>
#include <functional>
#include <map>

namespace ridadozi {

struct ColumnWidthPreference {
    using Value = std::map<int, glimmo::CGFloat>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& nextValue) {
        for (const auto& [column, width] : nextValue()) {
            auto [it, inserted] = value.emplace(column, width);
            if (!inserted) it->second = std::max(it->second, width);
        }
    }
};

} // namespace ridadozi
