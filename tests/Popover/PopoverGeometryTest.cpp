#include "Popover/PopoverWindow.h"
#include "Popover/PopoverWindowController.h"

#include <gtest/gtest.h>

using namespace popover;
using namespace glimmo;

namespace {

struct NoBorder : DefaultConfiguration {
    std::optional<Color> borderColor() const override { return std::nullopt; }
};

struct Inset : DefaultConfiguration {
    EdgeInsets contentEdgeInsets() const override { return {.top = 1, .leading = 2, .bottom = 3, .trailing = 4}; }
};

// Screen coordinates here run downwards: a menu bar 24 points tall at the top of a 1440 x 900 screen.
const CGRect screen(0, 0, 1440, 900);

} // namespace

TEST(PlaceWindowTest, CentresUnderTheItemShiftedByTheBorderWithTheArrowOverIt) {
    const auto p = placeWindow(screen, CGRect(1000, 0, 30, 24), {300, 212}, DefaultConfiguration());
    EXPECT_EQ(p.frame, CGRect(867, 25, 300, 212));
    EXPECT_EQ(p.arrowX, 148);
}

TEST(PlaceWindowTest, KeepsTheMarginToTheRightScreenEdgeAndMovesTheArrowInstead) {
    const auto p = placeWindow(screen, CGRect(1400, 0, 30, 24), {300, 212}, DefaultConfiguration());
    EXPECT_EQ(p.frame.origin.x, 1128);
    EXPECT_EQ(p.arrowX, 287);
}

TEST(PlaceWindowTest, WithoutBorderTheWindowIsExactlyCentred) {
    const auto p = placeWindow(screen, CGRect(1000, 0, 30, 24), {300, 212}, NoBorder());
    EXPECT_EQ(p.frame.origin.x, 865);
    EXPECT_EQ(p.frame.origin.y, 26);
    EXPECT_EQ(p.arrowX, 150);
}

TEST(PlaceWindowTest, AnItemNearTheLeftEdgeMayPutTheWindowPartlyOffScreen) {
    const auto p = placeWindow(screen, CGRect(10, 0, 30, 24), {300, 212}, DefaultConfiguration());
    EXPECT_EQ(p.frame.origin.x, 10 + 15 - 150 + 2);
    EXPECT_EQ(p.arrowX, 148);
}

TEST(BackgroundViewTest, ArrowApexTouchesTheTopLessTheBorderAndTheBodyLiesBelowTheArrow) {
    auto config = std::make_shared<DefaultConfiguration>();
    PopoverWindowBackgroundView view(CGRect(0, 0, 300, 212), config);
    view.arrowXLocation = 148;
    const Path shape = view.shape(view.bounds());
    const auto& e = shape.elements();
    ASSERT_GE(e.size(), 5u);
    EXPECT_EQ(e[0].verb, Path::Verb::move);
    EXPECT_EQ(e[0].points[0], (CGPoint{148 - 31, 14}));
    EXPECT_EQ(e[1].verb, Path::Verb::cubic);
    EXPECT_EQ(e[1].points[2], (CGPoint{148, 2})); // apex: y + B
    EXPECT_NEAR(e[1].points[0].x, 148 - 62.0 / 6, 1e-9);
    EXPECT_NEAR(e[1].points[1].x, 148 - 62.0 / 9, 1e-9);
    EXPECT_EQ(e[2].points[2], (CGPoint{148 + 31, 14}));
    const CGRect bounds = shape.boundingRect();
    EXPECT_EQ(bounds.origin.y, 2);
    EXPECT_EQ(bounds.origin.y + bounds.size.height, 210);
    EXPECT_EQ(bounds.origin.x, 2);
    EXPECT_EQ(bounds.size.width, 296);

    DisplayList list;
    view.draw(list, view.bounds());
    ASSERT_EQ(list.items.size(), 2u);
    ASSERT_TRUE(std::holds_alternative<StrokeItem>(list.items[0])); // the fill covers the inner half of the line
    EXPECT_EQ(std::get<StrokeItem>(list.items[0]).style.lineWidth, 2);
    EXPECT_TRUE(std::holds_alternative<FillItem>(list.items[1]));
}

TEST(BackgroundViewTest, WithoutBorderNothingIsStrokedAndTheBodyFillsTheBoundsBelowTheArrow) {
    PopoverWindowBackgroundView view(CGRect(0, 0, 300, 212), std::make_shared<NoBorder>());
    DisplayList list;
    view.draw(list, view.bounds());
    ASSERT_EQ(list.items.size(), 1u);
    const Path& path = std::get<FillItem>(list.items[0]).path;
    // With the arrow at x 0, half of it lies outside the view.
    EXPECT_EQ(path.boundingRect(), CGRect(-31, 0, 331, 212));
}

TEST(PopoverWindowTest, IsTheArrowTallerThanItsContentAndHoldsOneClientView) {
    auto config = std::make_shared<DefaultConfiguration>();
    PopoverWindow window(config);
    EXPECT_EQ(window.frameRectForContentRect(CGRect(0, 0, 300, 200)), CGRect(0, 0, 300, 212));
    EXPECT_TRUE(window.canBecomeKeyWindow());

    auto first = NativeView::make(CGRect(0, 0, 300, 200));
    window.setContentView(first);
    auto background = window.backgroundView();
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(window.platformContentView(), background);
    EXPECT_EQ(window.contentView(), first);
    ASSERT_EQ(background->constraints().size(), 4u);
    EXPECT_EQ(background->constraints()[2].constant, 12 + 2);
    EXPECT_EQ(background->constraints()[0].constant, 2);

    window.setContentView(first);
    window.setContentView(nullptr);
    EXPECT_EQ(background->constraints().size(), 4u);
    EXPECT_EQ(window.contentView(), first);

    auto second = NativeView::make(CGRect(0, 0, 100, 50));
    window.setContentView(second);
    EXPECT_EQ(window.backgroundView(), background);
    ASSERT_EQ(background->subviews().size(), 1u);
    EXPECT_EQ(background->subviews()[0], second);
    EXPECT_EQ(first->superview(), nullptr);
    EXPECT_EQ(background->constraints().size(), 4u);

    window.setFrame(CGRect(0, 0, 300, 212));
    EXPECT_EQ(second->frame(), CGRect(2, 14, 296, 196));
}

TEST(PopoverWindowTest, ContentInsetsAddToTheBorderAndArrow) {
    PopoverWindow window(std::make_shared<Inset>());
    auto view = NativeView::make(CGRect(0, 0, 100, 100));
    window.setContentView(view);
    window.setFrame(CGRect(0, 0, 106, 116));
    EXPECT_EQ(view->frame(), CGRect(2 + 2, 1 + 12 + 2, 106 - (2 + 2) - (4 + 2), 116 - (1 + 12 + 2) - (3 + 2)));
}
