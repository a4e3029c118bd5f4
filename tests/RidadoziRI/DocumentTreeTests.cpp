#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/HTMLTag.h"

#include "tests/RidadoziRI/TreeBuilding.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <thread>
#include <unordered_set>

namespace ridadozi {
namespace {

using namespace testing;

InlineNode png(std::string source) { return InlineNode::image(std::move(source), {text("alt")}); }

// A document that holds every kind of block and inline, images in every place they can stand.
std::vector<BlockNode> everyKindOfNode() {
    return {
        BlockNode::heading(2, {text("Head "), png("h.png")}),
        paragraph({text("a"), InlineNode::emphasis({text("b"), InlineNode::strong({text("c")})}),
                   InlineNode::strikethrough({text("d")}), InlineNode::code("e"), InlineNode::html("<br>"),
                   InlineNode::link("https://x", {png("in-link.png")}), InlineNode::softBreak(),
                   InlineNode::lineBreak(), png("p.png")}),
        BlockNode::blockquote({textParagraph("quoted"), paragraph({png("q.png")})}),
        BlockNode::bulletedList(true, {item({textParagraph("one")}), item({paragraph({png("l.png")})})}),
        BlockNode::numberedList(false, 7, {item({textParagraph("seven")})}),
        BlockNode::taskList(true, {taskItem(true, {paragraph({text("done"), png("t.png")})})}),
        BlockNode::table({RawTableColumnAlignment::left}, {row({cell("h")}), RawTableRow{{RawTableCell{{png("c.png")}}}}}),
        BlockNode::codeBlock("swift", "let x = 1\n"),
        BlockNode::htmlBlock("<div></div>"),
        BlockNode::thematicBreak(),
    };
}

std::size_t countInlines(const std::vector<BlockNode>& blocks, auto predicate) {
    std::size_t count = 0;
    (void)rewrite(blocks, [&](InlineNode node) {
        if (predicate(node)) ++count;
        return std::vector<InlineNode>{std::move(node)};
    });
    return count;
}

TEST(DocumentTree, EqualityAndHashingGoByValue) {
    const auto a = everyKindOfNode();
    const auto b = everyKindOfNode();
    EXPECT_EQ(a, b);
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].hashValue(), b[i].hashValue()) << i;

    // Two documents that differ only in a list's tightness are different.
    const auto tight = BlockNode::bulletedList(true, {item({textParagraph("x")})});
    const auto loose = BlockNode::bulletedList(false, {item({textParagraph("x")})});
    EXPECT_NE(tight, loose);
    EXPECT_NE(BlockNode::numberedList(true, 1, {}), BlockNode::numberedList(true, 2, {}));
    EXPECT_NE(BlockNode::codeBlock(std::nullopt, "x"), BlockNode::codeBlock("", "x"));
    EXPECT_NE(BlockNode::heading(1, {text("x")}), BlockNode::heading(2, {text("x")}));
    EXPECT_NE(paragraph({text("ab")}), paragraph({text("a"), text("b")}));
    EXPECT_NE(InlineNode::link("a", {}), InlineNode::image("a", {}));
    EXPECT_NE(InlineNode::text("x"), InlineNode::code("x"));
    EXPECT_NE(BlockNode::taskList(true, {taskItem(true, {})}), BlockNode::taskList(true, {taskItem(false, {})}));

    std::unordered_set<BlockNode> set(a.begin(), a.end());
    set.insert(b.begin(), b.end());
    set.insert(tight);
    set.insert(loose);
    EXPECT_EQ(set.size(), a.size() + 2);
}

TEST(DocumentTree, ChildrenOfContainerBlocks) {
    const std::vector<BlockNode> leaves{BlockNode::codeBlock(std::nullopt, "x"), textParagraph("p"),
                                        BlockNode::table({}, {}), BlockNode::thematicBreak(),
                                        BlockNode::heading(1, {}), BlockNode::htmlBlock("<p>")};
    for (const auto& leaf : leaves) EXPECT_TRUE(leaf.children().empty());

    const auto list = BlockNode::bulletedList(
        true, {item({textParagraph("1"), textParagraph("2")}), item({textParagraph("3"), textParagraph("4")})});
    EXPECT_EQ(list.children(), (std::vector<BlockNode>{textParagraph("1"), textParagraph("2"), textParagraph("3"),
                                                        textParagraph("4")}));
    EXPECT_EQ(BlockNode::blockquote({textParagraph("q")}).children(), std::vector<BlockNode>{textParagraph("q")});
    EXPECT_EQ(BlockNode::taskList(true, {taskItem(true, {textParagraph("t")})}).children(),
              std::vector<BlockNode>{textParagraph("t")});
    EXPECT_EQ(BlockNode::numberedList(true, 4, {item({}), item({textParagraph("n")})}).children(),
              std::vector<BlockNode>{textParagraph("n")});
}

TEST(DocumentTree, IdentityRewriteGivesAnEqualTree) {
    const auto blocks = everyKindOfNode();
    const auto same = rewrite(blocks, [](InlineNode node) { return std::vector<InlineNode>{std::move(node)}; });
    EXPECT_EQ(same, blocks);
    for (const auto& block : blocks) {
        const auto one = block.rewrite([](InlineNode node) { return std::vector<InlineNode>{std::move(node)}; });
        ASSERT_EQ(one.size(), 1u);
        EXPECT_EQ(one[0], block);
    }
}

TEST(DocumentTree, RemovingImagesReachesEveryPlace) {
    const auto blocks = everyKindOfNode();
    ASSERT_EQ(countInlines(blocks, [](const InlineNode& n) { return n.is<InlineNode::Image>(); }), 7u);
    const auto withoutImages = rewrite(blocks, [](InlineNode node) {
        if (node.is<InlineNode::Image>()) return std::vector<InlineNode>{};
        return std::vector<InlineNode>{std::move(node)};
    });
    EXPECT_EQ(countInlines(withoutImages, [](const InlineNode& n) { return n.is<InlineNode::Image>(); }), 0u);
    ASSERT_EQ(withoutImages.size(), blocks.size());
    // The link whose only child was an image keeps its destination and gets no children; the
    // paragraph that held only an image stays, empty.
    const auto* paragraphBlock = withoutImages[1].as<BlockNode::Paragraph>();
    ASSERT_NE(paragraphBlock, nullptr);
    EXPECT_EQ(paragraphBlock->content[5], InlineNode::link("https://x", {}));
    EXPECT_EQ(withoutImages[2], BlockNode::blockquote({textParagraph("quoted"), paragraph({})}));
    EXPECT_EQ(withoutImages[6], BlockNode::table({RawTableColumnAlignment::left}, {row({cell("h")}), RawTableRow{{RawTableCell{}}}}));
    EXPECT_EQ(withoutImages[0], BlockNode::heading(2, {text("Head ")}));
    // Blocks without inline content come back unchanged.
    EXPECT_EQ(withoutImages[7], blocks[7]);
    EXPECT_EQ(withoutImages[8], blocks[8]);
    EXPECT_EQ(withoutImages[9], blocks[9]);
}

TEST(DocumentTree, SplicingDoublesTextNodesInsideContainers) {
    const auto blocks = everyKindOfNode();
    const auto isText = [](const InlineNode& n) { return n.is<InlineNode::Text>(); };
    const auto before = countInlines(blocks, isText);
    const auto doubled = rewrite(blocks, [](InlineNode node) {
        if (node.is<InlineNode::Text>()) return std::vector<InlineNode>{node, node};
        return std::vector<InlineNode>{std::move(node)};
    });
    EXPECT_EQ(countInlines(doubled, isText), 2 * before);
    const auto* paragraphBlock = doubled[1].as<BlockNode::Paragraph>();
    ASSERT_NE(paragraphBlock, nullptr);
    EXPECT_EQ(paragraphBlock->content[2], InlineNode::emphasis({text("b"), text("b"), InlineNode::strong({text("c"), text("c")})}));
}

TEST(DocumentTree, RewriteSeesChildrenBeforeTheirParent) {
    const std::vector<InlineNode> inlines{
        InlineNode::link("dest", {text("a"), InlineNode::emphasis({text("b")})})};
    std::vector<std::string> order;
    const auto result = rewrite(inlines, [&order](InlineNode node) {
        if (const auto* t = node.as<InlineNode::Text>()) {
            order.push_back("text " + t->text);
            return std::vector<InlineNode>{text(t->text + "!")};
        }
        if (node.is<InlineNode::Emphasis>()) order.push_back("emphasis");
        if (const auto* link = node.as<InlineNode::Link>()) {
            order.push_back("link");
            // The link already carries its rewritten children.
            EXPECT_EQ(link->children, (std::vector<InlineNode>{text("a!"), InlineNode::emphasis({text("b!")})}));
            EXPECT_EQ(link->destination, "dest");
        }
        return std::vector<InlineNode>{std::move(node)};
    });
    EXPECT_EQ(order, (std::vector<std::string>{"text a", "text b", "emphasis", "link"}));
    EXPECT_EQ(result, (std::vector<InlineNode>{InlineNode::link("dest", {text("a!"), InlineNode::emphasis({text("b!")})})}));
}

TEST(DocumentTree, RewriteKeepsListStructure) {
    const auto list = BlockNode::numberedList(false, 9, {item({textParagraph("x")}), item({})});
    const auto rewritten = list.rewrite([](InlineNode) { return std::vector<InlineNode>{text("y")}; });
    EXPECT_EQ(rewritten, std::vector<BlockNode>{BlockNode::numberedList(false, 9, {item({textParagraph("y")}), item({})})});
    const auto tasks = BlockNode::taskList(true, {taskItem(true, {textParagraph("x")}), taskItem(false, {})});
    EXPECT_EQ(tasks.rewrite([](InlineNode) { return std::vector<InlineNode>{}; }),
              std::vector<BlockNode>{BlockNode::taskList(true, {taskItem(true, {paragraph({})}), taskItem(false, {})})});
}

TEST(DocumentTree, ErrorsFromTheRewriterReachTheCaller) {
    const auto blocks = everyKindOfNode();
    const auto copy = blocks;
    int calls = 0;
    EXPECT_THROW((void)rewrite(blocks,
                               [&calls](InlineNode node) -> std::vector<InlineNode> {
                                   if (node.is<InlineNode::Code>()) throw std::runtime_error("stop");
                                   ++calls;
                                   return {std::move(node)};
                               }),
                 std::runtime_error);
    EXPECT_GT(calls, 0);
    EXPECT_EQ(blocks, copy);
}

TEST(DocumentTree, ColumnAlignmentRawValues) {
    EXPECT_EQ(rawTableColumnAlignment('\0'), RawTableColumnAlignment::none);
    EXPECT_EQ(rawTableColumnAlignment('l'), RawTableColumnAlignment::left);
    EXPECT_EQ(rawTableColumnAlignment('c'), RawTableColumnAlignment::center);
    EXPECT_EQ(rawTableColumnAlignment('r'), RawTableColumnAlignment::right);
    for (const char other : {'L', 'x', ' ', '0', '\x7f'}) EXPECT_EQ(rawTableColumnAlignment(other), std::nullopt) << other;
    EXPECT_EQ(rawValue(RawTableColumnAlignment::center), 'c');
}

TEST(DocumentTree, NumberedListItemNumbersSaturate) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(numberedListItemNumber(3, 0), 3);
    EXPECT_EQ(numberedListItemNumber(3, 4), 7);
    EXPECT_EQ(numberedListItemNumber(-5, 2), -3);
    EXPECT_EQ(numberedListItemNumber(largest - 1, 1), largest);
    EXPECT_EQ(numberedListItemNumber(largest - 1, 5), largest);
    EXPECT_EQ(numberedListItemNumber(largest, std::numeric_limits<std::size_t>::max()), largest);
    EXPECT_EQ(numberedListItemNumber(std::numeric_limits<std::int64_t>::min(), 1), std::numeric_limits<std::int64_t>::min() + 1);
}

TEST(HTMLTag, ReadsTheFirstTagName) {
    EXPECT_EQ(HTMLTag::parse("<BR/>"), HTMLTag{"br"});
    EXPECT_EQ(HTMLTag::parse("</Em>"), HTMLTag{"em"});
    EXPECT_EQ(HTMLTag::parse("<em>"), HTMLTag::parse("</em>"));
    EXPECT_EQ(HTMLTag::parse("some words and <b>bold</b>"), HTMLTag{"b"});
    EXPECT_EQ(HTMLTag::parse("<a href=\"x\">"), HTMLTag{"a"});
    EXPECT_EQ(HTMLTag::parse("<h1 class=x>"), HTMLTag{"h1"});
    EXPECT_EQ(HTMLTag::parse("plain text"), std::nullopt);
    EXPECT_EQ(HTMLTag::parse("<!-- comment -->"), std::nullopt);
    EXPECT_EQ(HTMLTag::parse("<b"), std::nullopt);
    EXPECT_EQ(HTMLTag::parse(""), std::nullopt);
}

TEST(HTMLTag, SharedPatternWorksFromSeveralThreads) {
    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&wrong, t] {
            for (int i = 0; i < 100; ++i) {
                if (HTMLTag::parse("x <SPAN id=1>") != HTMLTag{"span"}) ++wrong[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

} // namespace
} // namespace ridadozi
