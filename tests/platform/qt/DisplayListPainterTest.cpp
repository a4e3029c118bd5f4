#include "platform/qt/OffscreenRendering.h"

#include "platform/qt/DisplayListPainter.h"
#include "platform/qt/QtFontMapping.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/Image.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"
#include "platform/view/ViewHost.h"
#include "tests/platform/qt/ColorRecordingDevice.h"
#include "tests/platform/qt/QtTestSupport.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>
#include <functional>
#include <set>
#include <vector>

namespace glimmo {
namespace {

using testing::near;
using testing::pixelAt;

constexpr RGBA white{1, 1, 1, 1};
constexpr RGBA red{1, 0, 0, 1};
constexpr RGBA blue{0, 0, 1, 1};

class DisplayListPainterTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing::ensureQtApplication();
        list.size = {100, 60};
        list.background = white;
    }
    void add(DisplayItem item) { list.items.push_back(std::move(item)); }
    PixelImage render(double scale = 1) const { return renderDisplayList(list, scale); }

    DisplayList list;
};

TEST_F(DisplayListPainterTest, ClearsToTheBackgroundAtTheRequestedScale) {
    list.background = {0, 0.5, 1, 1};
    const PixelImage image = render(2);
    EXPECT_EQ(image.width, 200);
    EXPECT_EQ(image.height, 120);
    EXPECT_EQ(image.scale, 2);
    EXPECT_TRUE(near(pixelAt(image, 0, 0), 0, 128, 255));
    EXPECT_TRUE(near(pixelAt(image, 199, 119), 0, 128, 255));
    list.background = {0, 0, 0, 0};
    EXPECT_TRUE(near(pixelAt(render(), 50, 30), 0, 0, 0, 0)) << "a clear background stays transparent";
}

TEST_F(DisplayListPainterTest, FillsFollowTheirWindingRule) {
    Path ring = Path::rect({10, 10, 40, 40});
    ring.addPath(Path::rect({20, 20, 20, 20}));
    add(FillItem{ring, red, true});
    add(FillItem{Path::ellipse({60, 10, 30, 30}), blue, false});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 12, 12), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(image, 30, 30), 255, 255, 255)) << "even-odd leaves the inner square open";
    EXPECT_TRUE(near(pixelAt(image, 75, 25), 0, 0, 255));
    EXPECT_TRUE(near(pixelAt(image, 61, 11), 255, 255, 255)) << "outside the circle, inside its bounds";
    EXPECT_TRUE(near(pixelAt(image, 55, 30), 255, 255, 255));
}

TEST_F(DisplayListPainterTest, LinearGradientsRunBetweenTheirPointsAndPadBeyond) {
    GradientPaint gradient{{{red, 0}, {blue, 1}}, {20, 0}, {80, 0}};
    add(FillItem{Path::rect({0, 0, 100, 60}), gradient});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 2, 30), 255, 0, 0)) << "padded with the first stop";
    EXPECT_TRUE(near(pixelAt(image, 97, 30), 0, 0, 255)) << "padded with the last stop";
    EXPECT_TRUE(near(pixelAt(image, 50, 30), 128, 0, 128, 255, 6));
}

TEST_F(DisplayListPainterTest, StrokesUseWidthsAndDashesInPoints) {
    Path line;
    line.move({0, 30});
    line.addLine({100, 30});
    StrokeStyle style;
    style.lineWidth = 4;
    style.dash = {10, 10};
    add(StrokeItem{line, red, style});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 5, 30), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(image, 5, 28), 255, 0, 0)) << "4 points wide";
    EXPECT_TRUE(near(pixelAt(image, 5, 25), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(image, 15, 30), 255, 255, 255)) << "gap of the dash";
    EXPECT_TRUE(near(pixelAt(image, 25, 30), 255, 0, 0));
}

TEST_F(DisplayListPainterTest, ClipsNestAndEndAtTheirPop) {
    add(PushClip{Path::rect({0, 0, 50, 60})});
    add(PushClip{Path::rect({0, 0, 100, 30})});
    add(FillItem{Path::rect({0, 0, 100, 60}), red});
    add(PopClip{});
    add(FillItem{Path::rect({0, 40, 100, 20}), blue});
    add(PopClip{});
    add(FillItem{Path::rect({90, 0, 10, 10}), blue});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 10, 10), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(image, 70, 10), 255, 255, 255)) << "outside the outer clip";
    EXPECT_TRUE(near(pixelAt(image, 10, 35), 255, 255, 255)) << "outside the inner clip";
    EXPECT_TRUE(near(pixelAt(image, 10, 50), 0, 0, 255)) << "only the outer clip applies after the first pop";
    EXPECT_TRUE(near(pixelAt(image, 70, 50), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(image, 95, 5), 0, 0, 255)) << "no clip after the last pop";
}

TEST_F(DisplayListPainterTest, AClipThatLeavesNothingVisibleEndsWithItsOwnPop) {
    add(PushTransform{CGAffineTransform::translation(0, -100)}); // a scrolled content
    add(PushClip{Path::rect({0, 0, 100, 50})});                  // scrolled out of the window
    add(PushTransform{CGAffineTransform::translation(50, 0)});
    add(PushClip{Path::rect({0, 0, 10, 10})});
    add(FillItem{Path::rect({0, 0, 100, 200}), red});
    add(PopClip{});
    add(PopTransform{});
    add(PopClip{});
    add(FillItem{Path::rect({0, 110, 20, 10}), blue}); // in view: y 10...20
    add(PopTransform{});
    add(FillItem{Path::rect({80, 40, 20, 20}), blue});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 10, 15), 0, 0, 255)) << "drawn through the scroll, not the hidden group's transform";
    EXPECT_TRUE(near(pixelAt(image, 60, 15), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(image, 90, 50), 0, 0, 255)) << "nothing of the hidden group is left pushed";
}

TEST_F(DisplayListPainterTest, PushedTransformsApplyBeforeTheEnclosingOnes) {
    add(PushTransform{CGAffineTransform::translation(50, 0)});
    add(PushTransform{CGAffineTransform::scale(2, 2)});
    // Scaled first, then moved: covers x 50...70, y 10...30.
    add(FillItem{Path::rect({0, 5, 10, 10}), red});
    add(PopTransform{});
    add(FillItem{Path::rect({0, 40, 10, 10}), blue}); // moved only: x 50...60
    add(PopTransform{});
    add(FillItem{Path::rect({0, 40, 10, 10}), blue});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 52, 12), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(image, 68, 28), 255, 0, 0));
    EXPECT_TRUE(near(pixelAt(image, 72, 28), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(image, 55, 45), 0, 0, 255));
    EXPECT_TRUE(near(pixelAt(image, 62, 45), 255, 255, 255));
    EXPECT_TRUE(near(pixelAt(image, 5, 45), 0, 0, 255));
}

TEST_F(DisplayListPainterTest, OpacityGroupsCompositeAsOneLayerAndMultiplyWhenNested) {
    add(PushOpacity{0.5});
    add(FillItem{Path::rect({0, 0, 40, 20}), red});
    add(FillItem{Path::rect({20, 0, 40, 20}), red}); // overlaps the first
    add(PushOpacity{0.5});
    add(FillItem{Path::rect({0, 30, 40, 20}), blue});
    add(PopOpacity{});
    add(PopOpacity{});
    add(FillItem{Path::rect({80, 0, 20, 20}), red});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 10, 10), 255, 128, 128, 255, 4));
    EXPECT_TRUE(near(pixelAt(image, 30, 10), 255, 128, 128, 255, 4)) << "overlap inside a group is not darker";
    EXPECT_TRUE(near(pixelAt(image, 10, 40), 191, 191, 255, 255, 4)) << "0.5 x 0.5";
    EXPECT_TRUE(near(pixelAt(image, 90, 10), 255, 0, 0)) << "full opacity after the group";
}

// 2 x 2 pixels (red, green / blue, white) in every orientation, each scaled without interpolation into a
// rectangle taller than wide, so a quarter turn that kept the stored sides would leave its corners empty.
TEST_F(DisplayListPainterTest, ImagesAreOrientedThenScaledIntoTheirRectangle) {
    const PixelImage pixels{2, 2, 1, ImageOrientation::up,
                            {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255}};
    // The stored pixel shown at the top left, top right, bottom left and bottom right.
    const std::vector<std::pair<ImageOrientation, std::array<int, 4>>> orientations = {
        {ImageOrientation::up, {0, 1, 2, 3}},           {ImageOrientation::down, {3, 2, 1, 0}},
        {ImageOrientation::left, {1, 3, 0, 2}},         {ImageOrientation::right, {2, 0, 3, 1}},
        {ImageOrientation::upMirrored, {1, 0, 3, 2}},   {ImageOrientation::downMirrored, {2, 3, 0, 1}},
        {ImageOrientation::leftMirrored, {0, 2, 1, 3}}, {ImageOrientation::rightMirrored, {3, 1, 2, 0}},
    };
    ASSERT_EQ(orientations.size(), static_cast<std::size_t>(ImageOrientation::rightMirrored) + 1);
    const auto origin = [](std::size_t index) { return CGPoint{25.0 * (index % 4), 30.0 * (index / 4)}; };
    for (std::size_t index = 0; index < orientations.size(); ++index) {
        auto oriented = std::make_shared<PixelImage>(pixels);
        oriented->orientation = orientations[index].first;
        add(ImageItem{oriented, {origin(index).x, origin(index).y, 20, 26}, ImageItem::Interpolation::none});
    }
    const PixelImage image = render();
    const CGPoint corners[] = {{2, 2}, {18, 2}, {2, 24}, {18, 24}};
    for (std::size_t index = 0; index < orientations.size(); ++index) {
        for (std::size_t corner = 0; corner < 4; ++corner) {
            const std::uint8_t* stored = &pixels.rgba[static_cast<std::size_t>(orientations[index].second[corner]) * 4];
            const int x = static_cast<int>(origin(index).x + corners[corner].x);
            const int y = static_cast<int>(origin(index).y + corners[corner].y);
            EXPECT_TRUE(near(pixelAt(image, x, y), stored[0], stored[1], stored[2]))
                << "orientation " << index << ", corner " << corner;
        }
    }
    EXPECT_TRUE(near(pixelAt(image, 9, 12), 255, 0, 0)) << "no interpolation keeps the edge sharp";
}

TEST_F(DisplayListPainterTest, TextRunsDrawBackgroundsDecorationsAndAttachments) {
    const QtTextMeasurer measurer;
    ResolvedFont font;
    font.pointSize = 16;
    const FontMetrics metrics = measurer.metrics(font);
    TextItem line;
    line.origin = {4, 10};
    line.lineHeight = metrics.ascent + metrics.descent;
    TextRunItem words;
    words.text = "Tt";
    words.font = font;
    words.color = {0, 0, 0, 1};
    words.width = measurer.advance(words.text, font);
    words.baseline = metrics.ascent;
    words.background = RGBA{1, 1, 0, 1};
    words.underlineColor = RGBA{0, 0, 1, 1};
    line.runs.push_back(words);
    auto dot = std::make_shared<PixelImage>();
    dot->width = dot->height = 1;
    dot->rgba = {0, 255, 0, 255};
    TextRunItem attachment;
    attachment.image = dot;
    attachment.imageSize = {10, 10};
    attachment.x = words.width + 10;
    attachment.width = 10;
    attachment.baseline = metrics.ascent;
    line.runs.push_back(attachment);
    add(line);
    // At 4 pixels per point, so the thin underline covers whole pixels.
    const PixelImage image = render(4);
    const auto at = [&](double x, double y) { return pixelAt(image, static_cast<int>(x * 4), static_cast<int>(y * 4)); };

    // The run's box is yellow where no glyph covers it (its top-left corner).
    EXPECT_TRUE(near(at(4.5, 10.5), 255, 255, 0));
    // Dark glyph pixels inside the box.
    int dark = 0;
    for (double y = 10; y < 10 + metrics.ascent; y += 0.25) {
        for (double x = 4; x < 4 + words.width; x += 0.25) dark += at(x, y).r < 80;
    }
    EXPECT_GT(dark, 100);
    // The underline lies just below the baseline, in its own colour, across the whole run.
    bool underlined = false;
    for (double y = 10 + metrics.ascent; y < 10 + metrics.ascent + metrics.descent; y += 0.25) {
        underlined = underlined || near(at(4 + words.width - 1, y), 0, 0, 255, 255, 10);
    }
    EXPECT_TRUE(underlined);
    EXPECT_FALSE(near(at(4 + words.width + 2, 10 + metrics.ascent + 1.5), 0, 0, 255, 255, 100))
        << "the underline ends with its run";
    // The attachment sits on the baseline.
    const double attachmentX = 4 + attachment.x + 5;
    EXPECT_TRUE(near(at(attachmentX, 10 + metrics.ascent - 5), 0, 255, 0));
    EXPECT_TRUE(near(at(attachmentX, 10 + metrics.ascent + 1), 255, 255, 255));
}

TEST_F(DisplayListPainterTest, TrackingSpreadsTheCharactersOfARun) {
    const QtTextMeasurer measurer;
    ResolvedFont font;
    font.pointSize = 16;
    const auto inkWidth = [&](double tracking) {
        list.items.clear();
        TextItem line;
        line.lineHeight = 20;
        TextRunItem run;
        run.text = "llll";
        run.font = font;
        run.color = {0, 0, 0, 1};
        run.tracking = tracking;
        run.width = measurer.advance(run.text, font) + 4 * tracking;
        run.baseline = measurer.metrics(font).ascent;
        line.runs.push_back(run);
        add(line);
        const PixelImage image = render();
        int left = image.width, right = -1;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                if (pixelAt(image, x, y).r < 128) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return right - left;
    };
    // Three gaps between four letters grow by the tracking each.
    EXPECT_NEAR(inkWidth(6) - inkWidth(0), 18, 2);
}

TEST_F(DisplayListPainterTest, MonospacedDigitsAreDrawnInTheirOwnColumns) {
    const QtTextMeasurer measurer;
    ResolvedFont font;
    font.pointSize = 20;
    font.monospacedDigits = true;
    // The ink of the last digit "0" starts at the same place after a narrow "1" as after a wide "8".
    const auto lastDigitLeft = [&](const std::string& text) {
        list.items.clear();
        list.size = {100, 30};
        TextItem line;
        line.lineHeight = 30;
        TextRunItem run;
        run.text = text;
        run.font = font;
        run.color = {0, 0, 0, 1};
        run.width = measurer.advance(text, font);
        run.baseline = measurer.metrics(font).ascent;
        line.runs.push_back(run);
        add(line);
        const PixelImage image = render(4);
        const int secondCell = static_cast<int>(measurer.advance("0", font) * 4);
        for (int x = secondCell; x < image.width; ++x) {
            for (int y = 0; y < image.height; ++y) {
                if (pixelAt(image, x, y).r < 128) return x;
            }
        }
        return -1;
    };
    const int afterOne = lastDigitLeft("10");
    ASSERT_GT(afterOne, 0);
    EXPECT_NEAR(afterOne, lastDigitLeft("80"), 1);
}

// A line of one black run of `text`, its baseline `baseline` below `origin`, with a slot for its glyphs
// as the text layout gives it.
TextItem lineOf(const std::string& text, double pointSize, CGPoint origin, CGFloat baseline) {
    const ResolvedFont font{.pointSize = pointSize};
    TextItem line{.origin = origin, .lineHeight = 20};
    line.runs.push_back({.text = text, .font = font, .color = {0, 0, 0, 1}, .width = QtTextMeasurer().advance(text, font),
                         .baseline = baseline, .painted = PaintedRunSlot::make()});
    return line;
}

// A white image of `size` at `ratio` pixels per point and `dpi` (72, as renderDisplayList makes it),
// after `paint`.
QImage paintedImage(CGSize size, double ratio, const std::function<void(QPainter&)>& paint, int dpi = 72) {
    QImage image(static_cast<int>(size.width * ratio), static_cast<int>(size.height * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    painter.end();
    return image;
}

// Shaped once and drawn as glyphs, a run looks to the pixel as QPainter::drawText draws its text at the
// run's baseline point: tabs, ligatures, combining marks, right-to-left words in either order, emoji
// from the fallback font; at 1 and 2 pixels per point, on whole points, between pixels (at x 3.7 and
// -3.7, where truncating to 1/64 parts from rounding and from flooring), and with the baseline a hair
// above a half pixel, where a glyph's y that came back through other arithmetic could round to the next
// pixel row.
TEST_F(DisplayListPainterTest, RunsDrawAsQPainterDrawsTheirTextAtTheirBaselinePoint) {
    list.size = {220, 24};
    const std::vector<CGPoint> baselinePoints{
        {3, 17}, {3.7, 17.3}, {-3.7, 17}, {3.5, std::nextafter(3.5, 0.0)}, {3.5, std::nextafter(3.25, 0.0)}};
    for (const std::string text : {"a\tb  c", "office fi e\u0301", "hello \u0645\u0631\u062D\u0628\u0627 world",
                                   "\u05E9\u05DC\u05D5\u05DD 123 abc", "mood \U0001F600"}) {
        for (const CGPoint at : baselinePoints) {
            const TextItem line = lineOf(text, 14, {at.x, 0}, at.y);
            list.items = {line};
            for (const double ratio : {1.0, 2.0}) {
                const QImage drawn = paintedImage(list.size, ratio, [&](QPainter& painter) {
                    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
                    painter.setFont(qtFont(line.runs[0].font, *painter.device()).font);
                    painter.drawText(QPointF(at.x, at.y), QString::fromStdString(text));
                });
                for (const char* paint : {"shaped", "kept"}) {
                    EXPECT_TRUE(paintedImage(list.size, ratio, [&](QPainter& p) { paintDisplayList(list, p); }) == drawn)
                        << text << " at " << at.x << ", " << at.y << ", " << ratio << " pixels per point, " << paint;
                }
            }
        }
    }
}

// Text that takes every path of the painter (letter spacing, tabular digits, a size between whole
// pixels, small capitals, emoji from the fallback font, decorations), taller than its window.
struct Passage : ObservableObject {
    Published<std::string> last{*this, "The last line"};
};

struct PassageView : View<PassageView> {
    ObservedObject<Passage> passage;
    AnyView body() const {
        std::vector<AnyView> rows;
        for (int i = 0; i < 8; ++i) {
            const std::string n = std::to_string(i);
            rows.push_back(Text("Paragraph " + n + " wraps across the window, with an emoji 😀 and kerning: AV Ta").underline().font(Font::system(13.5)));
            rows.push_back(Text("Tracked " + n).tracking(2).strikethrough());
            rows.push_back(Text("Figures 1,234." + n).monospacedDigit());
            rows.push_back(Text("Small Capitals " + n).font(Font::body().smallCaps()));
        }
        rows.push_back(Text(passage->last.get()));
        return ScrollView(AnyView(VStack(HorizontalAlignment::leading(), 4, std::move(rows))));
    }
};

// What the painter draws of `list` from the glyphs its runs keep is what it draws shaping them afresh.
bool drawsAsShapedAfresh(const DisplayList& list) {
    DisplayList afresh = list;
    for (auto& item : afresh.items) {
        if (auto* text = std::get_if<TextItem>(&item)) {
            for (auto& run : text->runs) run.painted = PaintedRunSlot();
        }
    }
    return renderDisplayList(list, 2) == renderDisplayList(afresh, 2);
}

std::size_t runsWithKeptGlyphs(const DisplayList& list) {
    std::size_t kept = 0;
    for (const auto& item : list.items) {
        if (const auto* text = std::get_if<TextItem>(&item)) {
            for (const auto& run : text->runs) kept += run.painted.content() != nullptr;
        }
    }
    return kept;
}

TEST_F(DisplayListPainterTest, KeptGlyphsDrawWhatShapingAfreshDrawsAfterAScrollATextChangeAndANewWidth) {
    const auto passage = std::make_shared<Passage>();
    ViewHost host(AnyView(PassageView{{}, passage}), std::make_shared<QtTextMeasurer>());
    host.setSize({220, 150});
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "the first frame";
    host.handleWheel({{100, 75}, 0, -37, {}});
    EXPECT_GT(runsWithKeptGlyphs(host.displayList()), 5u) << "runs that moved keep their glyphs";
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a scroll";
    host.handleWheel({{100, 75}, 0, -10000, {}});
    (void)renderDisplayList(host.displayList(), 2);
    passage->last = "Another last line";
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a text change";
    host.setSize({160, 150});
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a new width";
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a new width, painted again";
}

struct Symbol : ObservableObject {
    Published<std::string> name{*this, "gear"};
    Published<double> size{*this, 16};
};

struct SymbolView : View<SymbolView> {
    ObservedObject<Symbol> symbol;
    AnyView body() const { return AnyView(Image::systemName(symbol->name.get()).font(Font::system(symbol->size.get()))); }
};

// An image keeps its symbol's glyph across frames; a new symbol or font is drawn, not the glyph kept.
TEST_F(DisplayListPainterTest, ASymbolDrawsItsNewGlyphWhenItsNameOrFontChanges) {
    const auto symbol = std::make_shared<Symbol>();
    ViewHost host(AnyView(SymbolView{{}, symbol}), std::make_shared<QtTextMeasurer>());
    host.setSize({60, 60});
    (void)renderDisplayList(host.displayList(), 2);
    ASSERT_EQ(runsWithKeptGlyphs(host.displayList()), 1u);
    symbol->name = "trash";
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a new symbol";
    symbol->size = 30;
    EXPECT_TRUE(drawsAsShapedAfresh(host.displayList())) << "a new size";
}

// The glyphs kept from painting a list on one device draw right on another: one list painted in turn
// at 72, 96 and 144 dpi and at 1 and 2 pixels per point, each time as drawText draws its text there.
TEST_F(DisplayListPainterTest, OneListDrawsRightOnDevicesOfEveryResolution) {
    list.size = {220, 24};
    const std::string text = "office Ta \u0645\u0631\u062D\u0628\u0627 \U0001F600";
    const TextItem line = lineOf(text, 14, {3, 0}, 17);
    list.items = {line};
    for (const auto& [dpi, ratio] : std::vector<std::pair<int, double>>{{72, 1}, {96, 2}, {144, 1}, {72, 2}, {96, 1}}) {
        const QImage drawn = paintedImage(list.size, ratio, [&](QPainter& painter) {
            painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
            painter.setFont(qtFont(line.runs[0].font, *painter.device()).font);
            painter.drawText(QPointF(3, 17), QString::fromStdString(text));
        }, dpi);
        EXPECT_TRUE(paintedImage(list.size, ratio, [&](QPainter& p) { paintDisplayList(list, p); }, dpi) == drawn)
            << dpi << " dpi, " << ratio << " pixels per point";
    }
}

// Painting only what can show paints what painting everything would.
TEST_F(DisplayListPainterTest, WhatCanShowIsPaintedWhereverItsItemLies) {
    const TextItem line = lineOf("Hxg", 16, {5, 22}, 15);
    add(PushClip{Path::rect({0, 0, 100, 30})});
    add(line); // cut by the clip's lower edge
    add(PopClip{});
    add(PushTransform{CGAffineTransform::translation(200, 0)}); // drawn from outside the window
    add(FillItem{Path::rect({-150, 40, 20, 10}), blue});
    add(PopTransform{});
    Path hairline; // a width of 0 and bounds of no height
    hairline.move({10, 55.5});
    hairline.addLine({90, 55.5});
    add(StrokeItem{hairline, red, StrokeStyle{.lineWidth = 0}});
    const PixelImage image = render();
    int ink = 0;
    for (int y = 22; y < 30; ++y) {
        for (int x = 5; x < 5 + static_cast<int>(line.runs[0].width); ++x) ink += pixelAt(image, x, y).r < 128;
    }
    EXPECT_GT(ink, 5) << "the part of the line above the clip's edge";
    EXPECT_TRUE(near(pixelAt(image, 60, 45), 0, 0, 255)) << "the moved fill";
    EXPECT_LT(pixelAt(image, 50, 55).g, 128) << "the hairline";
}

// An item's own colour, by which the recording device tells it among those drawn; white (the
// background) is none.
RGBA colorOf(int id) { return {(id % 256) / 255.0, (id / 256) / 255.0, 0, 1}; }
int idOf(const QColor& color) { return color.blue() == 0 ? color.red() + 256 * color.green() : 0; }

// A long list in a scroll view scrolled so that a few of its rows show, painted on a device that
// records what reaches it: every row that shows is drawn, and none that lies wholly outside the view;
// nor is a clip that leaves nothing visible (a chat bubble scrolled away) set.
TEST_F(DisplayListPainterTest, ItemsWhollyOutsideTheViewAreNotDrawnAndEveryVisibleOneIs) {
    constexpr int rows = 300;
    constexpr double rowHeight = 10;
    const CGRect view{0, 40, 100, 53.5}; // the scroll view's viewport in a taller window
    constexpr double scrolled = 1234.25;
    list.size = {100, 120};
    add(PushClip{Path::rect(view)});
    add(PushTransform{CGAffineTransform::translation(0, view.minY() - scrolled)});
    for (int row = 0; row < rows; ++row) {
        const double top = row * rowHeight;
        if (row % 2 == 0) {
            add(FillItem{Path::rect({10, top, 80, rowHeight}), colorOf(row + 1)});
            continue;
        }
        TextItem line = lineOf("Row", 8, {10, top}, 7);
        line.lineHeight = rowHeight;
        line.runs[0].color = colorOf(row + 1);
        add(line);
    }
    const auto addHairline = [&](double y, int id) { // no width, and bounds of no height
        Path hairline;
        hairline.move({10, y});
        hairline.addLine({90, y});
        add(StrokeItem{hairline, colorOf(id), StrokeStyle{.lineWidth = 0}});
    };
    addHairline(scrolled, 1000);                      // on the view's upper edge
    addHairline(scrolled + view.height() + 20, 1001); // well below the view
    add(PushClip{Path::rect({10, 0, 80, rowHeight})}); // a bubble far above the view
    add(FillItem{Path::rect({10, 0, 80, rowHeight}), colorOf(1002)});
    add(PopClip{});
    add(PopTransform{});
    add(PopClip{});

    testing::ColorRecordingDevice device(QSize(100, 120));
    {
        QPainter painter(&device);
        paintDisplayList(list, painter);
    }
    std::set<int> drawn;
    for (const QColor& color : device.drawnColors()) drawn.insert(idOf(color));
    drawn.erase(0);
    for (int row = 0; row < rows; ++row) {
        const double top = view.minY() - scrolled + row * rowHeight;
        const bool shows = top < view.maxY() && top + rowHeight > view.minY();
        const double distance = std::max(view.minY() - (top + rowHeight), top - view.maxY());
        if (row % 2 == 0) EXPECT_EQ(drawn.count(row + 1), shows ? 1u : 0u) << "fill of row " << row;
        else if (shows) EXPECT_EQ(drawn.count(row + 1), 1u) << "line of row " << row << " shows";
        else if (distance > 2 * rowHeight) EXPECT_EQ(drawn.count(row + 1), 0u) << "line of row " << row << ", far off";
    }
    EXPECT_EQ(drawn.count(1000), 1u) << "the hairline on the edge";
    EXPECT_EQ(drawn.count(1001), 0u) << "the hairline below";
    EXPECT_LE(drawn.size(), 12u) << "of " << rows + 2 << " items";
    EXPECT_EQ(device.clipsSet(), 1u) << "the view's";
}

TEST_F(DisplayListPainterTest, MaterialsBlurWhatLiesBelowAndAddTheirTint) {
    add(FillItem{Path::rect({0, 0, 50, 60}), red});
    add(FillItem{Path::rect({50, 0, 50, 60}), blue});
    add(BlurItem{Path::rect({0, 30, 100, 30}), {1, 1, 1, 0.2}});
    const PixelImage image = render();
    EXPECT_TRUE(near(pixelAt(image, 48, 10), 255, 0, 0)) << "above the material the edge stays sharp";
    EXPECT_TRUE(near(pixelAt(image, 52, 10), 0, 0, 255));
    const auto below = pixelAt(image, 48, 45);
    EXPECT_LT(below.r, 230) << "red mixed with the blue beside it";
    EXPECT_GT(below.b, 60);
    // Far from the edge, the colour below shows through the white tint.
    EXPECT_TRUE(near(pixelAt(image, 5, 55), 255, 51, 51, 255, 8));
}

TEST_F(DisplayListPainterTest, MaterialsOverNothingAreTheirTint) {
    list.background = {1, 1, 1, 1};
    add(BlurItem{Path::rect({0, 0, 100, 60}), {0, 0, 0, 0.5}});
    EXPECT_TRUE(near(pixelAt(render(2), 100, 60), 128, 128, 128, 255, 2));
}

TEST_F(DisplayListPainterTest, ShadowsFallBelowTheirContentMovedAndBlurred) {
    add(PushShadow{{0, 0, 0, 0.5}, 4, {0, 10}});
    add(FillItem{Path::rect({20, 10, 20, 20}), red});
    add(PopShadow{});
    const PixelImage image = render(2);
    EXPECT_TRUE(near(pixelAt(image, 60, 40), 255, 0, 0)) << "the content is drawn over its shadow";
    EXPECT_TRUE(near(pixelAt(image, 60, 70), 128, 128, 128, 255, 12)) << "inside the moved shadow, away from its edges";
    const auto edge = pixelAt(image, 60, 80);
    EXPECT_GT(edge.r, 150) << "the shadow's edge is soft";
    EXPECT_LT(edge.r, 245);
    EXPECT_TRUE(near(pixelAt(image, 60, 12), 255, 255, 255)) << "the shadow moved down, so none above";
    EXPECT_TRUE(near(pixelAt(image, 160, 60), 255, 255, 255));
}

TEST_F(DisplayListPainterTest, PngFilesRoundTripAndFailuresAreReported) {
    add(FillItem{Path::rect({10, 10, 20, 20}), RGBA{0.2, 0.4, 0.6, 0.5}});
    list.background = {0, 0, 0, 0};
    const PixelImage image = render();
    const testing::TemporaryDirectory directory;
    const std::string path = (directory.path() / "out.png").string();
    writePNG(image, path);
    const PixelImage read = readPNG(path);
    EXPECT_EQ(read.width, image.width);
    EXPECT_EQ(read.height, image.height);
    EXPECT_EQ(read.rgba, image.rgba);
    EXPECT_THROW(readPNG((directory.path() / "missing.png").string()), ImageFileError);
    EXPECT_THROW(writePNG(image, (directory.path() / "no" / "such" / "folder.png").string()), ImageFileError);
    EXPECT_THROW(writePNG(PixelImage{}, path), ImageFileError);
}

} // namespace
} // namespace glimmo
