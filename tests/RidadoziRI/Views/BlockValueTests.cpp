#include "RidadoziRI/Views/BlockMargin.h"
#include "RidadoziRI/Views/ColumnWidthPreference.h"
#include "RidadoziRI/Views/HeadingId.h"
#include "RidadoziRI/Views/ImageFlowItem.h"
#include "RidadoziRI/Views/Indexed.h"
#include "RidadoziRI/Views/RawImageData.h"
#include "RidadoziRI/Views/RomanNumerals.h"
#include "RidadoziRI/Views/TrailingLineFeed.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace ridadozi {
namespace {

using N = InlineNode;

TEST(RomanNumeralsTest, WritesOneToThreeThousandNineHundredNinetyNineAndDecimalsOutside) {
    EXPECT_EQ(romanNumerals(1994), "MCMXCIV");
    EXPECT_EQ(romanNumerals(3999), "MMMCMXCIX");
    EXPECT_EQ(romanNumerals(4), "IV");
    EXPECT_EQ(romanNumerals(1), "I");
    EXPECT_EQ(romanNumerals(0), "0");
    EXPECT_EQ(romanNumerals(-3), "-3");
    EXPECT_EQ(romanNumerals(4000), "4000");
}

TEST(HeadingIdTest, KebabCasesThePlainTextKeepingEmptyPieces) {
    EXPECT_EQ(headingId({N::text("Getting Started")}), "getting-started");
    EXPECT_EQ(headingId({N::text("Hello, World!")}), "hello--world-");
    EXPECT_EQ(headingId({N::code("main()"), N::text(" function")}), "main---function");
    EXPECT_EQ(headingId({N::image("logo.png", {N::text("Logo")})}), "logo");
    EXPECT_EQ(headingId({N::image("logo.png", {})}), "");
    EXPECT_EQ(headingId({N::text("Café Menu")}), "café-menu");
    EXPECT_EQ(kebabCased("ÉTÉ 2024"), "été-2024");
}

TEST(RawImageDataTest, PlainTextJoinsStringsAndBreaks) {
    EXPECT_EQ(plainText({N::text("a "), N::emphasis({N::text("big")}), N::softBreak(), N::code("x()"),
                         N::lineBreak(), N::html("<b>")}),
              "a big x()\n<b>");
}

TEST(RawImageDataTest, FindsImagesAndSingleChildLinksAtTopLevelOnly) {
    const auto image = N::image("a.png", {N::text("A")});
    EXPECT_EQ(imageData(image), (RawImageData{"a.png", "A", std::nullopt}));
    EXPECT_EQ(imageData(N::link("https://x", {image})), (RawImageData{"a.png", "A", "https://x"}));
    EXPECT_EQ(imageData(N::link("outer", {N::link("inner", {image})})), (RawImageData{"a.png", "A", "outer"}));
    EXPECT_FALSE(imageData(N::link("x", {image, N::text("t")})));
    EXPECT_FALSE(imageData(N::link("x", {})));
    EXPECT_FALSE(imageData(N::emphasis({image})));
    EXPECT_EQ(imageData({N::text("w"), image, N::emphasis({image})}).size(), 1U);
}

TEST(RawImageDataTest, EqualityAndHashCoverTheDestination) {
    const RawImageData a{"s", "alt", std::nullopt};
    const RawImageData b{"s", "alt", std::string()};
    EXPECT_NE(a, b);
    std::unordered_set<RawImageData> set{a, b, a};
    EXPECT_EQ(set.size(), 2U);
}

TEST(ImageFlowItemTest, AcceptsImagesLinksAndBreaksOnly) {
    const auto image = N::image("a.png", {N::text("A")});
    auto flow = imageFlowItems({image, N::softBreak(), image});
    ASSERT_TRUE(flow);
    EXPECT_EQ(flow->size(), 2U);

    flow = imageFlowItems({image, N::lineBreak(), N::link("d", {image})});
    ASSERT_TRUE(flow);
    ASSERT_EQ(flow->size(), 3U);
    EXPECT_EQ((*flow)[1].index, 1);
    EXPECT_TRUE(std::holds_alternative<ImageFlowLineBreak>((*flow)[1].value));
    EXPECT_EQ(std::get<RawImageData>((*flow)[2].value).destination, "d");

    EXPECT_FALSE(imageFlowItems({image, N::text(" "), image}));
    EXPECT_FALSE(imageFlowItems({N::emphasis({image})}));
    EXPECT_FALSE(imageFlowItems({N::link("d", {image, N::text("x")})}));
    EXPECT_FALSE(imageFlowItems({N::code("c")}));

    flow = imageFlowItems({N::text(""), N::softBreak()});
    ASSERT_TRUE(flow);
    EXPECT_TRUE(flow->empty());
    EXPECT_TRUE(imageFlowItems({})->empty());
}

TEST(ImageFlowItemTest, EqualImagesAtDifferentPositionsAreDifferentEntries) {
    const auto flow = *imageFlowItems({N::image("a", {}), N::image("a", {})});
    EXPECT_EQ(flow[0].value, flow[1].value);
    EXPECT_FALSE(flow[0] == flow[1]);
    EXPECT_NE(std::hash<Indexed<ImageFlowItem>>{}(flow[0]), std::hash<Indexed<ImageFlowItem>>{}(flow[1]));
}

TEST(TrailingLineFeedTest, RemovesExactlyOneFinalLineFeed) {
    EXPECT_EQ(removingTrailingLineFeed("code\n"), "code");
    EXPECT_EQ(removingTrailingLineFeed("code\n\n"), "code\n");
    EXPECT_EQ(removingTrailingLineFeed("code"), "code");
    EXPECT_EQ(removingTrailingLineFeed("code\r\n"), "code\r\n");
    EXPECT_EQ(removingTrailingLineFeed(""), "");
}

TEST(BlockMarginTest, MergeKeepsTheLargestPresentSide) {
    BlockMargin m{12.0, std::nullopt};
    m.merge(10.0, std::nullopt);
    EXPECT_EQ(m.top, 12.0);
    EXPECT_EQ(m.bottom, std::nullopt);
    m.merge(std::nullopt, 4.0);
    EXPECT_EQ(m.bottom, 4.0);
    m.merge(20.0, -3.0);
    EXPECT_EQ(m, (BlockMargin{20.0, 4.0}));
    EXPECT_NE((BlockMargin{std::nullopt, 0.0}), (BlockMargin{0.0, 0.0}));
}

TEST(BlockMarginTest, PreferenceReducesSideBySide) {
    BlockMargin v{8.0, std::nullopt};
    BlockMarginsPreference::reduce(v, [] { return BlockMargin{std::nullopt, 16.0}; });
    EXPECT_EQ(v, (BlockMargin{8.0, 16.0}));
}

TEST(ColumnWidthPreferenceTest, KeepsEveryColumnAndTheWidestWidth) {
    ColumnWidthPreference::Value v{{0, 10}, {1, 5}};
    ColumnWidthPreference::reduce(v, [] { return ColumnWidthPreference::Value{{0, 7}, {2, 3}}; });
    EXPECT_EQ(v, (ColumnWidthPreference::Value{{0, 10}, {1, 5}, {2, 3}}));
    ColumnWidthPreference::reduce(v, [] { return ColumnWidthPreference::Value{{0, 12}}; });
    EXPECT_EQ(v.at(0), 12);
}

} // namespace
} // namespace ridadozi
