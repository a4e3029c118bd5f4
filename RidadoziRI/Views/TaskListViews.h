#pragma once

// Task lists: as the other lists for level, spacing and styles, with a check-box marker that shows
// whether the item is done. Their markers are neither measured nor aligned.

#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <vector>

namespace ridadozi {

struct TaskListView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _list = themeMember(&Theme::list);
    glimmo::Environment<int> _listLevel = environmentValue<ListLevelKey>();
    bool isTight = true;
    std::vector<RawTaskListItem> items;

    TaskListView(bool isTight, std::vector<RawTaskListItem> items) : isTight(isTight), items(std::move(items)) {}
    glimmo::AnyView body() const;
};

struct TaskListItemView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _listItem = themeMember(&Theme::listItem);
    glimmo::Environment<BlockStyle<TaskListMarkerConfiguration>> _taskListMarker = themeMember(&Theme::taskListMarker);
    RawTaskListItem item;

    explicit TaskListItemView(RawTaskListItem item) : item(std::move(item)) {}
    glimmo::AnyView body() const;
};

} // namespace ridadozi
