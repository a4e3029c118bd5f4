#pragma once

// Private to the library and its tests: conversion between cmark-gfm node trees and the document tree.

#include "RidadoziRI/CmarkSupport.h"
#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/Document/NestingLimit.h"
#include "RidadoziRI/NodeType.h"

#include <optional>
#include <vector>

namespace ridadozi::cmark {

inline constexpr std::string_view parserSource = "RidadoziRI/MarkdownParser";

// The kind of a cmark node from its type string; stops the program on a string outside NodeType.
NodeType nodeType(cmark_node* node);

// cmark nodes to the document tree. No value (nothing appended) for kinds that have no place there
// (dropped silently); a broken promise of cmark-gfm (a list child that is no item, a table child that
// is no row, ...) stops the program.
// `level` is the nesting level of `node` among blocks (children of the document are at level 1), or
// among the inlines of one block. Quotes, lists and inline containers nested deeper than
// maximumNesting are dissolved as limitingNesting does: what they hold takes their place.
std::optional<BlockNode> makeBlockNode(cmark_node* node, int level = 1);
// An inline node is a large value: it is built in place at the end of `inlines`.
void appendInlineNode(cmark_node* node, int level, std::vector<InlineNode>& inlines);
// The converted children of `node`; they are at `level`.
std::vector<BlockNode> blockChildren(cmark_node* node, int level = 1);
std::vector<InlineNode> inlineChildren(cmark_node* node, int level = 1);

// The document tree to new cmark nodes, in the current arena. No node where cmark-gfm refuses one or
// a needed extension is missing. Values cmark-gfm cannot represent are clamped (see the .cpp). The
// conversion recurses: the tree must be nested no deeper than limitingNesting leaves it.
NodePtr makeCmarkNode(const BlockNode& block);
NodePtr makeCmarkNode(const InlineNode& node);

} // namespace ridadozi::cmark
