// The kit's line layout on the real Qt measurer, painted by the Qt painter: what the user reads.

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/SymbolTable.h"
#include "platform/view/TextLayout.h"
#include "tests/platform/qt/QtTestSupport.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

constexpr const char* paragraph =
    "Automatic time tracking records which application is in front and for how long, so the day can be "
    "reviewed without writing anything down.";

class QtTextLayoutTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ensureQtApplication(); }

    static StyledSpan span(std::string text, double size = 13, int weight = 400) {
        StyledSpan s;
        s.text = std::move(text);
        s.font.pointSize = size;
        s.font.weight = weight;
        s.color = {0, 0, 0, 1};
        return s;
    }
    static std::string lineText(const LaidOutLine& line) {
        std::string text;
        for (const auto& run : line.item.runs) text += run.text;
        return text;
    }
    // The rightmost column with ink in an image of the painted lines.
    static int inkRight(const std::vector<LaidOutLine>& lines, CGSize size) {
        DisplayList list;
        list.size = size;
        for (const auto& line : lines) list.items.emplace_back(line.item);
        const PixelImage image = renderDisplayList(list, 1);
        int right = -1;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (testing::pixelAt(image, x, y).r < 160) right = std::max(right, x);
            }
        }
        return right;
    }

    QtTextMeasurer measurer;
};

TEST_F(QtTextLayoutTest, ParagraphWrapsInsideItsWidthAndPaintsInsideIt) {
    TextLayoutOptions options;
    options.width = 160;
    const LaidOutText text = layoutText({span(paragraph)}, options, measurer);
    ASSERT_GE(text.lines.size(), 4u);
    EXPECT_FALSE(text.truncated);
    std::string joined;
    for (const auto& line : text.lines) {
        EXPECT_LE(line.width, 160.0) << lineText(line);
        joined += lineText(line);
    }
    // Every word is there, in order; only the spaces at line ends are gone.
    std::string expected = paragraph;
    std::erase(expected, ' ');
    std::erase(joined, ' ');
    EXPECT_EQ(joined, expected);
    const int right = inkRight(text.lines, {200, text.size.height});
    EXPECT_GT(right, 100);
    EXPECT_LE(right, 160);
}

TEST_F(QtTextLayoutTest, LineLimitCutsTheTextAndEndsTheLastLineWithAnEllipsis) {
    TextLayoutOptions options;
    options.width = 160;
    options.lineLimit = 2;
    const LaidOutText text = layoutText({span(paragraph)}, options, measurer);
    ASSERT_EQ(text.lines.size(), 2u);
    EXPECT_TRUE(text.truncated);
    const std::string last = lineText(text.lines.back());
    EXPECT_TRUE(last.ends_with("…")) << last;
    EXPECT_LE(text.lines.back().width, 160.0);
    EXPECT_LE(inkRight(text.lines, {200, text.size.height}), 160);
    const FontMetrics m = measurer.metrics(span("").font);
    EXPECT_NEAR(text.size.height, 2 * (m.ascent + m.descent + m.leading), 0.01);
}

TEST_F(QtTextLayoutTest, BaselinesFollowTheLargestFontOnTheLine) {
    const LaidOutText text = layoutText({span("Small ", 11), span("Large", 22, 700)}, {}, measurer);
    ASSERT_EQ(text.lines.size(), 1u);
    const double largeAscent = measurer.metrics(span("", 22, 700).font).ascent;
    EXPECT_NEAR(text.firstBaseline, largeAscent, 0.01);
    EXPECT_NEAR(text.lastBaseline, largeAscent, 0.01);
    ASSERT_EQ(text.lines[0].item.runs.size(), 2u);
    const auto& small = text.lines[0].item.runs[0];
    const auto& large = text.lines[0].item.runs[1];
    EXPECT_DOUBLE_EQ(small.baseline, large.baseline);
    EXPECT_NEAR(large.x, measurer.advance("Small ", small.font), 0.01);
    EXPECT_NEAR(text.size.width, large.x + measurer.advance("Large", large.font), 0.01);
}

TEST_F(QtTextLayoutTest, SymbolGlyphsLayOutAsTextInTheSymbolFont) {
    StyledSpan symbol = span(*symbolGlyph("gear"), 16);
    symbol.font.family = symbolFontFamily;
    const LaidOutText text = layoutText({symbol, span(" Settings")}, {}, measurer);
    ASSERT_EQ(text.lines.size(), 1u);
    EXPECT_NEAR(text.lines[0].item.runs.at(0).width, 16, 0.5);
    const int right = inkRight(text.lines, {150, text.size.height});
    EXPECT_GT(right, 16 + 30);
}

} // namespace
} // namespace glimmo
