#include "ViewTestSupport.h"

#include "platform/view/Image.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

template <class T>
std::vector<const T*> itemsOf(const DisplayList& list) {
    std::vector<const T*> out;
    for (const auto& item : list.items) {
        if (const auto* t = std::get_if<T>(&item)) out.push_back(t);
    }
    return out;
}

TEST(DisplayListTest, ShapesFillWithColoursOfTheColourScheme) {
    for (const ColorScheme scheme : {ColorScheme::light, ColorScheme::dark}) {
        TestHost t(HStack({
            Circle().fill(Color::orange()).frame(20, 20),
            Capsule().frame(30, 10),
            RoundedRectangle(4).fill(Color::dynamic([] { return Color::rgba(0x0066CCFF); }, [] { return Color::rgba(0x2997FFFF); })).frame(10, 10),
        }).foregroundColor(Color::gray()));
        t.host().setColorScheme(scheme);
        const auto fills = itemsOf<FillItem>(t.host().displayList());
        ASSERT_EQ(fills.size(), 3u);
        EXPECT_EQ(std::get<RGBA>(fills[0]->paint), Color::orange().resolve(scheme));
        EXPECT_EQ(std::get<RGBA>(fills[1]->paint), Color::gray().resolve(scheme)) << "plain shapes use the foreground colour";
        EXPECT_EQ(std::get<RGBA>(fills[2]->paint).packed(), scheme == ColorScheme::light ? 0x0066CCFFu : 0x2997FFFFu);
        EXPECT_EQ(t.host().displayList().background, Color::windowBackgroundColor().resolve(scheme));
    }
}

TEST(DisplayListTest, StrokeBorderStaysInsideTheShapeAndStrokeIsCentredOnItsEdge) {
    StrokeStyle dashed;
    dashed.lineWidth = 4;
    dashed.dash = {2, 2};
    TestHost t(VStack(HorizontalAlignment::center(), 0, {
        Rectangle().strokeBorder(Color::red(), 4).frame(40, 20).accessibilityLabel("inside"),
        Rectangle().stroke(Color::blue(), dashed).frame(40, 20).accessibilityLabel("centred"),
    }));
    const auto strokes = itemsOf<StrokeItem>(t.host().displayList());
    ASSERT_EQ(strokes.size(), 2u);
    const CGRect inside = t.frame("inside");
    EXPECT_EQ(strokes[0]->path.boundingRect(), inside.insetBy(2, 2));
    EXPECT_EQ(strokes[1]->path.boundingRect(), t.frame("centred"));
    EXPECT_EQ(strokes[1]->style.dash, (std::vector<CGFloat>{2, 2}));
}

TEST(DisplayListTest, GradientsRunBetweenUnitPointsOfTheShape) {
    TestHost t(Rectangle().fill(LinearGradient{Gradient::colors({Color::white(), Color::black()}), UnitPoint::leading(), UnitPoint::trailing()})
                   .frame(100, 20).accessibilityLabel("g"));
    const auto fills = itemsOf<FillItem>(t.host().displayList());
    ASSERT_EQ(fills.size(), 1u);
    const auto& paint = std::get<GradientPaint>(fills[0]->paint);
    const CGRect g = t.frame("g");
    EXPECT_EQ(paint.start, (CGPoint{g.minX(), g.midY()}));
    EXPECT_EQ(paint.end, (CGPoint{g.maxX(), g.midY()}));
    ASSERT_EQ(paint.stops.size(), 2u);
    EXPECT_EQ(paint.stops[1].location, 1);
}

TEST(DisplayListTest, ShadowsWrapTheirContentInTheColourOfTheScheme) {
    TestHost t(VStack({
        Rectangle().frame(20, 20).shadow(Color::dynamic([] { return Color::black(); }, [] { return Color::white(); }), 4, 1, 2),
        Rectangle().frame(20, 20).shadow(Color::clear(), 4),
    }).colorScheme(ColorScheme::dark));
    const auto& items = t.host().displayList().items;
    ASSERT_EQ(items.size(), 4u) << "a clear shadow adds nothing";
    const auto* shadow = std::get_if<PushShadow>(&items[0]);
    ASSERT_NE(shadow, nullptr);
    EXPECT_EQ(shadow->color, Color::white().resolve(ColorScheme::dark));
    EXPECT_EQ(shadow->radius, 4);
    EXPECT_EQ(shadow->offset, (CGSize{1, 2}));
    EXPECT_TRUE(std::holds_alternative<FillItem>(items[1]));
    EXPECT_TRUE(std::holds_alternative<PopShadow>(items[2]));
    EXPECT_TRUE(std::holds_alternative<FillItem>(items[3]));
}

TEST(DisplayListTest, ClipOpacityAndTransformsAreBalancedAroundTheirContent) {
    TestHost t(Rectangle().frame(20, 20).clipShape(Circle()).opacity(0.5).scaleEffect(2).accessibilityLabel("r"));
    const auto& items = t.host().displayList().items;
    ASSERT_EQ(items.size(), 7u);
    EXPECT_TRUE(std::holds_alternative<PushTransform>(items[0]));
    EXPECT_TRUE(std::holds_alternative<PushOpacity>(items[1]));
    EXPECT_TRUE(std::holds_alternative<PushClip>(items[2]));
    EXPECT_TRUE(std::holds_alternative<FillItem>(items[3]));
    EXPECT_TRUE(std::holds_alternative<PopClip>(items[4]));
    EXPECT_TRUE(std::holds_alternative<PopOpacity>(items[5]));
    EXPECT_TRUE(std::holds_alternative<PopTransform>(items[6]));
    // Scaled about its centre: the corner moves out by the view's half size.
    const CGRect r = t.frame("r");
    const CGAffineTransform m = std::get<PushTransform>(items[0]).transform;
    EXPECT_EQ(m.apply(r.origin), (CGPoint{r.minX() - 10, r.minY() - 10}));
}

TEST(DisplayListTest, ImagesAndSymbolsDrawAtTheirSize) {
    auto pixels = std::make_shared<PixelImage>();
    pixels->width = 4;
    pixels->height = 2;
    pixels->rgba.assign(4 * 2 * 4, 200);
    TestHost t(VStack({
        Image(SharedPixels(pixels)).accessibilityLabel("natural"),
        Image(SharedPixels(pixels)).resizable().frame(40, 10).accessibilityLabel("resized"),
        Image::systemName("doc.on.doc").font(Font::system(16)).foregroundColor(Color::orange()).accessibilityLabel("symbol"),
        Image::systemName("not.a.symbol").accessibilityLabel("unknown"),
    }));
    const auto images = itemsOf<ImageItem>(t.host().displayList());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0]->rect.size, (CGSize{4, 2}));
    EXPECT_EQ(images[1]->rect, t.frame("resized"));
    const auto texts = itemsOf<TextItem>(t.host().displayList());
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0]->runs[0].font.family, "Material Design Icons");
    EXPECT_EQ(texts[0]->runs[0].font.pointSize, 16);
    EXPECT_EQ(texts[0]->runs[0].color, Color::orange().resolve(ColorScheme::light));
    EXPECT_EQ(t.frame("unknown").size, (CGSize{0, 0}));
}

TEST(DisplayListTest, AspectRatioFitsAndFillsTheOffer) {
    auto pixels = std::make_shared<PixelImage>();
    pixels->width = 40;
    pixels->height = 20;
    pixels->rgba.assign(40 * 20 * 4, 9);
    TestHost t(VStack({
        Image(SharedPixels(pixels)).resizable().scaledToFit().frame(100, 100).accessibilityLabel("fit"),
        Image(SharedPixels(pixels)).resizable().scaledToFill().frame(100, 100).accessibilityLabel("fill"),
    }), {300, 300});
    const auto images = itemsOf<ImageItem>(t.host().displayList());
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0]->rect.size, (CGSize{100, 50}));
    EXPECT_EQ(images[1]->rect.size, (CGSize{200, 100}));
    EXPECT_EQ(images[0]->rect.midY(), t.frame("fit").midY());
}

TEST(DisplayListTest, MaterialsBecomeTranslucentFills) {
    TestHost t(Rectangle().fill(Material::regularMaterial).frame(10, 10));
    const auto blurs = itemsOf<BlurItem>(t.host().displayList());
    ASSERT_EQ(blurs.size(), 1u);
    EXPECT_LT(blurs[0]->tint.alpha, 1);
}

} // namespace
} // namespace glimmo
