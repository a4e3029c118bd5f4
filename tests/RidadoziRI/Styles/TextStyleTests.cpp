#include "RidadoziRI/Styles/TextStyles.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AttributeContainer;
using glimmo::Color;
using glimmo::Font;

AttributeContainer withDefaultFont() {
    AttributeContainer attributes;
    FontProperties().applyAttributes(attributes);
    return attributes;
}

FontProperties fontOf(const AttributeContainer& attributes) {
    const auto properties = attributes.value<FontPropertiesAttribute>();
    EXPECT_TRUE(properties.has_value());
    return properties.value_or(FontProperties());
}

template <class S>
FontProperties applied(const S& style) {
    AttributeContainer attributes = withDefaultFont();
    style.applyAttributes(attributes);
    return fontOf(attributes);
}

TEST(TextStyles, FontStylesNeverCreateADescription) {
    const AnyTextStyle fontStyles[] = {
        FontFamily{FontProperties::Family::custom("Face")},
        FontFamilyVariant{FontProperties::FamilyVariant::monospaced},
        FontCapsVariant{FontProperties::CapsVariant::smallCaps},
        FontDigitVariant{FontProperties::DigitVariant::monospaced},
        FontStyle{FontProperties::Style::italic},
        FontWeight{Font::Weight::bold()},
        FontWidth{Font::Width::condensed()},
        FontSize(20),
        FontSize(RelativeSize::em(2)),
        FontSize(RelativeSize::rem(2)),
    };
    for (const auto& style : fontStyles) {
        AttributeContainer attributes;
        style.applyAttributes(attributes);
        EXPECT_TRUE(attributes.empty());
    }
}

TEST(TextStyles, FontStylesChangeOneMemberEach) {
    EXPECT_EQ(applied(FontFamily{FontProperties::Family::custom("Face")}).family, FontProperties::Family::custom("Face"));
    EXPECT_EQ(applied(FontFamilyVariant{FontProperties::FamilyVariant::monospaced}).familyVariant,
              FontProperties::FamilyVariant::monospaced);
    EXPECT_EQ(applied(FontCapsVariant{FontProperties::CapsVariant::uppercaseSmallCaps}).capsVariant,
              FontProperties::CapsVariant::uppercaseSmallCaps);
    EXPECT_EQ(applied(FontDigitVariant{FontProperties::DigitVariant::monospaced}).digitVariant,
              FontProperties::DigitVariant::monospaced);
    EXPECT_EQ(applied(FontStyle{FontProperties::Style::italic}).style, FontProperties::Style::italic);
    EXPECT_EQ(applied(FontWeight{Font::Weight::semibold()}).weight, Font::Weight::semibold());
    const FontProperties standardWidth = applied(FontWidth{Font::Width::standard()});
    EXPECT_TRUE(standardWidth.widthStorage.has_value());
    EXPECT_NE(standardWidth, FontProperties());
}

TEST(TextStyles, SizesInPointsEmAndRem) {
    const auto sized = [](auto... styles) {
        return applied(TextStyleBuilder::build(styles...));
    };
    EXPECT_EQ(sized(FontSize(RelativeSize::em(2))).effectiveSize(), 26);
    EXPECT_EQ(sized(FontSize(RelativeSize::em(2)), FontSize(RelativeSize::em(0.94))).effectiveSize(), 24);
    EXPECT_EQ(sized(FontSize(RelativeSize::em(2)), FontSize(RelativeSize::rem(0.94))).effectiveSize(), 12);
    EXPECT_EQ(sized(FontSize(20), FontSize(RelativeSize::em(1.5))).effectiveSize(), 30);

    const FontProperties pointsAfterEm = sized(FontSize(RelativeSize::em(2)), FontSize(20));
    EXPECT_EQ(pointsAfterEm.size, 20);
    EXPECT_EQ(pointsAfterEm.scale, 1);
    const FontProperties emAfterPoints = sized(FontSize(20), FontSize(RelativeSize::em(2)));
    EXPECT_EQ(emAfterPoints.size, 20);
    EXPECT_EQ(emAfterPoints.scale, 2);
    EXPECT_EQ(fontWithProperties(emAfterPoints).resolve().pointSize, 40);

    const FontProperties restored = sized(FontSize(RelativeSize::em(2)), FontSize(RelativeSize::em(3)),
                                          FontSize(RelativeSize::em(0.5)), FontSize(RelativeSize::rem(1)));
    EXPECT_EQ(restored.effectiveSize(), 13);
}

TEST(TextStyles, AttributeStylesSetOrRemoveTheirAttribute) {
    AttributeContainer attributes;
    ForegroundColor{Color::red()}.applyAttributes(attributes);
    BackgroundColor{Color::blue()}.applyAttributes(attributes);
    StrikethroughStyle{glimmo::LineStyle::single()}.applyAttributes(attributes);
    UnderlineStyle{glimmo::LineStyle::single()}.applyAttributes(attributes);
    TextKerning{1.5}.applyAttributes(attributes);
    TextTracking{2}.applyAttributes(attributes);
    EXPECT_EQ(attributes.value<glimmo::ForegroundColorAttribute>(), Color::red());
    EXPECT_EQ(attributes.value<glimmo::BackgroundColorAttribute>(), Color::blue());
    EXPECT_EQ(attributes.value<glimmo::StrikethroughStyleAttribute>(), glimmo::LineStyle::single());
    EXPECT_EQ(attributes.value<glimmo::UnderlineStyleAttribute>(), glimmo::LineStyle::single());
    EXPECT_EQ(attributes.value<glimmo::KernAttribute>(), 1.5);
    EXPECT_EQ(attributes.value<glimmo::TrackingAttribute>(), 2);
    EXPECT_FALSE(attributes.contains<FontPropertiesAttribute>());

    EmptyTextStyle{}.applyAttributes(attributes);
    EXPECT_EQ(attributes.size(), 6u);
    ForegroundColor{std::nullopt}.applyAttributes(attributes);
    BackgroundColor{std::nullopt}.applyAttributes(attributes);
    StrikethroughStyle{std::nullopt}.applyAttributes(attributes);
    UnderlineStyle{std::nullopt}.applyAttributes(attributes);
    TextKerning{std::nullopt}.applyAttributes(attributes);
    TextTracking{std::nullopt}.applyAttributes(attributes);
    EXPECT_TRUE(attributes.empty());
}

TEST(TextStyleBuilder, PairsApplyInWritingOrder) {
    AttributeContainer boldAfterDescription;
    TextStyleBuilder::makePair(FontProperties(), FontWeight{Font::Weight::bold()}).applyAttributes(boldAfterDescription);
    EXPECT_EQ(fontOf(boldAfterDescription).weight, Font::Weight::bold());

    AttributeContainer descriptionAfterBold;
    TextStyleBuilder::makePair(FontWeight{Font::Weight::bold()}, FontProperties()).applyAttributes(descriptionAfterBold);
    EXPECT_EQ(fontOf(descriptionAfterBold).weight, Font::Weight::regular());

    AttributeContainer three;
    const auto built = TextStyleBuilder::build(ForegroundColor{Color::red()}, ForegroundColor{Color::green()},
                                               ForegroundColor{Color::blue()});
    // Three styles pair up as ((a, b), c).
    EXPECT_EQ(built.s0.s0.foregroundColor, Color::red());
    EXPECT_EQ(built.s1.foregroundColor, Color::blue());
    built.applyAttributes(three);
    EXPECT_EQ(three.value<glimmo::ForegroundColorAttribute>(), Color::blue());
}

TEST(TextStyleBuilder, ConditionalOptionalAndErasedStyles) {
    using Choice = TextStyleBuilder::_Conditional<FontWeight, FontStyle>;
    const Choice first = TextStyleBuilder::makeFirst<FontWeight, FontStyle>(FontWeight{Font::Weight::bold()});
    const Choice second = TextStyleBuilder::makeSecond<FontWeight, FontStyle>(FontStyle{FontProperties::Style::italic});
    EXPECT_EQ(applied(first).weight, Font::Weight::bold());
    EXPECT_EQ(applied(first).style, FontProperties::Style::normal);
    EXPECT_EQ(applied(second).style, FontProperties::Style::italic);
    EXPECT_EQ(applied(second).weight, Font::Weight::regular());

    const bool condition = false;
    const auto absent = TextStyleBuilder::makeOptional(condition ? std::optional(FontWeight{Font::Weight::bold()}) : std::nullopt);
    EXPECT_EQ(applied(absent), FontProperties());
    const auto present = TextStyleBuilder::makeOptional(std::optional(FontWeight{Font::Weight::bold()}));
    EXPECT_EQ(applied(present).weight, Font::Weight::bold());

    const AnyTextStyle erased = TextStyleBuilder::makeErased(FontStyle{FontProperties::Style::italic});
    EXPECT_NE(erased.as<FontStyle>(), nullptr);
    EXPECT_EQ(applied(erased).style, FontProperties::Style::italic);
    EXPECT_EQ(applied(AnyTextStyle()), FontProperties());
}

} // namespace
} // namespace ridadozi
