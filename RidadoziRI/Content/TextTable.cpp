#include "RidadoziRI/Content/TextTable.h"

namespace ridadozi {

InlineContent detail::plainTextContent(std::string text) {
    return InlineContent(std::vector<InlineNode>{InlineNode::text(std::move(text))});
}

RawTableColumnAlignment TextTable::rawAlignment(const std::optional<TextTableColumnAlignment>& alignment) {
    if (!alignment) return RawTableColumnAlignment::none;
    switch (*alignment) {
    case TextTableColumnAlignment::leading: return RawTableColumnAlignment::left;
    case TextTableColumnAlignment::center: return RawTableColumnAlignment::center;
    case TextTableColumnAlignment::trailing: return RawTableColumnAlignment::right;
    }
    return RawTableColumnAlignment::none;
}

MarkdownContent TextTable::markdownContent() const {
    return MarkdownContent(std::vector<BlockNode>{BlockNode::table(columnAlignments, rows)});
}

} // namespace ridadozi
