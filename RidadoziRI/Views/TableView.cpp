#include "RidadoziRI/Views/TableView.h"

#include "RidadoziRI/Views/ImageFlow.h"
#include "RidadoziRI/Views/InlineText.h"
#include "platform/view/GeometryReader.h"
#include "platform/view/Grid.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"

#include <cmath>

namespace ridadozi {

using glimmo::AnyView;

namespace {

// Bands of cells that have not reported yet sit at the largest finite coordinate: nothing to draw.
bool drawable(const CGRect& r) { return std::abs(r.minX()) < 1e300 && std::abs(r.minY()) < 1e300; }

} // namespace

glimmo::HorizontalAlignment gridColumnAlignment(RawTableColumnAlignment alignment) {
    switch (alignment) {
    case RawTableColumnAlignment::center: return glimmo::HorizontalAlignment::center();
    case RawTableColumnAlignment::right: return glimmo::HorizontalAlignment::trailing();
    case RawTableColumnAlignment::none:
    case RawTableColumnAlignment::left: break;
    }
    return glimmo::HorizontalAlignment::leading();
}

AnyView TableView::body() const {
    const glimmo::CGFloat w = *_borderWidth;
    const int rowCount = static_cast<int>(rows.size());
    const int columnCount = static_cast<int>(columnAlignments.size());
    std::vector<AnyView> gridRows;
    for (int r = 0; r < rowCount; ++r) {
        const auto& cells = rows[static_cast<std::size_t>(r)].cells;
        std::vector<AnyView> gridCells;
        for (int c = 0; c < columnCount; ++c) {
            // The parser fills short rows; a row that is short all the same shows an empty cell.
            const RawTableCell cell = static_cast<std::size_t>(c) < cells.size() ? cells[static_cast<std::size_t>(c)] : RawTableCell{};
            gridCells.push_back(AnyView(TableCell(r, c, cell))
                                    .gridColumnAlignment(gridColumnAlignment(columnAlignments[static_cast<std::size_t>(c)])));
        }
        gridRows.push_back(glimmo::GridRow(std::nullopt, std::move(gridCells)));
    }
    const AnyView grid =
        AnyView(glimmo::Grid(glimmo::Alignment::center(), w, w, std::move(gridRows)))
            .padding(w)
            .backgroundPreferenceValue<TableCellBoundsPreference>([rowCount, columnCount](const TableCellBoundsPreference::Value& anchors) {
                return AnyView(glimmo::GeometryReader([rowCount, columnCount, anchors](const glimmo::GeometryProxy& proxy) {
                    return AnyView(TableBackgroundView(TableBounds(rowCount, columnCount, anchors, proxy)));
                }));
            })
            .overlayPreferenceValue<TableCellBoundsPreference>([rowCount, columnCount](const TableCellBoundsPreference::Value& anchors) {
                return AnyView(glimmo::GeometryReader([rowCount, columnCount, anchors](const glimmo::GeometryProxy& proxy) {
                    return AnyView(TableBorderView(TableBounds(rowCount, columnCount, anchors, proxy)));
                }));
            });
    return _table->body(BlockConfiguration{blockLabel(grid),
                                           MarkdownContent(std::vector<BlockNode>{BlockNode::table(columnAlignments, rows)})});
}

AnyView TableCell::body() const {
    AnyView label = InlineText(cell.content);
    if (auto flow = ImageFlow::make(cell.content)) label = *flow;
    const TableCellIndex index{row, column};
    return _tableCell
        ->body(TableCellConfiguration{row, column, blockLabel(label),
                                      MarkdownContent(std::vector<BlockNode>{BlockNode::paragraph(cell.content)})})
        .anchorPreference<TableCellBoundsPreference>(glimmo::AnchorSource::bounds, [index](glimmo::Anchor<CGRect> anchor) {
            return TableCellBoundsPreference::Value{{index, anchor}};
        });
}

AnyView TableBorderView::body() const {
    const TableBorderStyle& style = *_tableBorderStyle;
    std::vector<CGRect> rects;
    for (const CGRect& r : style.visibleBorders.rectangles(tableBounds, style.strokeStyle.lineWidth)) {
        if (drawable(r)) rects.push_back(r);
    }
    const glimmo::AnyShapeStyle color(style.color);
    const glimmo::StrokeStyle stroke = style.strokeStyle;
    return glimmo::ZStack(glimmo::Alignment::topLeading(),
                          {AnyView(glimmo::ForEach::range(0, static_cast<int>(rects.size()), [&](int i) {
                              const CGRect& r = rects[static_cast<std::size_t>(i)];
                              return glimmo::Rectangle().strokeBorder(color, stroke).frame(r.width(), r.height()).offset(r.minX(), r.minY());
                          }))});
}

AnyView TableBackgroundView::body() const {
    const TableBackgroundStyle& style = *_tableBackgroundStyle;
    std::vector<glimmo::ForEach::Element> fills;
    for (std::size_t r = 0; r < tableBounds.rows.size(); ++r) {
        for (std::size_t c = 0; c < tableBounds.columns.size(); ++c) {
            const CGRect cell = tableBounds.cellRect(r, c);
            if (!drawable(cell)) continue;
            fills.push_back({glimmo::AnyHashable(TableCellIndex{static_cast<int>(r), static_cast<int>(c)}),
                             glimmo::Rectangle()
                                 .fill(style.background(static_cast<int>(r), static_cast<int>(c)))
                                 .frame(cell.width(), cell.height())
                                 .offset(cell.minX(), cell.minY())});
        }
    }
    return glimmo::ZStack(glimmo::Alignment::topLeading(), {AnyView(glimmo::ForEach(std::move(fills)))});
}

} // namespace ridadozi
