#include "RidadoziRI/Styles/FontProperties.h"
#include "RidadoziRI/Styles/RelativeSize.h"

#include <gtest/gtest.h>

#include <functional>

namespace ridadozi {
namespace {

using glimmo::AttributeContainer;
using glimmo::AttributedString;
using glimmo::Font;

FontProperties withSize(double size, double scale) {
    FontProperties p;
    p.size = size;
    p.scale = scale;
    return p;
}

TEST(FontProperties, DefaultsSpelledOutAreEqualAndBuildThePlainSystemFont) {
    FontProperties spelled;
    spelled.family = FontProperties::Family::system(Font::Design::standard);
    spelled.familyVariant = FontProperties::FamilyVariant::normal;
    spelled.capsVariant = FontProperties::CapsVariant::normal;
    spelled.digitVariant = FontProperties::DigitVariant::normal;
    spelled.style = FontProperties::Style::normal;
    spelled.weight = Font::Weight::regular();
    spelled.size = 13;
    spelled.scale = 1;
    EXPECT_EQ(FontProperties(), spelled);
    EXPECT_EQ(std::hash<FontProperties>{}(FontProperties()), std::hash<FontProperties>{}(spelled));
    EXPECT_EQ(fontWithProperties(FontProperties()), Font::system(13, Font::Weight::regular(), Font::Design::standard));
    EXPECT_EQ(FontProperties().width(), Font::Width::standard());
}

TEST(FontProperties, EffectiveSizeRoundsHalvesAwayFromZero) {
    EXPECT_EQ(withSize(13, 1.5).effectiveSize(), 20);
    EXPECT_EQ(withSize(13, 0.94).effectiveSize(), 12);
    EXPECT_EQ(withSize(10, 1.25).effectiveSize(), 13);
    EXPECT_EQ(fontWithProperties(withSize(13, 1.5)).resolve().pointSize, 20);
    EXPECT_EQ(fontWithProperties(withSize(10, 1.25)).resolve().pointSize, 13);
}

TEST(FontProperties, ModifiersApplyOnTopOfACustomFamily) {
    FontProperties p = withSize(10, 2);
    p.family = FontProperties::Family::custom("Serif Face");
    p.familyVariant = FontProperties::FamilyVariant::monospaced;
    p.capsVariant = FontProperties::CapsVariant::smallCaps;
    p.digitVariant = FontProperties::DigitVariant::monospaced;
    p.weight = Font::Weight::bold();
    p.setWidth(Font::Width::condensed());
    p.style = FontProperties::Style::italic;
    const Font expected = Font::custom("Serif Face", 20, true)
                              .monospaced()
                              .smallCaps()
                              .monospacedDigit()
                              .weight(Font::Weight::bold())
                              .width(Font::Width::condensed())
                              .italic();
    EXPECT_EQ(fontWithProperties(p), expected);
    const auto resolved = fontWithProperties(p).resolve();
    EXPECT_EQ(resolved.pointSize, 20);
    EXPECT_EQ(resolved.weight, 700);
    EXPECT_TRUE(resolved.italic);
    EXPECT_EQ(resolved.caps, glimmo::ResolvedFont::Caps::smallCaps);
}

TEST(FontProperties, AStandardWidthIsStoredButAddsNoModifier) {
    FontProperties boxed;
    boxed.setWidth(Font::Width::standard());
    EXPECT_NE(boxed, FontProperties());
    EXPECT_EQ(boxed.width(), Font::Width::standard());
    EXPECT_EQ(fontWithProperties(boxed), fontWithProperties(FontProperties()));

    FontProperties wide;
    wide.setWidth(Font::Width::expanded());
    EXPECT_EQ(wide.width(), Font::Width::expanded());
    EXPECT_NE(wide, boxed);
}

TEST(FontProperties, EqualityAndHashFollowEveryField) {
    EXPECT_NE(FontProperties(), withSize(14, 1));
    EXPECT_NE(FontProperties(), withSize(13, 2));
    FontProperties monospaced;
    monospaced.family = FontProperties::Family::system(Font::Design::monospaced);
    EXPECT_NE(FontProperties(), monospaced);
    EXPECT_NE(FontProperties::Family::custom("A"), FontProperties::Family::custom("B"));
    // Negative zero equals zero and hashes alike.
    EXPECT_EQ(withSize(0, 1), withSize(-0.0, 1));
    EXPECT_EQ(std::hash<FontProperties>{}(withSize(0, 1)), std::hash<FontProperties>{}(withSize(-0.0, 1)));
}

TEST(FontProperties, ApplyingAsAStyleReplacesTheDescription) {
    AttributeContainer attributes;
    attributes.set<FontPropertiesAttribute>(withSize(20, 3));
    FontProperties().applyAttributes(attributes);
    EXPECT_EQ(attributes.value<FontPropertiesAttribute>(), FontProperties());
}

TEST(FontPropertiesResolution, RunsWithADescriptionGetAFontAndLoseTheDescription) {
    AttributeContainer described;
    described.set<FontPropertiesAttribute>(withSize(13, 2));
    AttributeContainer coloured;
    coloured.set<glimmo::ForegroundColorAttribute>(glimmo::Color::red());
    coloured.set<glimmo::FontAttribute>(Font::caption());
    AttributedString text("big", described);
    text.append(AttributedString(" plain", coloured));
    const AttributedString before = text;

    const AttributedString resolved = applyingFontProperties(text);
    EXPECT_EQ(text, before);
    ASSERT_EQ(resolved.runs().size(), 2u);
    EXPECT_EQ(resolved.runs()[0].attributes.value<glimmo::FontAttribute>(), fontWithProperties(withSize(13, 2)));
    EXPECT_FALSE(resolved.runs()[0].attributes.contains<FontPropertiesAttribute>());
    EXPECT_EQ(resolved.runs()[1].attributes, coloured);
}

TEST(FontPropertiesResolution, AStringWithoutDescriptionsStaysEqual) {
    AttributeContainer coloured;
    coloured.set<glimmo::ForegroundColorAttribute>(glimmo::Color::blue());
    const AttributedString text("plain", coloured);
    EXPECT_EQ(applyingFontProperties(text), text);
    EXPECT_EQ(applyingFontProperties(AttributedString()), AttributedString());
}

TEST(RelativeSize, PointsFollowTheScaledOrTheBaseSize) {
    EXPECT_EQ(RelativeSize::em(2).points(std::nullopt), 26);
    EXPECT_EQ(RelativeSize::rem(2).points(std::nullopt), 26);
    EXPECT_EQ(RelativeSize::em(1.5).points(std::nullopt), 20);
    EXPECT_EQ(RelativeSize::rem(0.25).points(std::nullopt), 3);
    EXPECT_EQ(RelativeSize::em(1).points(withSize(17, 1.5)), 26);
    EXPECT_EQ(RelativeSize::rem(1).points(withSize(17, 1.5)), 17);
    // The em base is rounded first: 13 × 0.85 = 11.05 gives 11, and 1.5 × 11 = 16.5 gives 17.
    EXPECT_EQ(RelativeSize::em(1.5).points(withSize(13, 0.85)), 17);
    EXPECT_EQ(RelativeSize::rem(1.5).points(withSize(13, 0.85)), 20);
    EXPECT_EQ(RelativeSize::em(-0.5).points(std::nullopt), -7);
    EXPECT_EQ(RelativeSize::zero().points(withSize(40, 3)), 0);
    EXPECT_EQ(roundedPoints(0.49999999999999994), 0);
}

} // namespace
} // namespace ridadozi
