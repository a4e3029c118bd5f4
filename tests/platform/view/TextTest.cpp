#include "ViewTestSupport.h"

#include "platform/view/Stacks.h"
#include "platform/view/Text.h"
#include "platform/view/TextLayout.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

using testing::TestHost;

std::vector<const TextItem*> lines(TestHost& t) {
    std::vector<const TextItem*> out;
    for (const auto& item : t.host().displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item)) out.push_back(text);
    }
    return out;
}

std::string lineText(const TextItem& line) {
    std::string s;
    for (const auto& r : line.runs) s += r.text;
    return s;
}

StyledSpan span(std::string text, double size = 10) {
    StyledSpan s;
    s.text = std::move(text);
    s.font.pointSize = size;
    return s;
}

const FixedAdvanceTextMeasurer measurer;

TEST(TextLayoutTest, WrapsAtSpacesAndBreaksLongWordsBetweenCharacters) {
    TextLayoutOptions o;
    o.width = 50; // ten characters at 10 points
    const auto laid = layoutText({span("one two three fourfivesixseven")}, o, measurer);
    ASSERT_EQ(laid.lines.size(), 4u);
    EXPECT_EQ(lineText(laid.lines[0].item), "one two") << "the space where a line wraps is dropped";
    EXPECT_EQ(lineText(laid.lines[1].item), "three");
    EXPECT_EQ(lineText(laid.lines[2].item), "fourfivesi");
    EXPECT_EQ(lineText(laid.lines[3].item), "xseven");
    EXPECT_EQ(laid.size, (CGSize{50, 40})) << "the widest line, spaces at line ends not counted";
    EXPECT_EQ(laid.firstBaseline, 8);
    EXPECT_EQ(laid.lastBaseline, 38);
}

TEST(TextLayoutTest, LinesBreakWhereUnicodeLineBreakingAllows) {
    TextLayoutOptions o;
    o.width = 25; // five characters
    auto texts = [&](const std::vector<StyledSpan>& spans) {
        std::vector<std::string> out;
        for (const auto& line : layoutText(spans, o, measurer).lines) out.push_back(lineText(line.item));
        return out;
    };
    using Lines = std::vector<std::string>;
    EXPECT_EQ(texts({span("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E" "text")}),
              (Lines{"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "text"}))
        << "between ideographs and a Latin word, which stays whole";
    o.width = 15; // three characters
    EXPECT_EQ(texts({span("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86\xE3\x80\x82\xE3\x81\x88")}),
              (Lines{"\xE3\x81\x82\xE3\x81\x84", "\xE3\x81\x86\xE3\x80\x82\xE3\x81\x88"}))
        << "a full stop does not start a line";
    o.width = 40;
    EXPECT_EQ(texts({span("either/or")}), (Lines{"either/", "or"}));
    EXPECT_EQ(texts({span("well-known")}), (Lines{"well-", "known"}));
    EXPECT_EQ(texts({span("Hello"), span("World")}), (Lines{"HelloWor", "ld"}))
        << "no break where spans meet inside a word: the word is broken between characters";
    o.width = std::nullopt;
    EXPECT_EQ(texts({span("one\xE2\x80\xA8two\r\nthree")}), (Lines{"one", "two", "three"}))
        << "line separators break like newlines";

    // An "e" with a combining acute accent is one character of two code points (10 points here).
    const std::string accented = "e\xCC\x81";
    o.width = 15;
    EXPECT_EQ(texts({span(accented + accented + accented)}), (Lines{accented, accented, accented}))
        << "a long word breaks between characters, not inside one";
    o.width = 30;
    o.lineLimit = 1;
    EXPECT_EQ(texts({span(accented + accented + accented + accented)}), (Lines{accented + accented + "\xE2\x80\xA6"}))
        << "truncation keeps characters whole";
}

TEST(TextLayoutTest, NewlinesAlwaysBreakAndEmptyLinesKeepTheirHeight) {
    const auto laid = layoutText({span("a\n\nb")}, {}, measurer);
    ASSERT_EQ(laid.lines.size(), 3u);
    EXPECT_EQ(laid.size.height, 30);
}

TEST(TextLayoutTest, LineLimitTruncatesTheLastLineInEachMode) {
    TextLayoutOptions o;
    o.width = 50;
    o.lineLimit = 1;
    auto laid = layoutText({span("abcdef ghijkl")}, o, measurer);
    ASSERT_EQ(laid.lines.size(), 1u);
    EXPECT_TRUE(laid.truncated);
    EXPECT_EQ(lineText(laid.lines[0].item), "abcdef\xE2\x80\xA6");
    o.truncation = TruncationMode::head;
    laid = layoutText({span("abcdefghijklmnop")}, o, measurer);
    EXPECT_EQ(lineText(laid.lines[0].item), "\xE2\x80\xA6" "hijklmnop") << "head truncation keeps the end of the text";
    laid = layoutText({span("one two three four")}, o, measurer);
    EXPECT_EQ(lineText(laid.lines[0].item), "\xE2\x80\xA6" "hree four") << "across the place where the text wrapped";
    laid = layoutText({span("first\nlast")}, o, measurer);
    EXPECT_EQ(lineText(laid.lines[0].item), "\xE2\x80\xA6" "irst last") << "a newline reads as a space";
    o.truncation = TruncationMode::middle;
    o.width = 30;
    o.lineLimit = std::nullopt;
    o.height = 10; // one line fits
    laid = layoutText({span("abcdefghij")}, o, measurer);
    EXPECT_EQ(lineText(laid.lines[0].item), "abc\xE2\x80\xA6" "ij") << "six characters fill the 30 points exactly";
}

TEST(TextLayoutTest, HeadAndMiddleTruncationCutTheLastShownLineFromTheRestOfTheText) {
    TextLayoutOptions o;
    o.width = 20; // four characters
    o.lineLimit = 2;
    o.truncation = TruncationMode::head;
    auto laid = layoutText({span("aaaa bbbb cccc dddd")}, o, measurer);
    ASSERT_EQ(laid.lines.size(), 2u);
    EXPECT_EQ(lineText(laid.lines[0].item), "aaaa");
    EXPECT_EQ(lineText(laid.lines[1].item), "\xE2\x80\xA6" "ddd");
    o.truncation = TruncationMode::middle;
    o.width = 35; // seven characters
    laid = layoutText({span("aaaa bbbb cccc dddd")}, o, measurer);
    ASSERT_EQ(laid.lines.size(), 2u);
    EXPECT_EQ(lineText(laid.lines[0].item), "aaaa");
    EXPECT_EQ(lineText(laid.lines[1].item), "bbb\xE2\x80\xA6" "ddd");
    o.truncation = TruncationMode::tail;
    laid = layoutText({span("aaaa bbbb cccc dddd")}, o, measurer);
    EXPECT_EQ(lineText(laid.lines[1].item), "bbbb\xE2\x80\xA6");
}

TEST(TextLayoutTest, AlignmentSpacingAndTrackingPlaceRuns) {
    TextLayoutOptions o;
    o.width = 30;
    o.alignment = TextAlignment::center;
    o.lineSpacing = 4;
    StyledSpan s = span("aaaa bb");
    const auto laid = layoutText({s}, o, measurer);
    ASSERT_EQ(laid.lines.size(), 2u);
    EXPECT_EQ(laid.lines[1].item.runs[0].x, 5) << "bb is centred under aaaa";
    EXPECT_EQ(laid.lines[1].item.origin.y, 14);
    StyledSpan tracked = span("abc");
    tracked.tracking = 2;
    EXPECT_EQ(layoutText({tracked}, {}, measurer).size.width, 21);
}

TEST(TextLayoutTest, ExtentsAreWhatTheLaidOutLinesMeasureForEveryProposal) {
    StyledSpan large = span(" Large words and a longwordthatnowidthholds\n", 16);
    large.baselineOffset = 3;
    StyledSpan picture = span("\uFFFC");
    picture.image = std::make_shared<PixelImage>();
    picture.imageSize = {12, 30};
    const std::vector<StyledSpan> spans{span("Small text that wraps, "), large, picture, span("\nlast line  ")};
    using Length = std::optional<CGFloat>;
    for (const Length width : {Length(), Length(0), Length(3), Length(27), Length(90), Length(1000)}) {
        const auto lines = breakText(*measureText(spans, measurer), spans, width, measurer);
        for (const Length height : {Length(), Length(0), Length(35)}) {
            for (const std::optional<int> lineLimit : {std::optional<int>(), std::optional<int>(1), std::optional<int>(3)}) {
                for (const TruncationMode truncation : {TruncationMode::tail, TruncationMode::head, TruncationMode::middle}) {
                    const TextLayoutOptions o{width, height, lineLimit, truncation, TextAlignment::center, 2};
                    const LaidOutText laid = layoutText(*lines, spans, o, measurer);
                    EXPECT_EQ(measureLayout(*lines, spans, o, measurer),
                              (TextExtent{laid.size, laid.firstBaseline, laid.lastBaseline, laid.truncated}))
                        << "width " << width.value_or(-1) << ", height " << height.value_or(-1) << ", limit " << lineLimit.value_or(-1);
                }
            }
        }
    }
}

TEST(TextLayoutTest, RunsShareWhatAPainterKeptOfThemUntilTheirLastCopyGoes) {
    struct Kept final : PaintedRunSlot::Content {
        explicit Kept(bool& dropped) : dropped(dropped) {}
        ~Kept() override { dropped = true; }
        bool& dropped;
    };
    bool dropped = false;
    auto laid = std::make_optional(layoutText({span("painted once")}, {}, measurer));
    TextItem drawn = laid->lines[0].item; // as a window's display list copies it
    drawn.runs[0].painted.keep(std::make_unique<Kept>(dropped));
    EXPECT_NE(laid->lines[0].item.runs[0].painted.content(), nullptr) << "the laid-out line shares it";
    const LaidOutText again = layoutText({span("painted once")}, {}, measurer);
    EXPECT_EQ(again.lines[0].item.runs[0].painted.content(), nullptr) << "a new layout starts empty";
    EXPECT_EQ(*laid, again) << "what a painter kept is not compared";
    laid.reset();
    EXPECT_FALSE(dropped);
    drawn = {};
    EXPECT_TRUE(dropped);
}

TEST(TextTest, ConcatenatedTextsKeepTheirOwnAttributesAndTakeTheOuterOnes) {
    const Text t = (Text("Bold").bold().foregroundColor(Color::red()) + Text(" plain")).foregroundColor(Color::blue()).font(Font::title2());
    const auto& runs = t.attributedString().runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(*runs[0].attributes.get<ForegroundColorAttribute>(), Color::red());
    EXPECT_EQ(*runs[1].attributes.get<ForegroundColorAttribute>(), Color::blue());
    EXPECT_EQ(runs[0].attributes.get<TextWeightAttribute>()->value, 700);
    EXPECT_EQ(runs[1].attributes.get<FontAttribute>()->size(), 17);
}

TEST(TextTest, RunsResolveFontsAndColoursFromTheEnvironment) {
    AttributedString s("Link here");
    s.set<LinkAttribute>(URL::parse("https://example.com"), s.range("Link"));
    s.set<UnderlineStyleAttribute>(LineStyle::single(), s.range("here"));
    TestHost t(VStack({
        Text(s),
        Text("caption").foregroundColor(Color::green()),
    }).font(Font::caption()).foregroundColor(Color::orange()).colorScheme(ColorScheme::dark));
    const auto l = lines(t);
    ASSERT_EQ(l.size(), 2u);
    ASSERT_EQ(l[0]->runs.size(), 3u) << "link, space, underlined word";
    EXPECT_EQ(l[0]->runs[0].color, Color::accentColor().resolve(ColorScheme::dark)) << "links take the accent colour";
    EXPECT_EQ(l[0]->runs[2].color, Color::orange().resolve(ColorScheme::dark));
    EXPECT_EQ(l[0]->runs[2].underlineColor, Color::orange().resolve(ColorScheme::dark));
    EXPECT_FALSE(l[0]->runs[1].underlineColor.has_value());
    EXPECT_EQ(l[0]->runs[0].font.pointSize, 10);
    EXPECT_EQ(l[1]->runs[0].color, Color::green().resolve(ColorScheme::dark));
}

TEST(TextTest, LineLimitAndMinimumScaleFactorFromTheEnvironment) {
    TestHost limited(Text("aaaa bbbb cccc").frame(40, 100).lineLimit(2), {200, 200});
    auto l = lines(limited);
    ASSERT_EQ(l.size(), 2u);
    EXPECT_EQ(lineText(*l[1]), "bbbb\xE2\x80\xA6");
    // At 13 points "abcdefgh" needs 52; scaled to 0.75 it fits in 40.
    TestHost scaled(Text("abcdefgh").lineLimit(1).minimumScaleFactor(0.5).frame(40, 30), {200, 200});
    l = lines(scaled);
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(lineText(*l[0]), "abcdefgh");
    EXPECT_LE(l[0]->runs[0].font.pointSize * 0.5 * 8, 40);
}

TEST(TextTest, InlineSymbolsAndImagesTakeTheirPlaceInTheLine) {
    auto pixels = std::make_shared<PixelImage>();
    pixels->width = 20;
    pixels->height = 10;
    pixels->scale = 2;
    pixels->rgba.assign(20 * 10 * 4, 255);
    TestHost t(Text("a") + Text(Image::systemName("gear")) + Text(Image(SharedPixels(pixels))) + Text("b"));
    const auto l = lines(t);
    ASSERT_EQ(l.size(), 1u);
    ASSERT_EQ(l[0]->runs.size(), 4u);
    EXPECT_EQ(l[0]->runs[1].font.family, "Material Design Icons");
    EXPECT_EQ(l[0]->runs[2].image, pixels);
    EXPECT_EQ(l[0]->runs[2].imageSize, (CGSize{10, 5}));
    EXPECT_EQ(l[0]->runs[3].x, 6.5 + 6.5 + 10);
}

TEST(TextTest, TappingALinkOpensItThroughTheEnvironment) {
    AttributedString s("go there");
    s.set<LinkAttribute>(URL::parse("https://example.com/x"), s.range("there"));
    std::vector<std::string> opened;
    TestHost t(Text(s).accessibilityLabel("t").environment<OpenURLKey>(OpenURLAction([&](const URL& u) { opened.push_back(u.absoluteString()); })));
    const CGRect f = t.frame("t");
    t.clickAt({f.minX() + 2, f.midY()});
    EXPECT_TRUE(opened.empty()) << "plain text is not a link";
    t.clickAt({f.maxX() - 2, f.midY()});
    EXPECT_EQ(opened, (std::vector<std::string>{"https://example.com/x"}));
}

TEST(TextTest, RedactedTextDrawsPlaceholderBars) {
    TestHost t(Text("secret words").redacted(RedactionReason::placeholder));
    EXPECT_TRUE(lines(t).empty());
    bool bar = false;
    for (const auto& item : t.host().displayList().items) bar = bar || std::holds_alternative<FillItem>(item);
    EXPECT_TRUE(bar);
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

TEST(TextSelectionTest, DraggingSelectsAndCopyWritesThePasteboard) {
    std::vector<std::string> copied;
    auto writer = std::make_shared<const std::function<void(const std::string&)>>([&](const std::string& s) { copied.push_back(s); });
    TestHost t(Text("hello world\nsecond").textSelection(true).accessibilityLabel("t").environment<PasteboardWriterKey>(writer));
    const CGRect f = t.frame("t");
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {f.minX() + 1, f.minY() + 5}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::moved, {f.minX() + 6.5 * 9 + 1, f.minY() + 5}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {f.minX() + 6.5 * 9 + 1, f.minY() + 5}));
    t.host().update();
    EXPECT_EQ(t.host().cursor(), CursorShape::iBeam) << "selectable text under the pointer";
    bool highlighted = false;
    for (const auto& item : t.host().displayList().items) {
        if (const auto* fill = std::get_if<FillItem>(&item)) highlighted = fill->path.boundingRect().width() == 6.5 * 9;
    }
    EXPECT_TRUE(highlighted);
    KeyEvent copy;
    copy.key = "C";
    copy.modifiers = EventModifiers::control();
    EXPECT_TRUE(t.host().handleKey(copy));
    KeyEvent all;
    all.key = "A";
    all.modifiers = EventModifiers::control();
    t.host().handleKey(all);
    t.host().handleKey(copy);
    EXPECT_EQ(copied, (std::vector<std::string>{"hello wor", "hello world\nsecond"}));
}

TEST(TextSelectionTest, PlainTextIsNotSelectable) {
    TestHost t(Text("hello").accessibilityLabel("t"));
    const CGRect f = t.frame("t");
    EXPECT_FALSE(t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {f.midX(), f.midY()})));
}

} // namespace
} // namespace glimmo
