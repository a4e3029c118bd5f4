// Layouts composed the way the application's views compose them.

#include "ViewTestSupport.h"

#include "platform/view/GeometryReader.h"
#include "platform/view/Label.h"
#include "platform/view/Preferences.h"
#include "platform/view/ScaledMetric.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

struct LabelLineID final : AlignmentID {
    CGFloat defaultValue(const ViewDimensions& d) const override { return d[HorizontalAlignment::leading()]; }
};
const LabelLineID labelLineID;
const HorizontalAlignment labelLine{&labelLineID};

struct LabelWidthKey {
    using Value = double;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value = std::max(value, next()); }
};

struct SettingsRow : View<SettingsRow> {
    std::string title;
    std::string name;
    AnyView body() const {
        return HStack(VerticalAlignment::center(), std::nullopt, {
            Text(title)
                .overlay(GeometryReader([](const GeometryProxy& p) { return AnyView(Color::clear()).preference<LabelWidthKey>(p.size().width); }))
                .alignmentGuide(labelLine, [](const ViewDimensions& d) { return d[HorizontalAlignment::trailing()]; })
                .accessibilityLabel(name + ".label"),
            Rectangle().frame(60, 20).accessibilityLabel(name + ".control"),
            Spacer(),
        });
    }
};

struct SettingsForm : View<SettingsForm> {
    State<double> widest{0};
    AnyView body() const {
        auto widest = this->widest;
        return VStack(labelLine, std::nullopt, {
                   SettingsRow{{}, "Short", "a"},
                   Divider().frame(200, 20).alignmentGuide(labelLine, [w = *widest](const ViewDimensions& d) {
                       return d[HorizontalAlignment::leading()] + std::max(50.0, w);
                   }).accessibilityLabel("divider"),
                   SettingsRow{{}, "A longer label", "b"},
               })
            .onPreferenceChange<LabelWidthKey>([widest](const double& w) { widest.set(w); })
            .frame(200, std::nullopt, Alignment::leading())
            .padding(EdgeInsets{20, 30, 20, 30})
            .accessibilityLabel("form");
    }
};

TEST(CompositionTest, LabelsOfSettingsRowsEndOnOneLine) {
    TestHost t(SettingsForm{}, {400, 300});
    EXPECT_EQ(t.frame("a.label").maxX(), t.frame("b.label").maxX());
    const CGRect form = t.frame("form");
    EXPECT_EQ(form.width(), 260);
    EXPECT_EQ(t.frame("b.label").minX(), form.minX() + 30) << "the widest label starts at the leading edge";
    // The divider starts the widest label's width (91) before the label line.
    EXPECT_EQ(t.frame("divider").minX(), t.frame("b.label").maxX() - 91);
}

TEST(CompositionTest, LabelStylesChooseTitleIconOrBoth) {
    TestHost both(Label("Categories", "folder").accessibilityLabel("l"));
    EXPECT_EQ(both.frame("l").width(), 6.5 + 6 + 65) << "icon, spacing 6, title";
    TestHost title(Label("Categories", "folder").labelStyle(LabelStyle::titleOnly).accessibilityLabel("l"));
    EXPECT_EQ(title.frame("l").width(), 65);
}

struct Scaled : View<Scaled> {
    ScaledMetric size{13};
    AnyView body() const { return Rectangle().frame(*size, *size).accessibilityLabel("r"); }
};

TEST(CompositionTest, ScaledMetricFollowsTheTextSizeFactor) {
    TestHost t(Scaled{});
    EXPECT_EQ(t.frame("r").width(), 13);
    TestHost larger(Scaled{}.environment<TextSizeFactorKey>(1.5));
    EXPECT_EQ(larger.frame("r").width(), 19.5);
}

} // namespace
} // namespace glimmo
