#pragma once

// Grids: rows of cells in columns; each column is as wide as its widest cell and each row as tall as
// its tallest, cells are `horizontalSpacing` / `verticalSpacing` apart (8 when not given) and aligned in
// their slot by the column's alignment (`gridColumnAlignment` on a cell, else the grid's) and the
// row's. A view that is not a GridRow spans the whole grid width.

#include "platform/view/View.h"

#include <initializer_list>
#include <optional>
#include <vector>

namespace glimmo {

class GridRow : public View<GridRow> {
public:
    GridRow(std::initializer_list<AnyView> cells) : cells_(cells) {}
    GridRow(std::optional<VerticalAlignment> alignment, std::vector<AnyView> cells) : alignment_(alignment), cells_(std::move(cells)) {}
    explicit GridRow(std::vector<AnyView> cells) : cells_(std::move(cells)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::optional<VerticalAlignment> alignment_;
    std::vector<AnyView> cells_;
};

class Grid : public View<Grid> {
public:
    Grid(std::initializer_list<AnyView> rows) : rows_(rows) {}
    Grid(Alignment alignment, std::optional<CGFloat> horizontalSpacing, std::optional<CGFloat> verticalSpacing,
         std::vector<AnyView> rows)
        : alignment_(alignment), horizontalSpacing_(horizontalSpacing), verticalSpacing_(verticalSpacing), rows_(std::move(rows)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    Alignment alignment_;
    std::optional<CGFloat> horizontalSpacing_;
    std::optional<CGFloat> verticalSpacing_;
    std::vector<AnyView> rows_;
};

} // namespace glimmo
