#pragma once

// Short spellings for writing expected document trees in tests.

#include "RidadoziRI/Document/BlockNode.h"
#include "tests/RidadoziRI/TreePrinting.h"

#include <string>
#include <vector>

namespace ridadozi::testing {

inline InlineNode text(std::string value) { return InlineNode::text(std::move(value)); }
inline BlockNode paragraph(std::vector<InlineNode> content) { return BlockNode::paragraph(std::move(content)); }
inline BlockNode textParagraph(std::string value) { return paragraph({text(std::move(value))}); }
inline RawListItem item(std::vector<BlockNode> children) { return RawListItem{std::move(children)}; }
inline RawTaskListItem taskItem(bool isCompleted, std::vector<BlockNode> children) {
    return RawTaskListItem{isCompleted, std::move(children)};
}
inline RawTableCell cell(std::string value) { return RawTableCell{{text(std::move(value))}}; }
inline RawTableRow row(std::vector<RawTableCell> cells) { return RawTableRow{std::move(cells)}; }

} // namespace ridadozi::testing
