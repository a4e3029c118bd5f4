// Any input parses and renders back without a crash, the same way on every run.

#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/Document/NestingLimit.h"
#include "RidadoziRI/MarkdownParser.h"
#include "platform/foundation/Text.h"

#include "tests/RidadoziRI/TreeBuilding.h"

#include <gtest/gtest.h>

#include <random>

namespace ridadozi {
namespace {

using namespace testing;

// How deep quotes and lists nest, and how deep inline containers nest inside any one block.
struct Nesting {
    int blocks = 0;
    int inlines = 0;
};

int inlineNesting(const std::vector<InlineNode>& inlines) {
    int deepest = 0;
    for (const auto& node : inlines) {
        if (!node.children().empty() || node.is<InlineNode::Emphasis>()) deepest = std::max(deepest, 1 + inlineNesting(node.children()));
    }
    return deepest;
}

Nesting nestingOf(const std::vector<BlockNode>& blocks) {
    Nesting deepest;
    for (const auto& block : blocks) {
        if (const auto* paragraphBlock = block.as<BlockNode::Paragraph>()) {
            deepest.inlines = std::max(deepest.inlines, inlineNesting(paragraphBlock->content));
        }
        const auto children = block.children();
        if (block.is<BlockNode::Paragraph>() || block.is<BlockNode::CodeBlock>()) continue;
        const Nesting below = nestingOf(children);
        deepest.blocks = std::max(deepest.blocks, 1 + below.blocks);
        deepest.inlines = std::max(deepest.inlines, below.inlines);
    }
    return deepest;
}

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

TEST(Robustness, DeeplyNestedInputKeepsItsTextInsideTheNestingLimit) {
    const std::vector<std::pair<std::string, std::string>> inputs{
        {repeated(">", 50000) + " deep", "deep"},
        {repeated("- ", 50000) + "deep", "deep"},
        {repeated("*", 40000) + "x" + repeated("*", 40000), "x"},
        {repeated("[", 50000) + "x" + repeated("](u)", 50000), "x"},
    };
    for (const auto& [markdown, innermost] : inputs) {
        const auto blocks = MarkdownParser::parse(markdown);
        ASSERT_TRUE(blocks.has_value());
        const MarkdownContent content(*blocks);
        const Nesting nesting = nestingOf(content.blocks);
        EXPECT_LE(nesting.blocks, maximumNesting) << markdown.substr(0, 10);
        EXPECT_LE(nesting.inlines, maximumNesting) << markdown.substr(0, 10);
        EXPECT_NE(content.plainText().find(innermost), std::string::npos) << markdown.substr(0, 10);
        EXPECT_FALSE(content.htmlText().empty()) << markdown.substr(0, 10);
    }
}

// What lies past the limit moves into the deepest quote that is kept.
TEST(Robustness, ContentPastTheNestingLimitMovesIntoTheDeepestKeptQuote) {
    for (const int quotes : {127, 128, 200}) {
        const auto blocks = MarkdownParser::parse(repeated(">", quotes) + " deep\n" + repeated(">", quotes) + "\n" +
                                                  repeated(">", quotes) + " *deeper*");
        ASSERT_TRUE(blocks.has_value());
        const std::vector<BlockNode>* level = &*blocks;
        for (int i = 0; i < std::min(quotes, maximumNesting); ++i) {
            ASSERT_EQ(level->size(), 1u) << quotes;
            ASSERT_TRUE(level->front().is<BlockNode::Blockquote>()) << quotes << " at " << i;
            level = &level->front().as<BlockNode::Blockquote>()->children;
        }
        EXPECT_EQ(*level, (std::vector<BlockNode>{textParagraph("deep"), paragraph({InlineNode::emphasis({text("deeper")})})}))
            << quotes;
    }
}

TEST(Robustness, ModerateNestingIsKeptWhole) {
    const auto blocks = MarkdownParser::parse(repeated(">", 100) + " deep");
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(nestingOf(*blocks).blocks, 100);
    EXPECT_EQ(MarkdownContent(*blocks).plainText(), "deep");
}

TEST(Robustness, TreesBuiltInCodeRenderAsTheParserWouldHaveBuiltThem) {
    BlockNode block = textParagraph("core");
    for (int i = 0; i < 1000; ++i) block = BlockNode::blockquote({block});
    const MarkdownContent content(std::vector<BlockNode>{block});
    const std::string markdown = content.commonMarkText();
    EXPECT_EQ(markdown, repeated("> ", maximumNesting) + "core");
    EXPECT_EQ(MarkdownContent(markdown), MarkdownContent(limitingNesting(content.blocks)));
}

// Lists inside lists and emphasis inside emphasis, `levels` deep, around one text.
BlockNode nestedLists(int levels, const std::string& core) {
    BlockNode block = paragraph({text(core)});
    for (int i = 0; i < levels; ++i) block = BlockNode::bulletedList(true, {item({std::move(block)})});
    return block;
}

InlineNode nestedEmphasis(int levels, const std::string& core) {
    InlineNode node = text(core);
    for (int i = 0; i < levels; ++i) {
        std::vector<InlineNode> children;
        children.push_back(std::move(node));
        node = InlineNode::emphasis(std::move(children));
    }
    return node;
}

TEST(Robustness, ArbitrarilyDeepTreesBuiltInCodeCompareHashCopyRenderAndGo) {
    for (const int levels : {1000, 100000}) {
        const BlockNode lists = nestedLists(levels, "core");
        EXPECT_EQ(lists, nestedLists(levels, "core")) << levels;
        EXPECT_NE(lists, nestedLists(levels, "other")) << levels;
        EXPECT_EQ(lists.hashValue(), nestedLists(levels, "core").hashValue()) << levels;

        const InlineNode emphasis = nestedEmphasis(levels, "core");
        const InlineNode copy = emphasis; // NOLINT: the copy is what is tested
        EXPECT_EQ(copy, emphasis) << levels;
        EXPECT_NE(emphasis, nestedEmphasis(levels, "other")) << levels;
        EXPECT_EQ(emphasis.hashValue(), nestedEmphasis(levels, "core").hashValue()) << levels;

        const MarkdownContent content(std::vector<BlockNode>{lists, paragraph({emphasis})});
        const std::string html = content.htmlText();
        EXPECT_NE(html.find("<li>core</li>"), std::string::npos) << levels;
        EXPECT_NE(html.find("<em>core</em>"), std::string::npos) << levels;
        EXPECT_EQ(nestingOf(MarkdownContent(content.commonMarkText()).blocks).blocks, maximumNesting) << levels;
    }
}

// Random text made of the characters Markdown cares about, invalid bytes included.
std::string randomMarkdown(std::mt19937& random) {
    static constexpr std::string_view pieces[] = {
        "*", "_", "~", "`", "```", "#", "> ", "- ", "1. ", "[ ]", "[x]", "|", "---", ":", "[", "]", "(", ")", "!",
        "<", ">", "&amp;", "\\", "  \n", "\n", "\n\n", " ", "    ", "\t", "word", "www.example.com", "http://a.b",
        "<b>", "</b>", "<!--", "\xFF", "\xC3", "\xE2\x86\x92", std::string_view("\0", 1), "[^1]", "1)", "+ ", "===",
    };
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 80);
    std::string text;
    for (int i = length(random); i > 0; --i) text += pieces[pick(random)];
    return text;
}

TEST(Robustness, RandomInputParsesAndRendersTheSameEveryTime) {
    std::mt19937 random(20240607);
    int notValidUtf8 = 0;
    int unstable = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string markdown = randomMarkdown(random);
        const MarkdownContent first{std::string_view(markdown)};
        const MarkdownContent second{std::string_view(markdown)};
        if (first != second) ++unstable;
        const std::string html = first.htmlText();
        const std::string commonMark = first.commonMarkText();
        const std::string plain = first.plainText();
        if (html != second.htmlText() || commonMark != second.commonMarkText()) ++unstable;
        if (!glimmo::isValidUTF8(html) || !glimmo::isValidUTF8(commonMark) || !glimmo::isValidUTF8(plain)) ++notValidUtf8;
        // What was written back parses again.
        EXPECT_TRUE(MarkdownParser::parse(commonMark).has_value());
    }
    EXPECT_EQ(unstable, 0);
    EXPECT_EQ(notValidUtf8, 0);
}

} // namespace
} // namespace ridadozi
