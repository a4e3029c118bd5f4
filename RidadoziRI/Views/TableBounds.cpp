#include "RidadoziRI/Views/TableBounds.h"

#include <algorithm>
#include <limits>

namespace ridadozi {

namespace {

constexpr CGFloat largestFinite = std::numeric_limits<CGFloat>::max();

CGRect expanded(const CGRect& r, CGFloat w) {
    return {r.minX() - w, r.minY() - w, r.width() + 2 * w, r.height() + 2 * w};
}

std::vector<CGRect> insideRows(const TableBounds& table, CGFloat w) {
    std::vector<CGRect> result;
    for (std::size_t r = 0; r + 1 < table.rows.size(); ++r) {
        CGRect u = CGRect::null();
        for (std::size_t c = 0; c < table.columns.size(); ++c) u = u.unionWith(table.cellRect(r, c));
        const CGRect e = expanded(u, w);
        result.push_back({e.minX(), e.maxY() - w, e.width(), w});
    }
    return result;
}

std::vector<CGRect> insideColumns(const TableBounds& table, CGFloat w) {
    std::vector<CGRect> result;
    for (std::size_t c = 0; c + 1 < table.columns.size(); ++c) {
        CGRect u = CGRect::null();
        for (std::size_t r = 0; r < table.rows.size(); ++r) u = u.unionWith(table.cellRect(r, c));
        const CGRect e = expanded(u, w);
        result.push_back({e.maxX() - w, e.minY(), w, e.height()});
    }
    return result;
}

void append(std::vector<CGRect>& to, const std::vector<CGRect>& more) { to.insert(to.end(), more.begin(), more.end()); }

} // namespace

TableBounds::TableBounds(int rowCount, int columnCount, const TableCellBoundsPreference::Value& anchors,
                         const glimmo::GeometryProxy& geometry)
    : rows(static_cast<std::size_t>(std::max(rowCount, 0)), RowBand{largestFinite, 0}),
      columns(static_cast<std::size_t>(std::max(columnCount, 0)), ColumnBand{largestFinite, 0}) {
    for (int r = 0; r < rowCount; ++r) {
        for (int c = 0; c < columnCount; ++c) {
            const auto found = anchors.find(TableCellIndex{r, c});
            if (found == anchors.end()) continue;
            const CGRect f = geometry[found->second];
            auto& row = rows[static_cast<std::size_t>(r)];
            auto& column = columns[static_cast<std::size_t>(c)];
            row.minY = std::min(f.minY(), row.minY);
            row.height = std::max(row.height, f.height());
            column.minX = std::min(f.minX(), column.minX);
            column.width = std::max(column.width, f.width());
        }
    }
    bounds = CGRect({0, 0}, geometry.size());
}

TableBorderSelector TableBorderSelector::insideRowBorders() { return {insideRows}; }

TableBorderSelector TableBorderSelector::insideColumnBorders() { return {insideColumns}; }

TableBorderSelector TableBorderSelector::outsideBorders() {
    return {[](const TableBounds& table, CGFloat) { return std::vector<CGRect>{table.bounds}; }};
}

TableBorderSelector TableBorderSelector::insideBorders() {
    return {[](const TableBounds& table, CGFloat w) {
        auto result = insideRows(table, w);
        append(result, insideColumns(table, w));
        return result;
    }};
}

TableBorderSelector TableBorderSelector::allBorders() {
    return {[](const TableBounds& table, CGFloat w) {
        auto result = insideRows(table, w);
        append(result, insideColumns(table, w));
        result.push_back(table.bounds);
        return result;
    }};
}

TableBorderSelector TableBorderSelector::horizontalBorders() {
    return {[](const TableBounds& table, CGFloat w) {
        const CGRect& b = table.bounds;
        std::vector<CGRect> result{{b.minX(), b.minY(), b.width(), w}, {b.minX(), b.maxY() - w, b.width(), w}};
        append(result, insideRows(table, w));
        return result;
    }};
}

} // namespace ridadozi
