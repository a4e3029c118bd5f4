// Any input parses and renders back without a crash, the same way on every run.

#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/MarkdownParser.h"
#include "platform/foundation/Text.h"

#include "tests/RidadoziRI/TreeBuilding.h"

#include <gtest/gtest.h>

#include <random>

namespace ridadozi {
namespace {

using namespace testing;

// Nesting depth of the deepest node, a list item counting as a level.
int depthOf(const std::vector<InlineNode>& inlines) {
    int deepest = 0;
    for (const auto& node : inlines) deepest = std::max(deepest, 1 + depthOf(node.children()));
    return deepest;
}

int depthOf(const std::vector<BlockNode>& blocks) {
    int deepest = 0;
    for (const auto& block : blocks) {
        int below = 0;
        if (const auto* quote = block.as<BlockNode::Blockquote>()) below = depthOf(quote->children);
        if (const auto* list = block.as<BlockNode::BulletedList>()) {
            for (const auto& item : list->items) below = std::max(below, 1 + depthOf(item.children));
        }
        if (const auto* paragraphBlock = block.as<BlockNode::Paragraph>()) below = depthOf(paragraphBlock->content);
        deepest = std::max(deepest, 1 + below);
    }
    return deepest;
}

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += piece;
    return text;
}

TEST(Robustness, DeeplyNestedInputIsCutAtTheNestingLimit) {
    const std::vector<std::string> inputs{
        repeated(">", 50000) + " deep",
        repeated("- ", 50000) + "deep",
        repeated("*", 40000) + "x" + repeated("*", 40000),
        repeated("[", 50000) + "x" + repeated("](u)", 50000),
    };
    for (const auto& markdown : inputs) {
        const auto blocks = MarkdownParser::parse(markdown);
        ASSERT_TRUE(blocks.has_value());
        const MarkdownContent content(*blocks);
        EXPECT_LE(depthOf(content.blocks), 128) << markdown.substr(0, 10);
        EXPECT_FALSE(content.htmlText().empty()) << markdown.substr(0, 10);
        EXPECT_FALSE(content.commonMarkText().empty()) << markdown.substr(0, 10);
    }
}

TEST(Robustness, ModerateNestingIsKeptWhole) {
    const auto blocks = MarkdownParser::parse(repeated(">", 100) + " deep");
    ASSERT_TRUE(blocks.has_value());
    EXPECT_EQ(depthOf(*blocks), 102); // a hundred quotes around a paragraph holding one text
    EXPECT_EQ(MarkdownContent(*blocks).plainText(), "deep");
}

TEST(Robustness, DeepTreesBuiltInCodeRenderUpToTheLimit) {
    BlockNode block = textParagraph("core");
    for (int i = 0; i < 1000; ++i) block = BlockNode::blockquote({block});
    const MarkdownContent content(std::vector<BlockNode>{block});
    const std::string markdown = content.commonMarkText();
    EXPECT_EQ(markdown.rfind(repeated("> ", 128), 0), 0u);
    EXPECT_EQ(markdown.find(repeated("> ", 129)), std::string::npos);
    EXPECT_EQ(markdown.find("core"), std::string::npos);
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
