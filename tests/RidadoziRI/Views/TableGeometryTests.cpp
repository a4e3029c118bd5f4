#include "RidadoziRI/Views/TableBounds.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::Anchor;
using glimmo::GeometryProxy;

// The layer sits at (10, 20) in the window; anchors are window rectangles.
GeometryProxy layerAt(CGRect frame) {
    return GeometryProxy(frame, [](const std::string&) { return std::optional<CGRect>(); });
}

TableCellBoundsPreference::Value anchors(std::initializer_list<std::pair<TableCellIndex, CGRect>> cells) {
    TableCellBoundsPreference::Value v;
    for (const auto& [index, r] : cells) v[index] = Anchor<CGRect>{r.offsetBy(10, 20)};
    return v;
}

TableBounds twoByTwo() {
    return TableBounds(2, 2,
                       anchors({{{0, 0}, {1, 1, 50, 20}}, {{0, 1}, {52, 1, 30, 20}}, {{1, 0}, {1, 22, 40, 20}},
                                {{1, 1}, {52, 22, 30, 20}}}),
                       layerAt({10, 20, 83, 43}));
}

TEST(TableBoundsTest, BandsFromTheReportedCells) {
    const TableBounds t = twoByTwo();
    EXPECT_EQ(t.bounds, CGRect(0, 0, 83, 43));
    EXPECT_EQ(t.columns, (std::vector<TableBounds::ColumnBand>{{1, 50}, {52, 30}}));
    EXPECT_EQ(t.rows, (std::vector<TableBounds::RowBand>{{1, 20}, {22, 20}}));
}

TEST(TableBoundsTest, TallestCellAndHighestTopDecideTheRow) {
    const TableBounds t(1, 2, anchors({{{0, 0}, {0, 5, 10, 30}}, {{0, 1}, {12, 9, 10, 12}}}), layerAt({10, 20, 30, 40}));
    EXPECT_EQ(t.rows.front(), (TableBounds::RowBand{5, 30}));
}

TEST(TableBoundsTest, MissingCellsLeaveTheBandsAtTheirStart) {
    const TableBounds t(2, 1, {}, layerAt({0, 0, 10, 10}));
    EXPECT_EQ(t.rows[1].minY, std::numeric_limits<CGFloat>::max());
    EXPECT_EQ(t.rows[1].height, 0);
    EXPECT_EQ(t.columns[0].width, 0);
}

TEST(TableBoundsTest, LaterCellBoundsReplaceEarlierOnes) {
    auto v = anchors({{{0, 0}, {0, 0, 1, 1}}});
    TableCellBoundsPreference::reduce(v, [] { return anchors({{{0, 0}, {5, 5, 2, 2}}, {{0, 1}, {9, 9, 1, 1}}}); });
    EXPECT_EQ(v.size(), 2U);
    EXPECT_EQ(v.at({0, 0}).value, CGRect(15, 25, 2, 2));
}

TEST(TableBorderSelectorTest, WorkedExample) {
    const TableBounds t = twoByTwo();
    EXPECT_EQ(TableBorderSelector::insideRowBorders().rectangles(t, 1), (std::vector<CGRect>{{0, 21, 83, 1}}));
    EXPECT_EQ(TableBorderSelector::insideColumnBorders().rectangles(t, 1), (std::vector<CGRect>{{51, 0, 1, 43}}));
    EXPECT_EQ(TableBorderSelector::insideBorders().rectangles(t, 1), (std::vector<CGRect>{{0, 21, 83, 1}, {51, 0, 1, 43}}));
    EXPECT_EQ(TableBorderSelector::allBorders().rectangles(t, 1),
              (std::vector<CGRect>{{0, 21, 83, 1}, {51, 0, 1, 43}, {0, 0, 83, 43}}));
    EXPECT_EQ(TableBorderSelector::outsideBorders().rectangles(t, 1), (std::vector<CGRect>{{0, 0, 83, 43}}));
    EXPECT_EQ(TableBorderSelector::horizontalBorders().rectangles(t, 1),
              (std::vector<CGRect>{{0, 0, 83, 1}, {0, 42, 83, 1}, {0, 21, 83, 1}}));
}

TEST(TableBorderSelectorTest, OneRowOrOneColumnHasNoInsideStripsThatWay) {
    const TableBounds oneRow({0, 0, 83, 22}, {{1, 20}}, {{1, 50}, {52, 30}});
    EXPECT_TRUE(TableBorderSelector::insideRowBorders().rectangles(oneRow, 1).empty());
    EXPECT_EQ(TableBorderSelector::horizontalBorders().rectangles(oneRow, 1), (std::vector<CGRect>{{0, 0, 83, 1}, {0, 21, 83, 1}}));
    EXPECT_EQ(TableBorderSelector::allBorders().rectangles(oneRow, 1), (std::vector<CGRect>{{51, 0, 1, 22}, {0, 0, 83, 22}}));

    const TableBounds oneColumn({0, 0, 52, 43}, {{1, 20}, {22, 20}}, {{1, 50}});
    EXPECT_TRUE(TableBorderSelector::insideColumnBorders().rectangles(oneColumn, 1).empty());

    const TableBounds empty({0, 0, 0, 0}, {}, {});
    EXPECT_TRUE(TableBorderSelector::insideBorders().rectangles(empty, 1).empty());
}

} // namespace
} // namespace ridadozi
