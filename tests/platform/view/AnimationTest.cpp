#include "ViewTestSupport.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/Button.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

struct Expanding : View<Expanding> {
    State<bool> open{false};
    AnyView body() const {
        auto open = this->open;
        return VStack(HorizontalAlignment::center(), 0, {
            Button("Toggle", [open] { withAnimation(Animation::linear(1), [open] { open.set(!*open); }); }).accessibilityLabel("toggle"),
            Rectangle().frame(40, *open ? 30 : 10).accessibilityLabel("panel"),
            Rectangle().frame(40, 10).opacity(*open ? 0.0 : 1.0),
            If(*open, [] { return Text("details"); }),
        });
    }
};

class AnimationTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<ManualRunLoop>();
        RunLoop::setMain(loop);
    }
    void TearDown() override { RunLoop::setMain(nullptr); }

    // Height of the first fill drawn with the panel's width.
    static CGFloat panelHeight(TestHost& t) {
        for (const auto& item : t.host().displayList().items) {
            if (const auto* fill = std::get_if<FillItem>(&item)) {
                if (fill->path.boundingRect().width() == 40) return fill->path.boundingRect().height();
            }
        }
        return -1;
    }
    // The opacity around the fading 40 x 10 rectangle, if any.
    static std::optional<double> fade(TestHost& t) {
        std::optional<double> open;
        for (const auto& item : t.host().displayList().items) {
            if (const auto* o = std::get_if<PushOpacity>(&item)) open = o->opacity;
            if (std::holds_alternative<PopOpacity>(item)) open.reset();
            if (const auto* f = std::get_if<FillItem>(&item); f && f->path.boundingRect().size == CGSize{40, 10}) return open;
        }
        return std::nullopt;
    }
    // The opacity around the inserted text, if any.
    static std::optional<double> textFade(TestHost& t) {
        std::optional<double> open;
        for (const auto& item : t.host().displayList().items) {
            if (const auto* o = std::get_if<PushOpacity>(&item)) open = o->opacity;
            if (std::holds_alternative<PopOpacity>(item)) open.reset();
            if (std::holds_alternative<TextItem>(item) && std::get<TextItem>(item).runs.front().text == "details") return open;
        }
        return std::nullopt;
    }
    std::shared_ptr<ManualRunLoop> loop;
};

TEST_F(AnimationTest, ChangesUnderAnAnimationMoveThroughInBetweenFramesAndOpacities) {
    TestHost t(Expanding{}, {200, 200});
    loop->runUntilIdle();
    t.click("toggle");
    loop->runUntilIdle();
    EXPECT_EQ(t.frame("panel").height(), 30) << "layout has the final frame at once";
    EXPECT_EQ(panelHeight(t), 10) << "drawing starts where the view was";
    EXPECT_EQ(fade(t).value_or(1.0), 1.0) << "fully opaque: no opacity group";
    EXPECT_EQ(textFade(t), 0.0) << "an inserted view fades in";
    loop->advance(0.5);
    EXPECT_NEAR(panelHeight(t), 20, 0.5);
    EXPECT_NEAR(*fade(t), 0.5, 0.02);
    EXPECT_NEAR(textFade(t).value_or(-1), 0.5, 0.02);
    loop->advance(0.6);
    EXPECT_EQ(panelHeight(t), 30);
    EXPECT_EQ(fade(t), 0.0);
    EXPECT_FALSE(textFade(t).has_value());
    EXPECT_EQ(loop->scheduledTimerCount(), 0u) << "the frame timer stops when nothing moves";
}

struct Instant : View<Instant> {
    State<bool> open{false};
    AnyView body() const {
        auto open = this->open;
        return VStack({Button("Toggle", [open] { open.set(!*open); }).accessibilityLabel("toggle"),
                       Rectangle().frame(40, *open ? 30 : 10)});
    }
};

TEST_F(AnimationTest, ChangesWithoutAnAnimationAreInstant) {
    TestHost t(Instant{}, {200, 200});
    t.click("toggle");
    loop->runUntilIdle();
    EXPECT_EQ(panelHeight(t), 30);
    EXPECT_EQ(loop->scheduledTimerCount(), 0u);
}

// A framed, moved shape drawn beside the same shape whose frame and offset sit around a padding, which
// draws nothing and changes no size: the two draw alike, also between frames of an animation.
struct MovedShapes : View<MovedShapes> {
    State<bool> moved{false};
    AnyView body() const {
        auto moved = this->moved;
        const CGFloat x = *moved ? 60 : 10, height = *moved ? 30 : 10;
        return VStack(HorizontalAlignment::leading(), 0, {
            Button("Move", [moved] { withAnimation(Animation::linear(1), [moved] { moved.set(!*moved); }); }).accessibilityLabel("move"),
            Rectangle().fill(Color::red()).frame(40, height).offset(x, 5),
            Rectangle().fill(Color::red()).padding(0).frame(40, height).padding(0).offset(x, 5),
        });
    }
};

TEST_F(AnimationTest, AShapesFrameAndOffsetDrawAsAroundAnyOtherViewAlsoWhileAnimating) {
    TestHost t(MovedShapes{}, {200, 200});
    loop->runUntilIdle();
    // Both shapes' rectangles, the second moved back up by the first one's height.
    const auto drawnAlike = [&t](const char* when) {
        std::vector<CGRect> rects;
        for (const auto& item : t.host().displayList().items) {
            if (const auto* fill = std::get_if<FillItem>(&item); fill && fill->paint == Paint(Color::red().resolve(ColorScheme::light))) {
                rects.push_back(fill->path.boundingRect());
            }
        }
        EXPECT_EQ(rects.size(), 2u) << when;
        if (rects.size() == 2) {
            EXPECT_EQ(rects[0].size, rects[1].size) << when;
            EXPECT_EQ(rects[0].minX(), rects[1].minX()) << when;
        }
        return rects.empty() ? CGRect{} : rects[0];
    };
    const CGRect first = drawnAlike("at first");
    EXPECT_EQ(first.size, (CGSize{40, 10}));
    t.click("move");
    loop->runUntilIdle();
    loop->advance(0.5);
    const CGRect halfway = drawnAlike("halfway");
    EXPECT_NEAR(halfway.minX(), first.minX() + 25, 1);
    EXPECT_NEAR(halfway.height(), 20, 1);
    t.click("move");
    loop->runUntilIdle();
    loop->advance(1.25);
    EXPECT_EQ(drawnAlike("back at rest"), first);
}

} // namespace
} // namespace glimmo
