#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/MarkdownParser.h"
#include "RidadoziRI/MarkdownRendering.h"

#include "tests/RidadoziRI/TreeBuilding.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

namespace ridadozi {
namespace {

using namespace testing;
using Align = RawTableColumnAlignment;

MarkdownContent content(std::vector<BlockNode> blocks) { return MarkdownContent(std::move(blocks)); }

TEST(Rendering, OneParagraphInTheThreeForms) {
    const MarkdownContent document("Hello *world*");
    EXPECT_EQ(document.commonMarkText(), "Hello *world*");
    EXPECT_EQ(document.plainText(), "Hello world");
    EXPECT_EQ(document.htmlText(), "<p>Hello <em>world</em></p>\n");
}

TEST(Rendering, OnlyOneFinalLineFeedIsRemoved) {
    // A code block's literal ends the CommonMark text in a fence; an HTML block keeps its own line
    // feeds, so the rendered text ends in two and loses only one.
    const auto document = content({BlockNode::htmlBlock("<div>\n\n")});
    EXPECT_EQ(renderCmarkDocument(document.blocks, CmarkRenderer::commonMark), "<div>\n\n");
    EXPECT_EQ(document.commonMarkText(), "<div>\n");
    EXPECT_EQ(renderCmarkDocument(document.blocks, CmarkRenderer::plainText), "\n");
    EXPECT_EQ(document.plainText(), "");
}

TEST(Rendering, EmptyDocument) {
    const MarkdownContent empty;
    EXPECT_EQ(empty.commonMarkText(), "");
    EXPECT_EQ(empty.plainText(), "");
    EXPECT_EQ(empty.htmlText(), "");
}

TEST(Rendering, TaskListComesBackAsBulletedTaskItems) {
    const auto document = content({BlockNode::taskList(
        true, {taskItem(true, {textParagraph("done")}), taskItem(false, {textParagraph("open")})})});
    EXPECT_EQ(document.commonMarkText(), "- [x] done\n- [ ] open");
    EXPECT_EQ(document.htmlText(),
              "<ul>\n<li><input type=\"checkbox\" checked=\"\" disabled=\"\" /> done</li>\n"
              "<li><input type=\"checkbox\" disabled=\"\" /> open</li>\n</ul>\n");
}

TEST(Rendering, OrderedTaskListComesBackBulleted) {
    EXPECT_EQ(MarkdownContent("3. [ ] a\n4. [x] b\n").commonMarkText(), "- [ ] a\n- [x] b");
}

TEST(Rendering, CodeBlocksWithAndWithoutFenceInfo) {
    EXPECT_EQ(content({BlockNode::codeBlock("swift title", "x\n")}).commonMarkText(), "``` swift title\nx\n```");
    EXPECT_EQ(content({BlockNode::codeBlock("swift title", "x\n")}).htmlText(),
              "<pre><code class=\"language-swift\">x\n</code></pre>\n");
    EXPECT_EQ(content({BlockNode::codeBlock(std::nullopt, "x\n")}).htmlText(), "<pre><code>x\n</code></pre>\n");
    // Without info the fence carries no word (cmark-gfm writes the fence with a trailing space).
    EXPECT_EQ(content({BlockNode::codeBlock(std::nullopt, "x\n")}).commonMarkText(), "``` \nx\n```");
}

TEST(Rendering, TableWithAlignmentsAndStrikethrough) {
    const MarkdownContent document("| a | b |\n|:-|:-:|\n| 1 | ~~2~~ |");
    EXPECT_EQ(document.commonMarkText(), "| a | b |\n| :-- | :-: |\n| 1 | ~~2~~ |");
    EXPECT_EQ(document.htmlText(),
              "<table>\n<thead>\n<tr>\n<th align=\"left\">a</th>\n<th align=\"center\">b</th>\n</tr>\n</thead>\n"
              "<tbody>\n<tr>\n<td align=\"left\">1</td>\n<td align=\"center\"><del>2</del></td>\n</tr>\n</tbody>\n"
              "</table>\n");
    EXPECT_EQ(content({paragraph({InlineNode::strikethrough({text("gone")})})}).commonMarkText(), "~~gone~~");
}

TEST(Rendering, TableRowsArePaddedOrCutToTheColumnCount) {
    const auto table = BlockNode::table(
        {Align::none, Align::right},
        {row({cell("h1"), cell("h2"), cell("h3")}), row({cell("only")}), row({})});
    EXPECT_EQ(content({table}).commonMarkText(), "| h1 | h2 |\n| --- | --: |\n| only |  |\n|  |  |");
    // What comes back through the parser has the same shape in every row.
    const auto reparsed = MarkdownParser::parse(content({table}).commonMarkText());
    ASSERT_TRUE(reparsed.has_value());
    EXPECT_EQ(*reparsed, (std::vector<BlockNode>{BlockNode::table(
                             {Align::none, Align::right},
                             {row({cell("h1"), cell("h2")}), row({cell("only"), RawTableCell{}}),
                              row({RawTableCell{}, RawTableCell{}})})}));
}

std::size_t occurrences(const std::string& text, std::string_view piece) {
    std::size_t count = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++count;
    return count;
}

// cmark-gfm counts columns in 16 bits: a wider table keeps its first 65,535 columns in every row.
// (Written as CommonMark: cmark-gfm's HTML renderer takes quadratic time over the cells of a row.)
TEST(Rendering, TableWiderThanCmarkCanCountKeepsItsFirstColumns) {
    constexpr std::size_t columns = 65'537;
    std::vector<RawTableCell> header(columns, cell("h"));
    header.back() = cell("last");
    const auto table = BlockNode::table(std::vector<Align>(columns, Align::right), {row(header), row({cell("v")})});
    const std::string markdown = content({table}).commonMarkText();
    EXPECT_EQ(occurrences(markdown, "| h "), 65'535u);
    EXPECT_EQ(occurrences(markdown, "| --: "), 65'535u);
    EXPECT_EQ(markdown.find("last"), std::string::npos);
    EXPECT_EQ(occurrences(markdown, "|  "), 65'534u) << "the short row is padded to the kept columns";
}

TEST(Rendering, TableWithoutColumnsIsLeftOut) {
    const auto document = content({textParagraph("before"), BlockNode::table({}, {row({cell("x")})}), textParagraph("after")});
    EXPECT_EQ(document.commonMarkText(), "before\n\nafter");
}

TEST(Rendering, UnrepresentableValuesAreClamped) {
    EXPECT_EQ(content({BlockNode::heading(0, {text("low")}), BlockNode::heading(99, {text("high")})}).commonMarkText(),
              "# low\n\n###### high");
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    // Every item number stays a marker CommonMark can read back (at most nine digits).
    const auto hugeStart = BlockNode::numberedList(true, largest, {item({textParagraph("a")}), item({textParagraph("b")})});
    EXPECT_EQ(content({hugeStart}).commonMarkText(), "999999998. a\n999999999. b");
    const auto negativeStart = BlockNode::numberedList(true, -4, {item({textParagraph("a")})});
    EXPECT_EQ(content({negativeStart}).htmlText(), "<ol start=\"0\">\n<li>a</li>\n</ol>\n");
    const auto reparsed = MarkdownParser::parse(content({hugeStart}).commonMarkText());
    ASSERT_TRUE(reparsed.has_value());
    ASSERT_EQ(reparsed->size(), 1u);
    const auto* list = (*reparsed)[0].as<BlockNode::NumberedList>();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->start, 999999998);
    EXPECT_EQ(list->items.size(), 2u);
}

TEST(Rendering, TextIsRepairedBeforeItReachesCmark) {
    const auto document = content({paragraph({text(std::string("a\xFF", 2)), text(std::string("b\0c", 3))}),
                                   BlockNode::codeBlock(std::string("x\xC3", 2), "y")});
    EXPECT_EQ(document.htmlText(),
              "<p>a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c</p>\n<pre><code class=\"language-x\xEF\xBF\xBD\">y</code></pre>\n");
    // Past the first eight bytes too, and valid text beyond them is left alone.
    const std::string ascii = "0123456789abcdef";
    const auto longer = content({paragraph({text(ascii + "\xFF"), text(ascii + std::string("\0g", 2)), text(ascii + "\xC3\xA9")})});
    EXPECT_EQ(longer.htmlText(), "<p>" + ascii + "\xEF\xBF\xBD" + ascii + "\xEF\xBF\xBDg" + ascii + "\xC3\xA9</p>\n");
}

TEST(Rendering, LinksImagesCodeAndRawHtml) {
    const auto document = content({paragraph(
        {InlineNode::link("https://example.com/a b", {text("site")}), text(" "),
         InlineNode::image("i.png", {text("alt")}), text(" "), InlineNode::code("a`b"), text(" "),
         InlineNode::html("<kbd>"), InlineNode::lineBreak(), text("next"), InlineNode::softBreak(), text("soft")})});
    EXPECT_EQ(document.commonMarkText(),
              "[site](https://example.com/a%20b) ![alt](i.png) ``a`b`` <kbd>  \nnext\nsoft");
    // Raw HTML is not passed through with the default options.
    EXPECT_EQ(document.htmlText(),
              "<p><a href=\"https://example.com/a%20b\">site</a> <img src=\"i.png\" alt=\"alt\" /> <code>a`b</code> "
              "<!-- raw HTML omitted --><br />\nnext\nsoft</p>\n");
    EXPECT_EQ(document.plainText(), "site alt a`b \nnext\nsoft");
}

TEST(Rendering, LooseAndTightListsAndQuotes) {
    const MarkdownContent document("> quote\n\n- a\n\n- b\n\n2. x\n3. y\n\n***\n");
    EXPECT_EQ(document.commonMarkText(), "> quote\n\n  - a\n\n  - b\n\n<!-- end list -->\n\n2.  x\n3.  y\n\n-----");
}

// Round trips: a parsed document written back to CommonMark parses to the same tree, and its HTML is
// the HTML cmark-gfm writes for the original text (raw HTML aside, which it omits in both).
TEST(Rendering, RoundTripsThroughCommonMark) {
    const std::vector<std::string> documents{
        "# Title\n\nSome *emphasis*, **strong**, `code` and ~~strike~~.\n",
        "- [x] done\n- [ ] open\n",
        "1. one\n2. two\n\n   nested paragraph\n",
        "| a | b |\n|:-|-:|\n| 1 | 2 |\n",
        "> quote\n> - item\n",
        "```js\nlet x = 1;\n```\n",
        "line one  \nline two\nline three\n",
        "[link](https://example.com) and ![image](pic.png)\n",
        "---\n\nafter the rule\n",
    };
    for (const auto& markdown : documents) {
        const MarkdownContent original(markdown);
        const MarkdownContent reparsed(original.commonMarkText());
        EXPECT_EQ(reparsed, original) << markdown << "\nwritten back as:\n" << original.commonMarkText();
        EXPECT_EQ(reparsed.htmlText(), original.htmlText()) << markdown;
    }
}

// Blocks and texts of hundreds of kilobytes, parsed and written back whole.
TEST(Rendering, LargeBlocksComeBackWhole) {
    std::string code;
    while (code.size() < 300000) code += "let line = " + std::to_string(code.size()) + ";\n";
    const MarkdownContent document("```\n" + code + "```\n\n" + code.substr(0, 280000) + "\n");
    ASSERT_EQ(document.blocks.size(), 2u);
    EXPECT_EQ(document.blocks[0], BlockNode::codeBlock("", code));
    const std::string html = document.htmlText();
    EXPECT_EQ(html.substr(0, 11 + code.size() + 14), "<pre><code>" + code + "</code></pre>\n");
    EXPECT_EQ(MarkdownContent(document.commonMarkText()), document);
}

TEST(Rendering, RendersOnSeveralThreadsAtOnce) {
    const MarkdownContent document("# T\n\n| a | b |\n|---|---|\n| 1 | ~~2~~ |\n\n- [x] t\n");
    const auto expectedHtml = document.htmlText();
    const auto expectedMarkdown = document.commonMarkText();
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                if (document.htmlText() != expectedHtml || document.commonMarkText() != expectedMarkdown) ++wrong[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

} // namespace
} // namespace ridadozi
