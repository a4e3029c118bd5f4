#include "Settings/Container.h"
#include "Settings/Pane.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/ViewHost.h"

#include <gtest/gtest.h>

using namespace settings;
using namespace glimmo;

namespace {

// The frames of the fills of one colour in the host's display list, in painting order.
std::vector<CGRect> fillsOf(ViewHost& host, RGBA colour) {
    std::vector<CGRect> frames;
    for (const auto& item : host.displayList().items) {
        if (const auto* fill = std::get_if<FillItem>(&item); fill && std::holds_alternative<RGBA>(fill->paint) &&
                                                              std::get<RGBA>(fill->paint) == colour) {
            frames.push_back(fill->path.boundingRect());
        }
    }
    return frames;
}

Settings::Section block(RGBA colour, CGFloat width, bool divider) {
    return Settings::Section(divider, VerticalAlignment::center(), [=] { return AnyView(Color(colour)).frame(width, 10); },
                             [] { return AnyView(Color(RGBA{0, 0, 1, 1})).frame(50, 10); });
}

void settle(ViewHost& host) {
    for (int i = 0; i < 10 && host.update(); ++i) {}
}

const RGBA red{1, 0, 0, 1}, green{0, 1, 0, 1};

} // namespace

TEST(SettingsContainerTest, LabelsEndOnOneLineAndTheWidestStartsAtTheFrame) {
    ViewHost host(AnyView(Settings::Container(300, 0, {block(red, 40, true), block(green, 80, true)})),
                  std::make_shared<FixedAdvanceTextMeasurer>());
    host.setSize(host.idealSize());
    settle(host);
    EXPECT_EQ(host.idealSize().width, 360);
    const auto reds = fillsOf(host, red), greens = fillsOf(host, green);
    ASSERT_EQ(reds.size(), 1u);
    ASSERT_EQ(greens.size(), 1u);
    EXPECT_EQ(greens[0].origin.x, 30);
    EXPECT_EQ(reds[0].origin.x + reds[0].size.width, greens[0].origin.x + greens[0].size.width);
    EXPECT_EQ(reds[0].size.width, 40); // labels are never resized
}

TEST(SettingsContainerTest, AWideMinimumLabelWidthMovesDividersLeftOfEveryLabelButNeverAfterTheLastSection) {
    ViewHost host(AnyView(Settings::Container(300, 200, {block(red, 40, true), block(green, 80, true)})),
                  std::make_shared<FixedAdvanceTextMeasurer>());
    host.setSize(host.idealSize());
    settle(host);
    const auto reds = fillsOf(host, red), greens = fillsOf(host, green);
    ASSERT_EQ(reds.size(), 1u);
    // The divider is the leftmost child: the label line lies 200 points right of the frame's edge.
    EXPECT_EQ(greens[0].origin.x + greens[0].size.width, 30 + 200);
    EXPECT_EQ(reds[0].origin.x + reds[0].size.width, 30 + 200);
    // One divider only (between the sections), 20 points of height between the rows.
    EXPECT_EQ(greens[0].origin.y - (reds[0].origin.y + reds[0].size.height), 20 + 2 * 8);
}

TEST(SettingsContainerTest, AnEmptyBuilderIsStillFramedAndPadded) {
    ViewHost host(AnyView(Settings::Container(300, 0, std::vector<Settings::Section>{})),
                  std::make_shared<FixedAdvanceTextMeasurer>());
    EXPECT_EQ(host.idealSize(), (CGSize{360, 40}));
}

namespace {

std::vector<TextRunItem> runsOf(ViewHost& host) {
    std::vector<TextRunItem> runs;
    for (const auto& item : host.displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item)) runs.insert(runs.end(), text->runs.begin(), text->runs.end());
    }
    return runs;
}

} // namespace

TEST(SettingsTextStylesTest, SectionTitlesAre13PointRegularAndDescriptionsAre11PointSecondary) {
    ViewHost host(AnyView(VStack({
                      AnyView(Settings::Section("Title:", false, VerticalAlignment::center(), [] { return AnyView(Color::clear()).frame(1, 1); })),
                      descriptionTextStyle(AnyView(Text("Note").font(std::nullopt))),
                  })),
                  std::make_shared<FixedAdvanceTextMeasurer>());
    host.setSize({300, 200});
    const auto runs = runsOf(host);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].text, "Title:");
    EXPECT_EQ(runs[0].font.pointSize, 13);
    EXPECT_EQ(runs[0].font.weight, 400);
    EXPECT_EQ(runs[1].text, "Note");
    EXPECT_EQ(runs[1].font.pointSize, 11);
    EXPECT_EQ(runs[1].font.weight, 400);
    EXPECT_EQ(runs[1].color, Color::secondary().resolve(ColorScheme::light));
    EXPECT_NE(runs[1].color, runs[0].color);
}
