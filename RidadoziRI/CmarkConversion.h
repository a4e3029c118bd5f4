#pragma once

// Private to the library and its tests: conversion between cmark-gfm node trees and the document tree.

#include "RidadoziRI/CmarkSupport.h"
#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/NodeType.h"

#include <optional>
#include <vector>

namespace ridadozi::cmark {

inline constexpr std::string_view parserSource = "RidadoziRI/MarkdownParser";

// The kind of a cmark node from its type string; stops the program on a string outside NodeType.
NodeType nodeType(cmark_node* node);

// cmark nodes to the document tree. No value for kinds that have no place there (dropped silently);
// a broken promise of cmark-gfm (a list child that is no item, a table child that is no row, ...)
// stops the program.
std::optional<BlockNode> makeBlockNode(cmark_node* node);
std::optional<InlineNode> makeInlineNode(cmark_node* node);
std::vector<BlockNode> blockChildren(cmark_node* node);
std::vector<InlineNode> inlineChildren(cmark_node* node);

// The document tree to new cmark nodes. No node where cmark-gfm refuses one or a needed extension is
// missing. Values cmark-gfm cannot represent are clamped (see the .cpp).
NodePtr makeCmarkNode(const BlockNode& block);
NodePtr makeCmarkNode(const InlineNode& node);

} // namespace ridadozi::cmark
