#pragma once

// Private to the library and its tests: conversion between cmark-gfm node trees and the document tree.

#include "RidadoziRI/CmarkSupport.h"
#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/NodeType.h"

#include <optional>
#include <vector>

namespace ridadozi::cmark {

inline constexpr std::string_view parserSource = "RidadoziRI/MarkdownParser";

// Nodes nested deeper than this are dropped with everything below them, when parsing and when
// rendering back. cmark-gfm itself has no such limit, and the tree's conversions, comparisons and
// views walk it recursively: a few thousand nested quotes or emphasis markers would otherwise
// exhaust the stack. Real documents stay far below it.
inline constexpr int maximumNestingDepth = 128;

// The kind of a cmark node from its type string; stops the program on a string outside NodeType.
NodeType nodeType(cmark_node* node);

// cmark nodes to the document tree. No value for kinds that have no place there (dropped silently);
// a broken promise of cmark-gfm (a list child that is no item, a table child that is no row, ...)
// stops the program.
// `depth` is the nesting depth of `node` (children of the document are at depth 1).
std::optional<BlockNode> makeBlockNode(cmark_node* node, int depth = 1);
std::optional<InlineNode> makeInlineNode(cmark_node* node, int depth = 1);
// The converted children of `node`, which is at `depth`.
std::vector<BlockNode> blockChildren(cmark_node* node, int depth = 0);
std::vector<InlineNode> inlineChildren(cmark_node* node, int depth = 0);

// The document tree to new cmark nodes. No node where cmark-gfm refuses one or a needed extension is
// missing. Values cmark-gfm cannot represent are clamped (see the .cpp).
NodePtr makeCmarkNode(const BlockNode& block, int depth = 1);
NodePtr makeCmarkNode(const InlineNode& node, int depth = 1);

} // namespace ridadozi::cmark
