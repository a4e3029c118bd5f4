#include "ViewTestHelpers.h"

#include "RidadoziRI/Styles/ColorSchemeImageFilter.h"
#include "RidadoziRI/Views/BlockNodeView.h"
#include "RidadoziRI/Views/CodeBlockView.h"
#include "RidadoziRI/Views/ListViews.h"

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::CGFloat;
using glimmo::testing::TestHost;
using testing::BoxImageProvider;
using testing::itemLabel;
using testing::labelledMarkers;

// The document at the window's top-leading corner, so that documents of different widths compare.
AnyView topLeading(AnyView doc) {
    return doc.frame({.maxWidth = glimmo::infinity, .maxHeight = glimmo::infinity, .alignment = glimmo::Alignment::topLeading()});
}

template <class T>
using Log = std::shared_ptr<std::vector<T>>;
template <class T>
Log<T> makeLog() { return std::make_shared<std::vector<T>>(); }

TEST(ListViewTest, MarkersGetNumbersAndLevels) {
    auto seen = makeLog<std::pair<int, int>>();
    AnyView doc = Markdown("- a\n- b\n  - inner\n- c\n\n7. seven\n8. eight\n\ntext\n\n0. zero\n1. one");
    doc = markdownBulletedListMarker(doc, BlockStyle<ListMarkerConfiguration>([seen](const ListMarkerConfiguration& c) {
        seen->push_back({c.listLevel, c.itemNumber});
        return glimmo::Text("•");
    }));
    doc = markdownNumberedListMarker(doc, BlockStyle<ListMarkerConfiguration>([seen](const ListMarkerConfiguration& c) {
        seen->push_back({c.listLevel, 100 + c.itemNumber});
        return glimmo::Text("#");
    }));
    TestHost t(doc);
    for (const auto& expected : std::vector<std::pair<int, int>>{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {1, 107}, {1, 108}, {1, 100}, {1, 101}}) {
        EXPECT_NE(std::find(seen->begin(), seen->end(), expected), seen->end()) << expected.first << " " << expected.second << " " << [&] {
            std::string all;
            for (const auto& [l, n] : *seen) all += std::to_string(l) + "/" + std::to_string(n) + " ";
            return all;
        }();
    }
    EXPECT_EQ(std::find(seen->begin(), seen->end(), std::pair<int, int>{2, 2}), seen->end());
}

TEST(ListViewTest, NumberedMarkersShareTheWidestWidthAlignedTrailing) {
    TestHost t(labelledMarkers(Markdown("8. eight\n9. nine\n10. ten\n11. eleven")));
    const auto eight = t.frame(itemLabel("number", 1, 8));
    const auto eleven = t.frame(itemLabel("number", 1, 11));
    EXPECT_LT(eight.width(), eleven.width());
    EXPECT_EQ(eight.maxX(), eleven.maxX());
    EXPECT_EQ(t.frame(itemLabel("number", 1, 9)).maxX(), t.frame(itemLabel("number", 1, 10)).maxX());
}

TEST(ListViewTest, NestedWiderMarkerWidensTheEnclosingColumnButTaskMarkersDoNot) {
    // The bullet of the nested list is wider than "1." once drawn as a long text.
    AnyView doc = Markdown("1. one\n2. two\n   - inner\n3. three");
    doc = markdownNumberedListMarker(doc, BlockStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& c) {
        return glimmo::Text(std::to_string(c.itemNumber) + ".").accessibilityLabel(itemLabel("number", c.listLevel, c.itemNumber));
    }));
    doc = markdownBulletedListMarker(doc, BlockStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& c) {
        return glimmo::Text("-------").accessibilityLabel(itemLabel("bullet", c.listLevel, c.itemNumber));
    }));
    TestHost t(topLeading(doc));
    TestHost flat(topLeading(labelledMarkers(Markdown("1. one\n2. two\n3. three"))));
    const auto bullet = t.frame(itemLabel("bullet", 2, 1)).width();
    const auto number = flat.frame(itemLabel("number", 1, 1)).width();
    EXPECT_EQ(t.frame(itemLabel("number", 1, 1)).maxX() - flat.frame(itemLabel("number", 1, 1)).maxX(), bullet - number);

    AnyView tasks = Markdown("1. one\n2. two\n   - [ ] a long task marker");
    tasks = markdownNumberedListMarker(tasks, BlockStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& c) {
        return glimmo::Text(std::to_string(c.itemNumber) + ".").accessibilityLabel(itemLabel("number", c.listLevel, c.itemNumber));
    }));
    tasks = markdownTaskListMarker(tasks, BlockStyle<TaskListMarkerConfiguration>([](const TaskListMarkerConfiguration&) {
        return glimmo::Text("-------").accessibilityLabel("task");
    }));
    TestHost withTasks(topLeading(tasks));
    EXPECT_GT(withTasks.frame("task").width(), number);
    EXPECT_EQ(withTasks.frame(itemLabel("number", 1, 1)).maxX(), flat.frame(itemLabel("number", 1, 1)).maxX());
}

TEST(ListViewTest, TaskListsPassTheBoxStateAndRaiseTheLevel) {
    auto levels = makeLog<int>();
    AnyView doc = markdownBulletedListMarker(Markdown("- top\n  - [x] done\n  - [ ] open\n    - deep"),
                                             BlockStyle<ListMarkerConfiguration>([levels](const ListMarkerConfiguration& c) {
                                                 levels->push_back(c.listLevel);
                                                 return glimmo::Text("•");
                                             }));
    TestHost t(labelledMarkers(doc));
    EXPECT_TRUE(t.has("done"));
    EXPECT_TRUE(t.has("open"));
    EXPECT_NE(std::find(levels->begin(), levels->end(), 3), levels->end());
    EXPECT_LT(t.frame("done").minY(), t.frame("open").minY());
}

TEST(ListViewTest, ListStyleReceivesTheListItselfEvenWhenEmpty) {
    auto blocks = makeLog<BlockNode>();
    AnyView view = BlockNodeView{BlockNode::numberedList(false, 7, {})};
    view = markdownBlockStyle(view, &Theme::list, [blocks](const BlockConfiguration& c) {
        blocks->insert(blocks->end(), c.content.blocks.begin(), c.content.blocks.end());
        return AnyView(c.label);
    });
    TestHost t(view);
    ASSERT_FALSE(blocks->empty());
    EXPECT_EQ(blocks->back(), BlockNode::numberedList(false, 7, {}));
}

struct RecordingHighlighter final : CodeSyntaxHighlighter {
    Log<std::pair<std::string, std::optional<std::string>>> calls = makeLog<std::pair<std::string, std::optional<std::string>>>();
    glimmo::Text highlightedText(const std::string& code, const std::optional<std::string>& language) const override {
        calls->push_back({code, language});
        return glimmo::Text(code);
    }
};

TEST(CodeBlockViewTest, HighlighterAndStyleGetTheCodeWithoutItsLastLineFeed) {
    auto highlighter = std::make_shared<RecordingHighlighter>();
    auto configurations = makeLog<std::pair<std::string, std::optional<std::string>>>();
    AnyView doc = Markdown("```swift main\nlet x = 1\n```\n\n    indented\n");
    doc = markdownBlockStyle(doc, &Theme::codeBlock, [configurations](const CodeBlockConfiguration& c) {
        configurations->push_back({c.content, c.language});
        return AnyView(c.label);
    });
    doc = markdownCodeSyntaxHighlighter(doc, highlighter);
    TestHost t(doc);
    ASSERT_FALSE(highlighter->calls->empty());
    EXPECT_NE(std::find(highlighter->calls->begin(), highlighter->calls->end(),
                        std::pair<std::string, std::optional<std::string>>{"let x = 1", "swift main"}),
              highlighter->calls->end());
    EXPECT_NE(std::find(configurations->begin(), configurations->end(),
                        std::pair<std::string, std::optional<std::string>>{"let x = 1", "swift main"}),
              configurations->end());
    EXPECT_TRUE(std::any_of(configurations->begin(), configurations->end(), [](const auto& c) { return c.first == "indented"; }));

    EXPECT_EQ(CodeBlockView(std::nullopt, "a\n\n").content, "a\n");
    EXPECT_EQ(CodeBlockView(std::nullopt, "a").content, "a");
}

TEST(ParagraphViewTest, HtmlBlockIsAPlainParagraphOfItsSource) {
    auto paragraphs = makeLog<BlockNode>();
    AnyView doc = Markdown("<div>\n");
    doc = markdownBlockStyle(doc, &Theme::paragraph, [paragraphs](const BlockConfiguration& c) {
        paragraphs->insert(paragraphs->end(), c.content.blocks.begin(), c.content.blocks.end());
        return AnyView(c.label);
    });
    TestHost t(doc);
    ASSERT_FALSE(paragraphs->empty());
    EXPECT_EQ(paragraphs->back(), BlockNode::paragraph({InlineNode::text("<div>")}));
}

TEST(ParagraphViewTest, OneImageIsABlockImageResolvedAgainstTheImageBase) {
    BoxImageProvider provider;
    auto images = makeLog<BlockNode>();
    AnyView doc = Markdown("[![Logo](logo.png)](about.html)", glimmo::URL::parse("https://site.example/docs/"),
                           glimmo::URL::parse("https://img.example/"));
    doc = markdownBlockStyle(doc, &Theme::image, [images](const BlockConfiguration& c) {
        images->insert(images->end(), c.content.blocks.begin(), c.content.blocks.end());
        return AnyView(c.label);
    });
    auto opened = makeLog<std::string>();
    doc = doc.environment<glimmo::OpenURLKey>(glimmo::OpenURLAction([opened](const glimmo::URL& u) { opened->push_back(u.absoluteString()); }));
    TestHost t(markdownImageProvider(doc, provider));
    ASSERT_FALSE(provider.asked->empty());
    EXPECT_EQ(provider.asked->back(), glimmo::URL::parse("https://img.example/logo.png"));
    ASSERT_TRUE(t.has("Logo"));
    ASSERT_FALSE(images->empty());
    EXPECT_EQ(images->back(), BlockNode::paragraph({InlineNode::link(
                                  "about.html", {InlineNode::image("logo.png", {InlineNode::text("Logo")})})}));
    t.click("Logo");
    EXPECT_EQ(*opened, std::vector<std::string>{"https://site.example/docs/about.html"});
}

TEST(ParagraphViewTest, ImagesAndBreaksFlowWithAQuarterOfTheFontSizeBetween) {
    BoxImageProvider provider;
    TestHost t(markdownImageProvider(Markdown("![a](https://x.example/a.png)\n![b](https://x.example/b.png)\\\n![c](https://x.example/c.png)"),
                                     provider));
    const auto a = t.frame("image https://x.example/a.png");
    const auto b = t.frame("image https://x.example/b.png");
    const auto c = t.frame("image https://x.example/c.png");
    EXPECT_EQ(b.minX() - a.maxX(), 3);
    EXPECT_EQ(b.minY(), a.minY());
    EXPECT_EQ(c.minX(), a.minX());
    EXPECT_GT(c.minY(), a.maxY() + 3);
}

TEST(ParagraphViewTest, ImageAmongWordsIsInlineTextAndAskesNoBlockProvider) {
    BoxImageProvider provider;
    TestHost t(markdownImageProvider(Markdown("see ![a](https://x.example/a.png) here"), provider));
    EXPECT_TRUE(provider.asked->empty());
}

TEST(HeadingViewTest, LevelPicksTheStyleAndTheStyleSeesTheHeading) {
    auto seen = makeLog<BlockNode>();
    AnyView doc = Markdown("### Getting *Started*");
    for (int level = 0; level < 6; ++level) {
        doc = doc.transformEnvironment<ThemeKey>([seen, level](Theme& theme) {
            theme.headings[static_cast<std::size_t>(level)] = BlockStyle<BlockConfiguration>([seen, level](const BlockConfiguration& c) {
                if (level == 2) seen->insert(seen->end(), c.content.blocks.begin(), c.content.blocks.end());
                return AnyView(c.label).accessibilityLabel("h" + std::to_string(level + 1));
            });
        });
    }
    TestHost t(doc);
    EXPECT_TRUE(t.has("h3"));
    ASSERT_FALSE(seen->empty());
    EXPECT_EQ(seen->back(), BlockNode::heading(3, {InlineNode::text("Getting "), InlineNode::emphasis({InlineNode::text("Started")})}));
}

TEST(ThemeModifierTest, InnerBlockStyleSurvivesAnOuterThemeWrite) {
    AnyView doc = markdownBlockStyle(Markdown("para"), &Theme::paragraph,
                                     [](const BlockConfiguration& c) { return AnyView(c.label).accessibilityLabel("inner style"); });
    TestHost t(markdownTheme(doc, Theme::standard()));
    EXPECT_TRUE(t.has("inner style"));
}

TEST(TableViewTest, CellsAlignByColumnAndEveryCellReportsItsPosition) {
    auto cells = makeLog<std::pair<int, int>>();
    AnyView doc = Markdown("| Left | Mid | Right |\n|:--|:-:|--:|\n| a | b | c |\n| long text | longer middle | wide right |");
    doc = markdownBlockStyle(doc, &Theme::tableCell, [cells](const TableCellConfiguration& c) {
        cells->push_back({c.row, c.column});
        return AnyView(c.label).padding(2).accessibilityLabel("cell " + std::to_string(c.row) + " " + std::to_string(c.column));
    });
    TestHost t(doc, {600, 300});
    EXPECT_NE(std::find(cells->begin(), cells->end(), std::pair<int, int>{2, 2}), cells->end());
    // Right column: the short cell ends where the long one does; centre column: centres meet; left: starts.
    EXPECT_EQ(t.frame("cell 1 2").maxX(), t.frame("cell 2 2").maxX());
    EXPECT_EQ(t.frame("cell 1 1").midX(), t.frame("cell 2 1").midX());
    EXPECT_EQ(t.frame("cell 1 0").minX(), t.frame("cell 2 0").minX());
    // Gaps of the default border width (1) between columns and rows.
    EXPECT_EQ(t.frame("cell 2 1").minX() - t.frame("cell 2 0").maxX(), 1);
}

TEST(TableViewTest, ZeroBorderWidthLeavesNoGaps) {
    AnyView doc = Markdown("| a | b |\n|--|--|\n| c | d |");
    doc = markdownBlockStyle(doc, &Theme::tableCell, [](const TableCellConfiguration& c) {
        return AnyView(c.label).accessibilityLabel("cell " + std::to_string(c.row) + " " + std::to_string(c.column));
    });
    doc = markdownTableBorderStyle(doc, TableBorderStyle(TableBorderSelector::allBorders(), glimmo::Color::red(), 0.0));
    TestHost t(doc);
    EXPECT_EQ(t.frame("cell 0 1").minX(), t.frame("cell 0 0").maxX());
    EXPECT_EQ(t.frame("cell 1 0").minY(), t.frame("cell 0 0").maxY());
}

TEST(MarkdownTest, BaseURLsReachTheEnvironment) {
    struct Probe {
        std::shared_ptr<std::pair<std::optional<glimmo::URL>, std::optional<glimmo::URL>>> seen;
        glimmo::Environment<std::optional<glimmo::URL>> base = environmentValue<BaseURLKey>();
        glimmo::Environment<std::optional<glimmo::URL>> image = environmentValue<ImageBaseURLKey>();
        AnyView body() const {
            *seen = {*base, *image};
            return glimmo::Rectangle().frame(1, 1);
        }
    };
    auto seen = std::make_shared<std::pair<std::optional<glimmo::URL>, std::optional<glimmo::URL>>>();
    const auto base = glimmo::URL::parse("https://a.example/");
    const auto images = glimmo::URL::parse("https://b.example/");
    const auto probeStyle = [seen](const BlockConfiguration&) { return AnyView(Probe{seen}); };

    TestHost none(markdownBlockStyle(Markdown("x"), &Theme::paragraph, probeStyle));
    EXPECT_EQ(*seen, (std::pair<std::optional<glimmo::URL>, std::optional<glimmo::URL>>{}));
    TestHost onlyBase(markdownBlockStyle(Markdown("x", base), &Theme::paragraph, probeStyle));
    EXPECT_EQ(*seen, std::make_pair(base, base));
    TestHost both(markdownBlockStyle(Markdown("x", base, images), &Theme::paragraph, probeStyle));
    EXPECT_EQ(*seen, std::make_pair(base, images));
}

TEST(MarkdownTest, ImagesForTheOtherSchemeAreDropped) {
    BoxImageProvider provider;
    const std::string text = "![d](https://x.example/d.png#gh-dark-mode-only)\n\n![l](https://x.example/l.png#GH-LIGHT-MODE-ONLY)";
    TestHost light(markdownImageProvider(Markdown(text), provider));
    EXPECT_FALSE(light.has("image https://x.example/d.png#gh-dark-mode-only"));
    EXPECT_TRUE(light.has("image https://x.example/l.png#GH-LIGHT-MODE-ONLY"));
    TestHost dark(markdownImageProvider(Markdown(text), provider).colorScheme(glimmo::ColorScheme::dark));
    EXPECT_TRUE(dark.has("image https://x.example/d.png#gh-dark-mode-only"));
    EXPECT_FALSE(dark.has("image https://x.example/l.png#GH-LIGHT-MODE-ONLY"));
}

TEST(MarkdownTest, FilterKeepsRelativeSourcesAndDropsOnlyTheOtherScheme) {
    const std::vector<BlockNode> blocks{BlockNode::paragraph({InlineNode::image("logo.png", {}), InlineNode::text("x"),
                                                              InlineNode::link("l", {InlineNode::image("d.png#gh-dark-mode-only", {})})}),
                                        BlockNode::codeBlock(std::nullopt, "![d](d.png#gh-dark-mode-only)")};
    const auto light = filteringImages(blocks, glimmo::ColorScheme::light);
    EXPECT_EQ(light[0], BlockNode::paragraph({InlineNode::image("logo.png", {}), InlineNode::text("x"), InlineNode::link("l", {})}));
    EXPECT_EQ(light[1], blocks[1]);
    EXPECT_EQ(filteringImages(blocks, glimmo::ColorScheme::dark), blocks);
    EXPECT_EQ(filteringImages({BlockNode::paragraph({InlineNode::image("a b", {})})}, glimmo::ColorScheme::dark).front(),
              BlockNode::paragraph({}));
}

TEST(MarkdownTest, BuilderIsCalledOnce) {
    int calls = 0;
    const Markdown view(std::nullopt, std::nullopt, [&calls] {
        ++calls;
        return MarkdownContent(std::string_view("text"));
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(view.content.blocks.size(), 1U);
}

} // namespace
} // namespace ridadozi
