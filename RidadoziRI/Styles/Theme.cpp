#include "RidadoziRI/Styles/Theme.h"

#include "RidadoziRI/Styles/ListMarkers.h"
#include "RidadoziRI/Styles/TextStyles.h"

#include "platform/view/Stacks.h"

namespace ridadozi {

Theme::Theme()
    : text(EmptyTextStyle{}),
      code(FontFamilyVariant{FontProperties::FamilyVariant::monospaced}),
      emphasis(FontStyle{FontProperties::Style::italic}),
      strong(FontWeight{glimmo::Font::Weight::semibold()}),
      strikethrough(StrikethroughStyle{glimmo::LineStyle::single()}),
      link(EmptyTextStyle{}),
      headings(6, BlockStyle<BlockConfiguration>::labelOnly()),
      paragraph(BlockStyle<BlockConfiguration>::labelOnly()),
      blockquote(BlockStyle<BlockConfiguration>::labelOnly()),
      codeBlock(BlockStyle<CodeBlockConfiguration>::labelOnly()),
      image(BlockStyle<BlockConfiguration>::labelOnly()),
      list(BlockStyle<BlockConfiguration>::labelOnly()),
      listItem(BlockStyle<BlockConfiguration>::labelOnly()),
      taskListMarker(ListMarkers::checkboxTaskMarker()),
      bulletedListMarker(ListMarkers::bulletMarkerByLevel()),
      numberedListMarker(ListMarkers::decimalNumberMarker()),
      table(BlockStyle<BlockConfiguration>::labelOnly()),
      tableCell(BlockStyle<TableCellConfiguration>::labelOnly()),
      thematicBreak(BlockStyle<EmptyBlockConfiguration>::initWithoutConfiguration([] { return glimmo::Divider(); })) {}

} // namespace ridadozi
