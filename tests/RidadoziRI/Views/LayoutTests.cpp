#include "../../platform/view/ViewTestSupport.h"

#include "RidadoziRI/Views/FlowLayout.h"
#include "RidadoziRI/Views/ListViews.h"
#include "RidadoziRI/Views/ResizeToFit.h"

#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::CGRect;
using glimmo::CGSize;
using glimmo::FlexibleFrame;
using glimmo::ProposedViewSize;
using glimmo::Rectangle;
using glimmo::testing::TestHost;

AnyView box(glimmo::CGFloat w, glimmo::CGFloat h, const std::string& label) {
    return Rectangle().frame(w, h).accessibilityLabel(label);
}

AnyView flow(std::vector<AnyView> children) { return glimmo::LayoutView(FlowLayout{3, 3}, std::move(children)); }

TEST(FlowLayoutTest, WrapsWhenTheNextItemPassesTheWidth) {
    TestHost t(flow({box(40, 20, "a"), box(40, 20, "b"), box(40, 20, "c")}).frame(86, std::nullopt, glimmo::Alignment::topLeading()));
    const CGRect a = t.frame("a");
    EXPECT_EQ(t.frame("b"), CGRect(a.minX() + 43, a.minY(), 40, 20));
    EXPECT_EQ(t.frame("c"), CGRect(a.minX(), a.minY() + 23, 40, 20));
    EXPECT_EQ(t.host().sizeThatFits({86.0, std::nullopt}), (CGSize{86, 43}));

    TestHost sizing(flow({box(40, 20, "a"), box(40, 20, "b"), box(40, 20, "c")}));
    EXPECT_EQ(sizing.host().sizeThatFits({86.0, std::nullopt}), (CGSize{83, 43}));
    EXPECT_EQ(sizing.host().sizeThatFits({83.0, std::nullopt}), (CGSize{83, 43}));
    EXPECT_EQ(sizing.host().sizeThatFits({82.9, std::nullopt}), (CGSize{40, 66}));
}

TEST(FlowLayoutTest, UnspecifiedWidthKeepsOneRowAndZeroWidthOneItemPerRow) {
    TestHost t(flow({box(40, 20, "a"), box(30, 10, "b"), box(20, 5, "c")}));
    EXPECT_EQ(t.host().sizeThatFits(ProposedViewSize::unspecified()), (CGSize{96, 20}));
    EXPECT_EQ(t.host().sizeThatFits({0.0, std::nullopt}), (CGSize{40, 20 + 3 + 10 + 3 + 5}));
    EXPECT_EQ(t.host().sizeThatFits({10.0, 500.0}), (CGSize{40, 41}));
}

TEST(FlowLayoutTest, NoSubviewsHasNoSize) {
    TestHost t(flow({}));
    EXPECT_EQ(t.host().sizeThatFits({100.0, 100.0}), (CGSize{0, 0}));
}

TEST(FlowLayoutTest, ShorterItemsSitOnTheRowBottom) {
    TestHost t(flow({box(40, 20, "tall"), box(40, 10, "short")}).frame(200, std::nullopt, glimmo::Alignment::topLeading()));
    const CGRect tall = t.frame("tall");
    EXPECT_EQ(t.frame("short"), CGRect(tall.minX() + 43, tall.minY() + 10, 40, 10));
}

TEST(FlowLayoutTest, LowPriorityItemIsOfferedTheRoomLeftInTheRow) {
    const FlexibleFrame stretch{.minWidth = 0, .maxWidth = glimmo::infinity, .minHeight = 10, .maxHeight = 10};
    TestHost t(flow({box(40, 20, "a"), Rectangle().frame(stretch).layoutPriority(-1).accessibilityLabel("rest"),
                     Rectangle().frame(stretch).accessibilityLabel("full")})
                   .frame(86, std::nullopt, glimmo::Alignment::topLeading()));
    EXPECT_EQ(t.frame("rest").width(), 43);
    EXPECT_EQ(t.frame("full").width(), 86);
    EXPECT_EQ(t.frame("full").minX(), t.frame("a").minX());
}

AnyView picture(const std::string& label) {
    return Rectangle().frame({.idealWidth = 100, .maxWidth = glimmo::infinity, .idealHeight = 50, .maxHeight = glimmo::infinity})
        .accessibilityLabel(label);
}

TEST(ResizeToFitTest, ShrinksToTheOfferedWidthAndNeverEnlarges) {
    TestHost t(AnyView(ResizeToFit{{100, 50}, picture("p")}));
    EXPECT_EQ(t.host().sizeThatFits({60.0, std::nullopt}), (CGSize{60, 30}));
    EXPECT_EQ(t.host().sizeThatFits({100.0, 10.0}), (CGSize{100, 50}));
    EXPECT_EQ(t.host().sizeThatFits({200.0, std::nullopt}), (CGSize{100, 50}));
    EXPECT_EQ(t.host().sizeThatFits(ProposedViewSize::unspecified()), (CGSize{100, 50}));

    TestHost placed(AnyView(ResizeToFit{{100, 50}, picture("p")}).frame(60, std::nullopt, glimmo::Alignment::topLeading()));
    EXPECT_EQ(placed.frame("p").size, (CGSize{60, 30}));
}

TEST(ResizeToFitTest, FittingRuleEdges) {
    EXPECT_EQ(fittingSize({100, 0}, 40), (CGSize{40, 0}));
    EXPECT_EQ(fittingSize({0, 30}, 0), (CGSize{0, 30}));
    EXPECT_EQ(fittingSize({0, 30}, 500), (CGSize{0, 30}));
}

TEST(ResizeToFitTest, LayoutWithoutSubviewsIsEmpty) {
    TestHost t(glimmo::LayoutView(ResizeToFit2{}, std::vector<AnyView>{}));
    EXPECT_EQ(t.host().sizeThatFits({100.0, 100.0}), (CGSize{0, 0}));
}

TEST(MarkerRowTest, MarkerThenSixPointsThenContentOnTheFirstBaseline) {
    const AnyView content = glimmo::VStack(glimmo::HorizontalAlignment::leading(), 0,
                                           {glimmo::Text("first line").accessibilityLabel("first"),
                                            Rectangle().frame({.maxWidth = glimmo::infinity, .minHeight = 30, .maxHeight = 30})})
                                .accessibilityLabel("content");
    TestHost t(markerRow(glimmo::Text("1.").accessibilityLabel("marker"), content).frame(200, std::nullopt, glimmo::Alignment::topLeading()));
    const CGRect marker = t.frame("marker");
    EXPECT_EQ(t.frame("content").minX() - marker.maxX(), 6);
    EXPECT_EQ(t.frame("content").width(), 200 - 6 - marker.width());
    EXPECT_EQ(marker.minY(), t.frame("first").minY());
    EXPECT_EQ(marker.height(), t.frame("first").height());
}

} // namespace
} // namespace ridadozi
