#include "platform/view/AttributedString.h"
#include "platform/view/Color.h"
#include "platform/view/Font.h"
#include "platform/view/Path.h"
#include "platform/view/SymbolTable.h"
#include "platform/view/TextMeasurer.h"

#include <gtest/gtest.h>


namespace glimmo {
namespace {

struct CustomAttribute {
    using Value = int;
    static constexpr const char* name = "custom";
};

TEST(ColorTest, StandardColoursFollowTheScheme) {
    EXPECT_EQ(Color::blue().resolve(ColorScheme::light).packed(), 0x007AFFFFu);
    EXPECT_EQ(Color::blue().resolve(ColorScheme::dark).packed(), 0x0A84FFFFu);
    EXPECT_EQ(Color::rgba(0x1D1D1FFF).resolve(ColorScheme::dark).packed(), 0x1D1D1FFFu);
    EXPECT_EQ(Color::orange().opacity(0.7).resolve(ColorScheme::light).packed(), 0xFF9500B3u);
    EXPECT_TRUE(Color::clear().isClear());
    EXPECT_FALSE(Color::black().isClear());
}

TEST(ColorTest, DynamicColoursAskTheirProducersEveryTime) {
    int calls = 0;
    const Color c = Color::dynamic([&] { ++calls; return Color::rgba(0x0066CCFF); },
                                   [&] { ++calls; return Color::rgba(0x2997FFFF); });
    EXPECT_EQ(c.resolve(ColorScheme::light).packed(), 0x0066CCFFu);
    EXPECT_EQ(c.resolve(ColorScheme::dark).packed(), 0x2997FFFFu);
    EXPECT_EQ(c.resolve(ColorScheme::dark).packed(), 0x2997FFFFu);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(c, c);
    EXPECT_FALSE(c == c.opacity(0.5));
}

TEST(FontTest, TextStylesHaveThePlatformSizes) {
    EXPECT_EQ(Font::body().resolve().pointSize, 13);
    EXPECT_EQ(Font::headline().resolve().pointSize, 13);
    EXPECT_EQ(Font::headline().resolve().weight, 700);
    EXPECT_EQ(Font::title2().resolve().pointSize, 17);
    EXPECT_EQ(Font::caption().resolve().pointSize, 10);
    EXPECT_EQ(Font::largeTitle().resolve().pointSize, 26);
    const ResolvedFont r = Font::system(16).monospaced().italic().weight(Font::Weight::semibold()).resolve();
    EXPECT_EQ(r.family, "DejaVu Sans Mono");
    EXPECT_TRUE(r.italic);
    EXPECT_EQ(r.weight, 600);
    EXPECT_EQ(Font::custom("Georgia", 12).resolve().family, "Georgia");
    EXPECT_EQ(Font::system(12, Font::Weight::regular(), Font::Design::monospaced).resolve().family, "DejaVu Sans Mono");
    EXPECT_EQ(Font::body().smallCaps().resolve().caps, ResolvedFont::Caps::smallCaps);
}

TEST(AttributedStringTest, RunsSplitAndMergeAroundAttributeChanges) {
    AttributedString s("Hello world");
    s.set<ForegroundColorAttribute>(Color::red(), s.range("world"));
    ASSERT_EQ(s.runs().size(), 2u);
    EXPECT_EQ(s.runs()[1].range, (AttributedString::Range{6, 11}));
    EXPECT_EQ(*s.runs()[1].attributes.get<ForegroundColorAttribute>(), Color::red());
    s.remove<ForegroundColorAttribute>();
    EXPECT_EQ(s.runs().size(), 1u) << "equal neighbours merge again";

    AttributeContainer c;
    c.set<CustomAttribute>(3).set<FontAttribute>(Font::caption());
    AttributedString t = AttributedString("a", c) + AttributedString("b", c) + AttributedString("c");
    ASSERT_EQ(t.runs().size(), 2u);
    EXPECT_EQ(t.runs()[0].attributes.value<CustomAttribute>(), 3);
    c.modify<CustomAttribute>([](int& v) { v += 1; });
    EXPECT_EQ(c.value<CustomAttribute>(), 4);
    AttributeContainer empty;
    empty.modify<CustomAttribute>([](int& v) { v = 9; });
    EXPECT_TRUE(empty.empty()) << "modify never creates an attribute";
    EXPECT_EQ(t.substring({1, 3}).characters(), "bc");
    EXPECT_EQ(t.substring({1, 3}).runs().size(), 2u);
}

TEST(PathTest, ShapesContainTheirInsideOnly) {
    const Path circle = Path::ellipse({0, 0, 100, 100});
    EXPECT_TRUE(circle.contains({50, 50}));
    EXPECT_FALSE(circle.contains({3, 3}));
    const Path rounded = Path::roundedRect({0, 0, 100, 40}, 10);
    EXPECT_TRUE(rounded.contains({50, 1}));
    EXPECT_FALSE(rounded.contains({0.5, 0.5}));
    EXPECT_EQ(Path::rect({1, 2, 3, 4}).boundingRect(), CGRect(1, 2, 3, 4));
}

TEST(SymbolTableTest, KnownSymbolsMapToGlyphsOfTheIconFont) {
    EXPECT_EQ(symbolGlyph("doc.on.doc"), std::string("\xEF\x86\x8F"));
    EXPECT_FALSE(symbolGlyph("no.such.symbol").has_value());
}

TEST(FixedAdvanceTextMeasurerTest, AdvancesAreCodePointsTimesHalfTheSize) {
    FixedAdvanceTextMeasurer m;
    ResolvedFont f;
    f.pointSize = 10;
    EXPECT_EQ(m.advance("Hello", f), 25);
    EXPECT_EQ(m.advance("\xC3\xA9t\xC3\xA9", f), 15);
    EXPECT_EQ(m.metrics(f).ascent, 8);
}

} // namespace
} // namespace glimmo
