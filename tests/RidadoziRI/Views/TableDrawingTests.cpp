#include "ViewTestHelpers.h"

#include "RidadoziRI/Styles/TextStyles.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include "platform/view/ScaledMetric.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::CGRect;
using glimmo::testing::TestHost;

AnyView labelledCells(AnyView doc) {
    return markdownBlockStyle(doc, &Theme::tableCell, [](const TableCellConfiguration& c) {
        return AnyView(c.label).padding(3).accessibilityLabel("cell " + std::to_string(c.row) + " " + std::to_string(c.column));
    });
}

std::vector<CGRect> fillsOf(glimmo::ViewHost& host, std::uint32_t packed) {
    std::vector<CGRect> rects;
    for (const auto& item : host.displayList().items) {
        if (const auto* fill = std::get_if<glimmo::FillItem>(&item)) {
            const auto* rgba = std::get_if<glimmo::RGBA>(&fill->paint);
            if (rgba && rgba->packed() == packed) rects.push_back(fill->path.boundingRect());
        }
    }
    return rects;
}

std::size_t strokeCount(glimmo::ViewHost& host) {
    std::size_t n = 0;
    for (const auto& item : host.displayList().items) n += std::holds_alternative<glimmo::StrokeItem>(item) ? 1 : 0;
    return n;
}

const std::string table = "| a | b | c |\n|--|--|--|\n| d | e | f |";

TEST(TableDrawingTest, BackgroundsFillThePaddedCellsOnly) {
    AnyView doc = labelledCells(Markdown(table));
    doc = markdownTableBackgroundStyle(doc, TableBackgroundStyle([](int row, int column) {
        return row == 1 && column == 2 ? glimmo::Color::rgba(0xff0000ff) : glimmo::Color::clear();
    }));
    TestHost t(doc);
    const auto fills = fillsOf(t.host(), 0xff0000ff);
    ASSERT_EQ(fills.size(), 1U);
    EXPECT_EQ(fills.front(), t.frame("cell 1 2"));
}

TEST(TableDrawingTest, DefaultBordersOutlineTheTableAndEveryGap) {
    TestHost t(labelledCells(Markdown(table)));
    // One row gap, two column gaps and the outline.
    EXPECT_EQ(strokeCount(t.host()), 4U);

    AnyView horizontal = markdownTableBorderStyle(labelledCells(Markdown(table)),
                                                  TableBorderStyle(TableBorderSelector::horizontalBorders(), glimmo::Color::black(), 1.0));
    TestHost h(horizontal);
    EXPECT_EQ(strokeCount(h.host()), 3U);
}

// The document builds its blocks again once they have reported their margins, which moves the table:
// a table whose rows did not change keeps its cells, and the layers drawn from their bounds, which stay
// the same relative to it.
TEST(TableDrawingTest, AnUnchangedTableThatMovesIsNotBuiltAgain) {
    auto built = std::make_shared<int>(0);
    auto filled = std::make_shared<int>(0);
    const AnyView cells = markdownBlockStyle(Markdown("Text above.\n\n" + table), &Theme::tableCell, [built](const TableCellConfiguration& c) {
        ++*built;
        return AnyView(c.label);
    });
    TestHost t(markdownTableBackgroundStyle(cells, TableBackgroundStyle([filled](int, int) {
                                                ++*filled;
                                                return glimmo::Color::clear();
                                            })));
    EXPECT_EQ(*built, 6);
    EXPECT_EQ(*filled, 6);
}

TEST(TableDrawingTest, OnlyTheHeaderRowMakesOneGridRow) {
    auto rows = std::make_shared<std::vector<int>>();
    AnyView doc = markdownBlockStyle(Markdown("| x | y |\n|---|---|"), &Theme::tableCell, [rows](const TableCellConfiguration& c) {
        rows->push_back(c.row);
        return AnyView(c.label);
    });
    TestHost t(doc);
    ASSERT_FALSE(rows->empty());
    EXPECT_TRUE(std::all_of(rows->begin(), rows->end(), [](int r) { return r == 0; }));
}

// What the paragraph style sees of the text style.
AnyView recordingParagraphs(AnyView doc, std::shared_ptr<std::optional<FontProperties>> seen) {
    return markdownBlockStyle(doc, &Theme::paragraph, [seen](const BlockConfiguration& c) {
        const AnyView label(c.label);
        return AnyView(TextStyleAttributesReader([seen, label](const glimmo::AttributeContainer& attributes) {
            *seen = fontProperties(attributes);
            return label;
        }));
    });
}

TEST(ScaledFontSizeTest, BlockViewsSeeTheScaledSizeWithoutScale) {
    auto seen = std::make_shared<std::optional<FontProperties>>();
    TestHost plain(recordingParagraphs(Markdown("text"), seen));
    ASSERT_TRUE(*seen);
    EXPECT_EQ((*seen)->size, 13);

    TestHost larger(recordingParagraphs(Markdown("text"), seen).environment<glimmo::TextSizeFactorKey>(2.0));
    EXPECT_EQ((*seen)->size, 26);
    EXPECT_EQ((*seen)->scale, 1);

    // A relative size in the theme's text style multiplies the scale, which the points size resets.
    AnyView em = markdownTextStyle(recordingParagraphs(Markdown("text"), seen), &Theme::text,
                                   [] { return AnyTextStyle(FontSize(RelativeSize::em(2))); });
    TestHost relative(em);
    EXPECT_EQ((*seen)->size, 13);
    EXPECT_EQ((*seen)->scale, 1);

    AnyView points = markdownTextStyle(recordingParagraphs(Markdown("text"), seen), &Theme::text, [] { return AnyTextStyle(FontSize(17.0)); });
    TestHost seventeen(points);
    EXPECT_EQ((*seen)->size, 17);
}

TEST(ScaledFontSizeTest, ThemeTextColourWinsOverTheOuterStyle) {
    auto seen = std::make_shared<glimmo::AttributeContainer>();
    AnyView doc = markdownBlockStyle(Markdown("text"), &Theme::paragraph, [seen](const BlockConfiguration& c) {
        const AnyView label(c.label);
        return AnyView(TextStyleAttributesReader([seen, label](const glimmo::AttributeContainer& attributes) {
            *seen = attributes;
            return label;
        }));
    });
    doc = markdownTextStyle(doc, &Theme::text, [] { return AnyTextStyle(ForegroundColor{glimmo::Color::red()}); });
    TestHost t(textStyle(doc, AnyTextStyle(ForegroundColor{glimmo::Color::blue()})));
    EXPECT_EQ(seen->value<glimmo::ForegroundColorAttribute>(), glimmo::Color::red());
}

} // namespace
} // namespace ridadozi
