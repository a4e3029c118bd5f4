#pragma once

// The two table-wide styles the table view reads from the environment: which border lines it strokes
// and how, and the fill behind each cell.

#include "RidadoziRI/Views/TableBounds.h"

#include "platform/view/Color.h"
#include "platform/view/DisplayList.h"
#include "platform/view/ShapeStyle.h"

#include <functional>
#include <optional>
#include <utility>

namespace ridadozi {

struct TableBorderStyle {
    TableBorderSelector visibleBorders;
    glimmo::Color color;
    glimmo::StrokeStyle strokeStyle;

    TableBorderStyle(TableBorderSelector visibleBorders, glimmo::Color color, glimmo::StrokeStyle strokeStyle)
        : visibleBorders(std::move(visibleBorders)), color(std::move(color)), strokeStyle(std::move(strokeStyle)) {}
    // Lines `width` points wide: butt caps, miter joins, miter limit 10, no dashes.
    TableBorderStyle(TableBorderSelector visibleBorders, glimmo::Color color, glimmo::CGFloat width);
};

struct TableBackgroundStyle {
    std::function<glimmo::AnyShapeStyle(int row, int column)> background;

    template <class F>
        requires std::invocable<const F&, int, int>
    explicit TableBackgroundStyle(F fill)
        : background([fill = std::move(fill)](int row, int column) { return glimmo::AnyShapeStyle(fill(row, column)); }) {}

    // Every cell clear.
    static TableBackgroundStyle clear();
    // Row 0 gets the header style when there is one (the first style otherwise); after it odd rows get
    // the first style and even rows the second. Rows below 0 count as row 0; the column is ignored.
    static TableBackgroundStyle alternatingRowStyles(glimmo::AnyShapeStyle first, glimmo::AnyShapeStyle second,
                                                     std::optional<glimmo::AnyShapeStyle> header = std::nullopt);
};

} // namespace ridadozi
