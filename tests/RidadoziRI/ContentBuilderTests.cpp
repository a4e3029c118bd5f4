#include "RidadoziRI/Content/Blocks.h"
#include "RidadoziRI/Content/InlineContent.h"
#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/Content/TextTable.h"
#include "platform/foundation/URL.h"

#include "tests/RidadoziRI/TreeBuilding.h"

#include <gtest/gtest.h>

#include <array>
#include <unordered_set>

namespace ridadozi {
namespace {

using namespace testing;
using Align = RawTableColumnAlignment;

glimmo::URL url(std::string_view text) { return glimmo::URL::parse(text).value(); }

TEST(InlineBuilders, StringsArePlainTextAndStaySeparate) {
    const InlineContent content{"Hello ", Strong{"big"}, " world"};
    EXPECT_EQ(content.inlines, (std::vector<InlineNode>{text("Hello "), InlineNode::strong({text("big")}), text(" world")}));
    EXPECT_EQ((InlineContent{"*not emphasis*"}).inlines, std::vector<InlineNode>{text("*not emphasis*")});
    EXPECT_NE((InlineContent{"ab"}), (InlineContent{"a", "b"}));
    EXPECT_EQ((InlineContent{""}).inlines, std::vector<InlineNode>{text("")});
}

TEST(InlineBuilders, AbsentOptionalsAndLoopsContribute) {
    const std::optional<Code> absent;
    const std::optional<Code> present = Code("x");
    EXPECT_EQ((InlineContent{"a", absent, "b"}).inlines, (std::vector<InlineNode>{text("a"), text("b")}));
    EXPECT_EQ((InlineContent{present}).inlines, std::vector<InlineNode>{InlineNode::code("x")});
    const std::vector<Emphasis> loop{Emphasis("1"), Emphasis("2")};
    EXPECT_EQ((InlineContent{loop, SoftBreak{}, LineBreak{}}).inlines,
              (std::vector<InlineNode>{InlineNode::emphasis({text("1")}), InlineNode::emphasis({text("2")}),
                                       InlineNode::softBreak(), InlineNode::lineBreak()}));
    EXPECT_EQ(InlineContentBuilder::build({"x"}), InlineContent{"x"});
}

TEST(InlineBuilders, EachInlineValueYieldsOneNode) {
    EXPECT_EQ(Code("a*b").inlineContent().inlines, std::vector<InlineNode>{InlineNode::code("a*b")});
    EXPECT_EQ(Emphasis(std::string("a*b")).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::emphasis({text("a*b")})});
    EXPECT_EQ((Strikethrough{"x", Code("y")}).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::strikethrough({text("x"), InlineNode::code("y")})});
    EXPECT_EQ(InlineImage(url("https://example.com/a.png")).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::image("https://example.com/a.png", {})});
    EXPECT_EQ(InlineImage("label", url("https://example.com/a.png")).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::image("https://example.com/a.png", {text("label")})});
    EXPECT_EQ(InlineLink(url("https://example.com"), InlineContent{}).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::link("https://example.com", {})});
    EXPECT_EQ((InlineLink(url("https://example.com/x"), {"go ", Strong{"now"}})).inlineContent().inlines,
              std::vector<InlineNode>{InlineNode::link("https://example.com/x", {text("go "), InlineNode::strong({text("now")})})});
    EXPECT_NE(SoftBreak::Mode::space, SoftBreak::Mode::lineBreak);
}

TEST(ContentBuilders, StringsInAContentBodyAreMarkdown) {
    const MarkdownContent built{"# Title", Paragraph{"*plain*"}};
    EXPECT_EQ(built.blocks, (std::vector<BlockNode>{BlockNode::heading(1, {text("Title")}), textParagraph("*plain*")}));
    // The same string as a list item is plain text.
    const BulletedList list(true, {"# Title"});
    EXPECT_EQ(list.items, std::vector<RawListItem>{item({textParagraph("# Title")})});
}

TEST(ContentBuilders, AbsentComponentsLoopsAndParsing) {
    const std::optional<Paragraph> absent;
    EXPECT_EQ((MarkdownContent{Paragraph{"a"}, absent, Paragraph{"b"}}).blocks,
              (std::vector<BlockNode>{textParagraph("a"), textParagraph("b")}));
    const std::vector<ThematicBreak> breaks(2);
    EXPECT_EQ((MarkdownContent{breaks}).blocks, (std::vector<BlockNode>{BlockNode::thematicBreak(), BlockNode::thematicBreak()}));
    EXPECT_EQ(MarkdownContent(std::string_view("")), MarkdownContent(std::vector<BlockNode>{}));
    EXPECT_TRUE(MarkdownContent(std::string_view("")).blocks.empty());
    EXPECT_EQ(MarkdownContentBuilder::build({"text"}), MarkdownContent(std::string_view("text")));
}

TEST(ContentBuilders, BuiltBlocksEqualParsedEquivalents) {
    const MarkdownContent built{
        Heading(Heading::Level::level2, {"Shopping ", Emphasis("list")}),
        Paragraph{"Buy ", Strong{"milk"}, " and ", Code("eggs"), "."},
        Blockquote{Paragraph{"Quoted"}},
        BulletedList(true, {"one", "two"}),
        NumberedList(true, 3, {"three", "four"}),
        TaskList(true, {TaskListItem(true, MarkdownContent{Paragraph{"done"}}), "open"}),
        CodeBlock("swift", "let x = 1\n"),
        ThematicBreak{},
        Paragraph{InlineLink(url("https://example.com/"), {"site"}), SoftBreak{}, "next", LineBreak{}, "last ",
                  Strikethrough{"old"}},
    };
    const MarkdownContent parsed(std::string_view(
        "## Shopping *list*\n\nBuy **milk** and `eggs`.\n\n> Quoted\n\n- one\n- two\n\n3. three\n4. four\n\n"
        "- [x] done\n- [ ] open\n\n```swift\nlet x = 1\n```\n\n---\n\n[site](https://example.com/)\nnext\\\nlast ~~old~~\n"));
    ASSERT_EQ(built.blocks.size(), parsed.blocks.size());
    for (std::size_t i = 0; i < built.blocks.size(); ++i) {
        EXPECT_EQ(built.blocks[i], parsed.blocks[i]) << "block " << i;
        EXPECT_EQ(built.blocks[i].hashValue(), parsed.blocks[i].hashValue()) << "block " << i;
    }
    EXPECT_EQ(built.htmlText(), parsed.htmlText());
}

TEST(ContentBuilders, TightnessRule) {
    const ListItem twoParagraphs(MarkdownContent{Paragraph{"a"}, Paragraph{"b"}});
    EXPECT_FALSE(BulletedList(true, {"first", twoParagraphs}).tight);
    const ListItem paragraphAndList(MarkdownContent{Paragraph{"a"}, BulletedList(true, {"nested"})});
    EXPECT_TRUE(BulletedList(true, {paragraphAndList, paragraphAndList}).tight);
    EXPECT_FALSE(BulletedList(false, {"a", "b"}).tight);
    EXPECT_TRUE(BulletedList(true, std::vector<ListItem>{}).tight);
    EXPECT_FALSE(NumberedList(true, 1, {twoParagraphs}).tight);
    EXPECT_FALSE(TaskList(true, {TaskListItem(false, MarkdownContent{Paragraph{"a"}, Paragraph{"b"}})}).tight);
    // Blocks other than paragraphs do not count.
    const ListItem codeAndParagraph(MarkdownContent{Paragraph{"a"}, CodeBlock(std::nullopt, "x")});
    EXPECT_TRUE(BulletedList(true, {codeAndParagraph}).tight);
}

TEST(ContentBuilders, ListFormsKeepItemsAndStarts) {
    EXPECT_EQ(NumberedList(true, 0, {"zero"}).start, 0);
    EXPECT_EQ(NumberedList(true, -7, {"minus"}).start, -7);
    const BulletedList fromStrings(std::vector<std::string>{"plain", "*starred*"}, true);
    EXPECT_EQ(fromStrings.items, (std::vector<RawListItem>{item({textParagraph("plain")}), item({textParagraph("*starred*")})}));
    const std::array<int, 3> numbers{1, 2, 3};
    const NumberedList fromElements(numbers, true, 5, [](int n) {
        return std::vector<ListItem>{ListItem(std::to_string(n)), ListItem(std::to_string(n * 10))};
    });
    EXPECT_EQ(fromElements.items.size(), 6u);
    EXPECT_EQ(fromElements.items[1], item({textParagraph("10")}));
    EXPECT_EQ(fromElements.start, 5);
    const TaskList tasks(numbers, false, [](int n) {
        return std::vector<TaskListItem>{TaskListItem(n % 2 == 0, MarkdownContent{Paragraph{std::to_string(n)}})};
    });
    EXPECT_EQ(tasks.markdownContent().blocks,
              std::vector<BlockNode>{BlockNode::taskList(false, {taskItem(false, {textParagraph("1")}),
                                                                 taskItem(true, {textParagraph("2")}),
                                                                 taskItem(false, {textParagraph("3")})})});
    const std::optional<ListItem> absent;
    EXPECT_EQ(BulletedList(true, {"a", absent, "b"}).items.size(), 2u);
}

TEST(ContentBuilders, ItemEqualityAndHashing) {
    EXPECT_EQ(ListItem("a"), ListItem("a"));
    EXPECT_NE(ListItem("a"), ListItem("b"));
    EXPECT_EQ(std::hash<ListItem>{}(ListItem("a")), std::hash<ListItem>{}(ListItem("a")));
    const TaskListItem done(true, MarkdownContent{Paragraph{"x"}});
    const TaskListItem open(false, MarkdownContent{Paragraph{"x"}});
    EXPECT_NE(done, open);
    std::unordered_set<TaskListItem> set{done, open, done};
    EXPECT_EQ(set.size(), 2u);
}

TEST(ContentBuilders, HeadingLevelsAndCodeFunctions) {
    EXPECT_EQ(Heading::levelFromRawValue(1), Heading::Level::level1);
    EXPECT_EQ(Heading::levelFromRawValue(6), Heading::Level::level6);
    for (const std::int64_t outside : {0, 7, -1, 100}) EXPECT_EQ(Heading::levelFromRawValue(outside), std::nullopt);
    EXPECT_EQ(Heading(Heading::Level::level4, {"h"}).markdownContent().blocks,
              std::vector<BlockNode>{BlockNode::heading(4, {text("h")})});
    int runs = 0;
    const CodeBlock code(std::nullopt, [&runs] {
        ++runs;
        return std::string("made\n");
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(code.markdownContent().blocks, std::vector<BlockNode>{BlockNode::codeBlock(std::nullopt, "made\n")});
}

TEST(ContentBuilders, NestedBlocks) {
    EXPECT_EQ((MarkdownContent{Paragraph{"a"}, Paragraph{"b"}}).nestedBlocks(), std::nullopt);
    EXPECT_EQ((MarkdownContent{Blockquote{Paragraph{"a"}, Paragraph{"b"}}}).nestedBlocks(),
              (std::vector<BlockNode>{textParagraph("a"), textParagraph("b")}));
    EXPECT_EQ((MarkdownContent{Blockquote{Paragraph{"q"}}, BulletedList(true, {"i"})}).nestedBlocks(),
              (std::vector<BlockNode>{textParagraph("q"), textParagraph("i")}));
}

struct Fruit {
    std::string name;
    int count;
    double price;
    char grade = 'A';
    bool ripe = true;
};

TEST(TextTables, FromRowValuesAndColumns) {
    const std::vector<Fruit> fruits{{"apple", 3, 0.5}, {"pear", 12, 1.25}};
    const TextTable table(fruits, {
                                      TextTableColumn<Fruit>(TextTableColumnAlignment::leading, "Name", &Fruit::name),
                                      TextTableColumn<Fruit>(std::nullopt, InlineContent{Strong{"Count"}}, &Fruit::count),
                                      TextTableColumn<Fruit>(TextTableColumnAlignment::trailing, "Price", &Fruit::price),
                                      TextTableColumn<Fruit>(TextTableColumnAlignment::center, "Label",
                                                             [](const Fruit& f) { return InlineContent{Emphasis(f.name)}; }),
                                  });
    EXPECT_EQ(table.columnAlignments, (std::vector<Align>{Align::left, Align::none, Align::right, Align::center}));
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0], (RawTableRow{{cell("Name"), RawTableCell{{InlineNode::strong({text("Count")})}}, cell("Price"), cell("Label")}}));
    EXPECT_EQ(table.rows[1], (RawTableRow{{cell("apple"), cell("3"), cell("0.5"), RawTableCell{{InlineNode::emphasis({text("apple")})}}}}));
    EXPECT_EQ(table.rows[2], (RawTableRow{{cell("pear"), cell("12"), cell("1.25"), RawTableCell{{InlineNode::emphasis({text("pear")})}}}}));
    // Characters and Booleans read as themselves.
    const TextTable described(fruits, {TextTableColumn<Fruit>(std::nullopt, "Grade", &Fruit::grade),
                                       TextTableColumn<Fruit>(std::nullopt, "Ripe", &Fruit::ripe)});
    EXPECT_EQ(described.rows[1], (RawTableRow{{cell("A"), cell("true")}}));
    // Cell text is plain, never Markdown.
    const std::vector<Fruit> starred{{"*star*", 1, 1}};
    const TextTable plain(starred, {TextTableColumn<Fruit>(std::nullopt, "*Name*", &Fruit::name)});
    EXPECT_EQ(plain.rows, (std::vector<RawTableRow>{row({cell("*Name*")}), row({cell("*star*")})}));
}

TEST(TextTables, HeaderOnlyAndColumnless) {
    const std::vector<Fruit> none;
    const TextTable headerOnly(none, {TextTableColumn<Fruit>(std::nullopt, "a", &Fruit::name),
                                      TextTableColumn<Fruit>(std::nullopt, "b", &Fruit::name),
                                      TextTableColumn<Fruit>(std::nullopt, "c", &Fruit::name)});
    ASSERT_EQ(headerOnly.rows.size(), 1u);
    EXPECT_EQ(headerOnly.rows[0].cells.size(), 3u);
    const std::vector<Fruit> two{{"x", 1, 1}, {"y", 2, 2}};
    const TextTable columnless(two, {});
    EXPECT_TRUE(columnless.columnAlignments.empty());
    EXPECT_EQ(columnless.rows, (std::vector<RawTableRow>{RawTableRow{}, RawTableRow{}, RawTableRow{}}));
}

TEST(TextTables, FromColumnAndRowBuilders) {
    const std::optional<TextTableColumn<Fruit>> absentColumn;
    const TextTable table(TextTableColumnBuilder<Fruit>{TextTableColumn<Fruit>(std::nullopt, "Name", &Fruit::name), absentColumn},
                          TextTableRowBuilder<Fruit>{TextTableRow<Fruit>({"kiwi", 1, 2}), TextTableRow<Fruit>({"fig", 2, 3})});
    EXPECT_EQ(table.rows, (std::vector<RawTableRow>{row({cell("Name")}), row({cell("kiwi")}), row({cell("fig")})}));
    // A built table parses back to itself through CommonMark.
    const MarkdownContent content{table};
    EXPECT_EQ(MarkdownContent(content.commonMarkText()), content);
}

} // namespace
} // namespace ridadozi
