#include "platform/qt/QtTextMeasurer.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/view/SymbolTable.h"
#include "tests/platform/qt/QtTestSupport.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

class QtTextMeasurerTest : public ::testing::Test {
protected:
    void SetUp() override { testing::ensureQtApplication(); }

    static ResolvedFont inter(double size, int weight = 400) {
        ResolvedFont f;
        f.pointSize = size;
        f.weight = weight;
        return f;
    }
    QtTextMeasurer measurer;
};

TEST_F(QtTextMeasurerTest, MetricsAreTheFontsOwnAndScaleWithTheSize) {
    const FontMetrics m13 = measurer.metrics(inter(13));
    EXPECT_GT(m13.ascent, 10);
    EXPECT_LT(m13.ascent, 14);
    EXPECT_GT(m13.descent, 2);
    EXPECT_LT(m13.descent, 5);
    EXPECT_GE(m13.leading, 0);
    // Without hinting the metrics are linear in the size, so layout at any size is predictable.
    const FontMetrics m26 = measurer.metrics(inter(26));
    EXPECT_NEAR(m26.ascent, 2 * m13.ascent, 0.1);
    EXPECT_NEAR(m26.descent, 2 * m13.descent, 0.1);
    const FontMetrics mono = measurer.metrics(Font::system(13, Font::Weight::regular(), Font::Design::monospaced).resolve());
    EXPECT_NE(mono, m13) << "the monospaced font must be DejaVu Sans Mono, not Inter";
}

TEST_F(QtTextMeasurerTest, AdvancesFollowSizeWeightAndFamily) {
    const double regular = measurer.advance("Hello, world", inter(13));
    EXPECT_GT(regular, 60);
    EXPECT_LT(regular, 90);
    EXPECT_NEAR(measurer.advance("Hello, world", inter(26)), 2 * regular, 0.2);
    const double fractional = measurer.advance("Hello, world", inter(13.5));
    EXPECT_GT(fractional, regular);
    EXPECT_LT(fractional, measurer.advance("Hello, world", inter(14)));
    // Each Inter weight comes from its own file, so heavier is wider.
    const double light = measurer.advance("Hello, world", inter(13, 300));
    const double semibold = measurer.advance("Hello, world", inter(13, 600));
    const double bold = measurer.advance("Hello, world", inter(13, 700));
    EXPECT_LT(light, regular);
    EXPECT_LT(regular, semibold);
    EXPECT_LT(semibold, bold);
    EXPECT_EQ(measurer.advance("", inter(13)), 0);
}

TEST_F(QtTextMeasurerTest, MonospacedFontGivesEveryCharacterTheSameAdvance) {
    const ResolvedFont mono = Font::body().monospaced().resolve();
    const double narrow = measurer.advance("iiii", mono);
    EXPECT_DOUBLE_EQ(narrow, measurer.advance("MMMM", mono));
    EXPECT_NEAR(narrow, 4 * 0.602 * 13, 0.1); // DejaVu Sans Mono advances 0.602 em
    EXPECT_LT(measurer.advance("iiii", inter(13)), measurer.advance("MMMM", inter(13)));
}

TEST_F(QtTextMeasurerTest, MonospacedDigitsShareOneAdvanceAndLeaveOtherTextAlone) {
    ResolvedFont tabular = inter(13);
    tabular.monospacedDigits = true;
    EXPECT_LT(measurer.advance("1111", inter(13)), measurer.advance("8888", inter(13))) << "Inter's figures are proportional";
    const double ones = measurer.advance("1111", tabular);
    EXPECT_DOUBLE_EQ(ones, measurer.advance("8888", tabular));
    EXPECT_DOUBLE_EQ(ones, measurer.advance("4040", tabular));
    EXPECT_GE(ones, measurer.advance("8888", inter(13)));
    EXPECT_DOUBLE_EQ(measurer.advance("Total 10:05", tabular),
                     measurer.advance("Total ", inter(13)) + measurer.advance("99", tabular) +
                         measurer.advance(":", inter(13)) + measurer.advance("99", tabular));
    EXPECT_DOUBLE_EQ(measurer.advance("no digits", tabular), measurer.advance("no digits", inter(13)));
}

TEST_F(QtTextMeasurerTest, SymbolGlyphsMeasureAsOneSquareGlyph) {
    ResolvedFont symbols;
    symbols.family = symbolFontFamily;
    symbols.pointSize = 20;
    const double width = measurer.advance(*symbolGlyph("gear"), symbols);
    EXPECT_NEAR(width, 20, 0.5);
}

TEST_F(QtTextMeasurerTest, SmallCapsAndUnicodeAreShapedAsTheyAreDrawn) {
    ResolvedFont lowercaseCaps = inter(13);
    lowercaseCaps.caps = ResolvedFont::Caps::lowercaseSmallCaps;
    EXPECT_NE(measurer.advance("small caps", lowercaseCaps), measurer.advance("small caps", inter(13)));
    EXPECT_NE(measurer.advance("Small Caps", lowercaseCaps), measurer.advance("small caps", lowercaseCaps))
        << "capitals stay full capitals";
    ResolvedFont allCaps = inter(13);
    allCaps.caps = ResolvedFont::Caps::smallCaps;
    EXPECT_DOUBLE_EQ(measurer.advance("Small Caps", allCaps), measurer.advance("small caps", lowercaseCaps))
        << "every letter becomes a small capital";
    EXPECT_GT(measurer.advance("Grüße – naïve café", inter(13)), measurer.advance("Grüße", inter(13)));
}

// The painter must draw a run exactly as wide as the measurer says: the text's ink ends just before the
// measured advance (glyph side bearings), never beyond it.
TEST_F(QtTextMeasurerTest, PaintedTextEndsWhereTheMeasuredAdvanceEnds) {
    const ResolvedFont font = inter(20);
    const std::string text = "Measured HHHH";
    const double advance = measurer.advance(text, font);
    DisplayList list;
    list.size = {300, 40};
    list.background = {1, 1, 1, 1};
    TextItem item;
    item.origin = {10, 5};
    item.lineHeight = 30;
    TextRunItem run;
    run.text = text;
    run.font = font;
    run.color = {0, 0, 0, 1};
    run.width = advance;
    run.baseline = measurer.metrics(font).ascent;
    item.runs.push_back(run);
    list.items.emplace_back(item);
    const PixelImage image = renderDisplayList(list, 1);
    int inkRight = -1;
    int inkLeft = image.width;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            if (testing::pixelAt(image, x, y).r < 128) {
                inkRight = std::max(inkRight, x);
                inkLeft = std::min(inkLeft, x);
            }
        }
    }
    ASSERT_GE(inkRight, 0) << "no text was drawn";
    EXPECT_LE(inkRight, 10 + advance);
    EXPECT_GT(inkRight, 10 + advance - 4);
    EXPECT_GE(inkLeft, 10);
    EXPECT_LT(inkLeft, 14);
}

} // namespace
} // namespace glimmo
