// Broken promises of cmark-gfm stop the program with a fixed message. Trees that cmark-gfm itself
// would never produce are built here by hand, through its public node and extension interfaces.

#include "RidadoziRI/CmarkConversion.h"
#include "RidadoziRI/FatalError.h"
#include "RidadoziRI/NodeType.h"
#include "tests/RidadoziRI/TreePrinting.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <gtest/gtest.h>

namespace ridadozi {
namespace {

using cmark::NodePtr;

// The type string cmark-gfm reports for nodes that carry the test extension below.
const char* testTypeString = "bogus";

const char* reportTestTypeString(cmark_syntax_extension*, cmark_node*) { return testTypeString; }

// An extension whose nodes report a type string of our choosing. Owned by the test process; only
// ever made inside a death-test child.
cmark_syntax_extension* makeTypeStringExtension(const char* typeString) {
    testTypeString = typeString;
    cmark_syntax_extension* extension = cmark_syntax_extension_new("ridadozi-test");
    cmark_syntax_extension_set_get_type_string_func(extension, reportTestTypeString);
    return extension;
}

NodePtr documentWith(NodePtr child) {
    NodePtr document(cmark_node_new(CMARK_NODE_DOCUMENT));
    if (cmark_node_append_child(document.get(), child.get())) child.release();
    return document;
}

void convert(const NodePtr& document) { (void)cmark::blockChildren(document.get()); }

// A list whose item reports a kind other than an item: an item made with the table extension,
// whose type-string function knows only the table's own kinds.
NodePtr listWithForeignItem() {
    cmark::ensureExtensionsRegistered();
    NodePtr list(cmark_node_new(CMARK_NODE_LIST));
    NodePtr foreignItem(cmark_node_new_with_ext(CMARK_NODE_ITEM, cmark_find_syntax_extension("table")));
    if (cmark_node_append_child(list.get(), foreignItem.get())) foreignItem.release();
    return list;
}

NodePtr tableFromParser() {
    cmark::ParserPtr parser = cmark::makeParser();
    const std::string_view markdown = "| a |\n| - |\n| b |\n";
    cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
    NodePtr document(cmark_parser_finish(parser.get()));
    NodePtr table(cmark_node_first_child(document.get()));
    cmark_node_unlink(table.get());
    return table;
}

TEST(FatalStopDeathTest, FatalErrorNamesItsSource) {
    EXPECT_DEATH(fatalError("RidadoziRI/MarkdownParser", "Something broke."),
                 "^RidadoziRI/MarkdownParser: Fatal error: Something broke\\.\n");
}

TEST(FatalStopDeathTest, UnknownNodeType) {
    EXPECT_DEATH(
        {
            NodePtr paragraph(cmark_node_new_with_ext(CMARK_NODE_PARAGRAPH, makeTypeStringExtension("bogus_kind")));
            convert(documentWith(std::move(paragraph)));
        },
        "RidadoziRI/MarkdownParser: Fatal error: Unknown node type 'bogus_kind' found\\.");
}

TEST(FatalStopDeathTest, ListWithoutAListType) {
    // A node that reports itself as a list while cmark-gfm has no list type for it.
    EXPECT_DEATH(
        {
            NodePtr fakeList(cmark_node_new_with_ext(CMARK_NODE_PARAGRAPH, makeTypeStringExtension("list")));
            convert(documentWith(std::move(fakeList)));
        },
        "RidadoziRI/MarkdownParser: Fatal error: cmark reported a list node without a list type\\.");
}

TEST(FatalStopDeathTest, ListChildThatIsNotAnItem) {
    EXPECT_DEATH(convert(documentWith(listWithForeignItem())),
                 "RidadoziRI/MarkdownParser: Fatal error: Expected a list item but got a 'unknown' instead\\.");
}

TEST(FatalStopDeathTest, TaskListChildThatIsNotAnItem) {
    EXPECT_DEATH(
        {
            NodePtr list = listWithForeignItem();
            NodePtr taskItem(cmark_node_new_with_ext(CMARK_NODE_ITEM, cmark_find_syntax_extension("tasklist")));
            if (cmark_node_prepend_child(list.get(), taskItem.get())) taskItem.release();
            convert(documentWith(std::move(list)));
        },
        "Fatal error: Expected a list item but got a 'unknown' instead\\.");
}

TEST(FatalStopDeathTest, TableChildThatIsNotARow) {
    EXPECT_DEATH(
        {
            NodePtr table = tableFromParser();
            const cmark_node_type rowKind = cmark::extensionNodeKinds().tableRow;
            NodePtr foreignRow(cmark_node_new_with_ext(rowKind, cmark_find_syntax_extension("strikethrough")));
            if (cmark_node_append_child(table.get(), foreignRow.get())) foreignRow.release();
            convert(documentWith(std::move(table)));
        },
        "RidadoziRI/MarkdownParser: Fatal error: Expected a table row but got a 'unknown' instead\\.");
}

TEST(FatalStopDeathTest, RowChildThatIsNotACell) {
    EXPECT_DEATH(
        {
            NodePtr table = tableFromParser();
            const cmark_node_type cellKind = cmark::extensionNodeKinds().tableCell;
            NodePtr foreignCell(cmark_node_new_with_ext(cellKind, cmark_find_syntax_extension("strikethrough")));
            if (cmark_node_append_child(cmark_node_last_child(table.get()), foreignCell.get())) foreignCell.release();
            convert(documentWith(std::move(table)));
        },
        "RidadoziRI/MarkdownParser: Fatal error: Expected a table cell but got a 'unknown' instead\\.");
}

// The same hand-made shapes where they are sound convert without stopping.
TEST(FatalStop, SoundHandMadeTreesConvert) {
    NodePtr table = tableFromParser();
    const auto blocks = cmark::blockChildren(documentWith(std::move(table)).get());
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(blocks[0].is<BlockNode::Table>());
}

NodePtr textNode(const char* literal) {
    NodePtr text(cmark_node_new(CMARK_NODE_TEXT));
    cmark_node_set_literal(text.get(), literal);
    return text;
}

void appendChild(const NodePtr& parent, NodePtr child) {
    ASSERT_TRUE(cmark_node_append_child(parent.get(), child.get()));
    child.release();
}

// Kinds the tree has no place for are dropped with everything below them; their siblings stay.
TEST(FatalStop, CustomBlocksAndInlinesAreDroppedWithTheirContent) {
    NodePtr customBlock(cmark_node_new(CMARK_NODE_CUSTOM_BLOCK));
    NodePtr hidden(cmark_node_new(CMARK_NODE_PARAGRAPH));
    appendChild(hidden, textNode("inside the custom block"));
    appendChild(customBlock, std::move(hidden));

    NodePtr customInline(cmark_node_new(CMARK_NODE_CUSTOM_INLINE));
    appendChild(customInline, textNode("inside the custom inline"));
    NodePtr paragraph(cmark_node_new(CMARK_NODE_PARAGRAPH));
    appendChild(paragraph, textNode("before"));
    appendChild(paragraph, std::move(customInline));
    appendChild(paragraph, textNode("after"));

    NodePtr document = documentWith(std::move(customBlock));
    appendChild(document, std::move(paragraph));
    EXPECT_EQ(cmark::blockChildren(document.get()),
              (std::vector<BlockNode>{BlockNode::paragraph({InlineNode::text("before"), InlineNode::text("after")})}));
}

TEST(FatalStop, ExtensionNodeKindsAreDistinctExtensionKinds) {
    const auto& kinds = cmark::extensionNodeKinds();
    for (const cmark_node_type kind : {kinds.table, kinds.tableRow, kinds.tableCell, kinds.strikethrough}) {
        EXPECT_NE(kind, CMARK_NODE_NONE);
        EXPECT_GT(kind & CMARK_NODE_VALUE_MASK, CMARK_NODE_FOOTNOTE_DEFINITION & CMARK_NODE_VALUE_MASK);
    }
    EXPECT_EQ(kinds.table & CMARK_NODE_TYPE_MASK, CMARK_NODE_TYPE_BLOCK);
    EXPECT_EQ(kinds.strikethrough & CMARK_NODE_TYPE_MASK, CMARK_NODE_TYPE_INLINE);
    EXPECT_NE(kinds.table, kinds.tableRow);
    EXPECT_NE(kinds.tableRow, kinds.tableCell);
}

TEST(NodeTypes, RawValuesAndCaseNames) {
    EXPECT_EQ(nodeTypeFromRawValue("block_quote"), NodeType::blockquote);
    EXPECT_EQ(nodeTypeFromRawValue("table_header"), NodeType::tableHead);
    EXPECT_EQ(nodeTypeFromRawValue("tasklist"), NodeType::taskListItem);
    EXPECT_EQ(nodeTypeFromRawValue("<unknown>"), NodeType::unknown);
    EXPECT_EQ(nodeTypeFromRawValue("NONE"), NodeType::none);
    EXPECT_EQ(nodeTypeFromRawValue("footnote_definition"), std::nullopt);
    EXPECT_EQ(nodeTypeFromRawValue(""), std::nullopt);
    EXPECT_EQ(caseName(NodeType::tableHead), "tableHead");
    EXPECT_EQ(rawValue(NodeType::html), "html_inline");
    EXPECT_EQ(rawValue(NodeType::inlineAttributes), "attribute");
    for (int i = 0; i <= static_cast<int>(NodeType::taskListItem); ++i) {
        const auto type = static_cast<NodeType>(i);
        EXPECT_EQ(nodeTypeFromRawValue(rawValue(type)), type) << caseName(type);
    }
}

} // namespace
} // namespace ridadozi
