#pragma once

// A table as a grid whose gaps and outer margin are one border width wide; every cell reports its
// bounds, from which the cell backgrounds behind the grid and the borders over it are drawn.

#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"
#include "RidadoziRI/Views/TableBounds.h"

#include <vector>

namespace ridadozi {

struct TableView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _table = themeMember(&Theme::table);
    // Read where the table stands, before its style runs.
    glimmo::Environment<glimmo::CGFloat> _borderWidth{
        [](const glimmo::EnvironmentValues& e) { return e.get<TableBorderStyleKey>().strokeStyle.lineWidth; }};
    std::vector<RawTableColumnAlignment> columnAlignments;
    std::vector<RawTableRow> rows;

    TableView(std::vector<RawTableColumnAlignment> columnAlignments, std::vector<RawTableRow> rows)
        : columnAlignments(std::move(columnAlignments)), rows(std::move(rows)) {}
    glimmo::AnyView body() const;
    bool operator==(const TableView& other) const { return columnAlignments == other.columnAlignments && rows == other.rows; }
};

struct TableCell {
    glimmo::Environment<BlockStyle<TableCellConfiguration>> _tableCell = themeMember(&Theme::tableCell);
    int row = 0;
    int column = 0;
    RawTableCell cell;

    TableCell(int row, int column, RawTableCell cell) : row(row), column(column), cell(std::move(cell)) {}
    glimmo::AnyView body() const;
};

// The borders the environment's border style selects, stroked inside their rectangles.
struct TableBorderView {
    glimmo::Environment<TableBorderStyle> _tableBorderStyle = environmentValue<TableBorderStyleKey>();
    TableBounds tableBounds;

    explicit TableBorderView(TableBounds tableBounds) : tableBounds(std::move(tableBounds)) {}
    glimmo::AnyView body() const;
    bool operator==(const TableBorderView& other) const { return tableBounds == other.tableBounds; }
};

// Each cell's fill from the environment's background style; the gaps stay unfilled.
struct TableBackgroundView {
    glimmo::Environment<TableBackgroundStyle> _tableBackgroundStyle = environmentValue<TableBackgroundStyleKey>();
    TableBounds tableBounds;

    explicit TableBackgroundView(TableBounds tableBounds) : tableBounds(std::move(tableBounds)) {}
    glimmo::AnyView body() const;
    bool operator==(const TableBackgroundView& other) const { return tableBounds == other.tableBounds; }
};

glimmo::HorizontalAlignment gridColumnAlignment(RawTableColumnAlignment alignment);

} // namespace ridadozi
