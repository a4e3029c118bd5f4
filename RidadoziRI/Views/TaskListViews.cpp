#include "RidadoziRI/Views/TaskListViews.h"

#include "RidadoziRI/Views/BlockNodeView.h"
#include "RidadoziRI/Views/BlockSequence.h"
#include "RidadoziRI/Views/ListViews.h"
#include "platform/view/Label.h"

namespace ridadozi {

glimmo::AnyView TaskListView::body() const {
    const glimmo::AnyView sequence =
        glimmo::AnyView(BlockSequence<RawTaskListItem>(items, [](int, const RawTaskListItem& item) {
            return glimmo::AnyView(TaskListItemView(item));
        })).environment<glimmo::LabelStyleKey>(glimmo::LabelStyle::titleAndIcon);
    return _list->body(BlockConfiguration{blockLabel(insideList(sequence, *_listLevel, isTight)),
                                          MarkdownContent(std::vector<BlockNode>{BlockNode::taskList(isTight, items)})});
}

glimmo::AnyView TaskListItemView::body() const {
    const glimmo::AnyView marker = inTextStyleFont(_taskListMarker->body(TaskListMarkerConfiguration{item.isCompleted}));
    const glimmo::AnyView row = markerRow(marker, blockSequence(item.children));
    return _listItem->body(BlockConfiguration{blockLabel(row), MarkdownContent(item.children)});
}

} // namespace ridadozi
