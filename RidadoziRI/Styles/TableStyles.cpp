#include "RidadoziRI/Styles/TableStyles.h"

namespace ridadozi {

TableBorderStyle::TableBorderStyle(TableBorderSelector visibleBorders, glimmo::Color color, glimmo::CGFloat width)
    : visibleBorders(std::move(visibleBorders)), color(std::move(color)) {
    strokeStyle.lineWidth = width;
    strokeStyle.lineCap = glimmo::StrokeStyle::LineCap::butt;
    strokeStyle.lineJoin = glimmo::StrokeStyle::LineJoin::miter;
    strokeStyle.miterLimit = 10;
    strokeStyle.dash.clear();
    strokeStyle.dashPhase = 0;
}

TableBackgroundStyle TableBackgroundStyle::clear() {
    return TableBackgroundStyle([](int, int) { return glimmo::Color::clear(); });
}

TableBackgroundStyle TableBackgroundStyle::alternatingRowStyles(glimmo::AnyShapeStyle first, glimmo::AnyShapeStyle second,
                                                                std::optional<glimmo::AnyShapeStyle> header) {
    return TableBackgroundStyle([first = std::move(first), second = std::move(second), header = std::move(header)](int row, int) {
        if (row < 1) return header.value_or(first);
        return row % 2 == 1 ? first : second;
    });
}

} // namespace ridadozi
