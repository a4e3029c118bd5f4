#pragma once

// The geometry of a drawn table, rebuilt from the bounds every cell reports, and the selectors that
// turn it into border rectangles.

#include "platform/view/GeometryReader.h"
#include "platform/view/Preferences.h"

#include <cstddef>
#include <functional>
#include <map>
#include <vector>

namespace ridadozi {

using glimmo::CGFloat;
using glimmo::CGRect;

struct TableCellIndex {
    int row = 0;
    int column = 0;
    bool operator==(const TableCellIndex&) const = default;
    auto operator<=>(const TableCellIndex&) const = default;
};

// Each cell's bounds, by cell; a later value for the same cell replaces the earlier.
struct TableCellBoundsPreference {
    using Value = std::map<TableCellIndex, glimmo::Anchor<CGRect>>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& nextValue) {
        for (const auto& [index, anchor] : nextValue()) value.insert_or_assign(index, anchor);
    }
};

struct TableBounds {
    struct RowBand {
        CGFloat minY = 0;
        CGFloat height = 0;
        bool operator==(const RowBand&) const = default;
    };
    struct ColumnBand {
        CGFloat minX = 0;
        CGFloat width = 0;
        bool operator==(const ColumnBand&) const = default;
    };

    CGRect bounds;
    std::vector<RowBand> rows;
    std::vector<ColumnBand> columns;

    // Row bands start at their highest cell and are as tall as the tallest; columns likewise. A row or
    // column none of whose cells reported keeps the largest finite coordinate and size 0.
    TableBounds(int rowCount, int columnCount, const TableCellBoundsPreference::Value& anchors,
                const glimmo::GeometryProxy& geometry);
    TableBounds(CGRect bounds, std::vector<RowBand> rows, std::vector<ColumnBand> columns)
        : bounds(bounds), rows(std::move(rows)), columns(std::move(columns)) {}

    CGRect cellRect(std::size_t row, std::size_t column) const {
        return {columns[column].minX, rows[row].minY, columns[column].width, rows[row].height};
    }
    bool operator==(const TableBounds&) const = default;
};

// Which border rectangles a table draws, from its geometry and the border width.
struct TableBorderSelector {
    std::function<std::vector<CGRect>(const TableBounds&, CGFloat)> rectangles;

    static TableBorderSelector allBorders();
    static TableBorderSelector outsideBorders();
    static TableBorderSelector insideBorders();
    static TableBorderSelector insideRowBorders();
    static TableBorderSelector insideColumnBorders();
    static TableBorderSelector horizontalBorders();
};

} // namespace ridadozi

template <>
struct std::hash<ridadozi::TableCellIndex> {
    std::size_t operator()(const ridadozi::TableCellIndex& index) const {
        return std::hash<long long>{}((static_cast<long long>(index.row) << 32) ^ static_cast<unsigned>(index.column));
    }
};
