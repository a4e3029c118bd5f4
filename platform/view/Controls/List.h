#pragma once

// A list of identified rows in a framed, scrolling column. A click on a row selects it (highlighted);
// with the list focused, Up and Down move the selection and Delete or Backspace pass the selected row's
// position to the `onDelete` action (the desktop's delete of selected rows).
//
//     List(categories, [](const Category& c) { return c.id; }, [&](const Category& c) { return row(c); })
//         .onDelete([model](const std::vector<std::size_t>& offsets) { model->deleteCategory(offsets); })

#include "platform/view/AnyHashable.h"
#include "platform/view/State.h"
#include "platform/view/View.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace glimmo {

struct ListRow {
    AnyHashable id;
    AnyView view;
};

// The drawing and interaction of a list's rows.
class ListControl : public View<ListControl> {
public:
    ListControl(std::vector<ListRow> rows, std::shared_ptr<const std::function<void(const std::vector<std::size_t>&)>> onDelete)
        : rows_(std::move(rows)), onDelete_(std::move(onDelete)) {}
    AnyView body() const;

private:
    std::vector<ListRow> rows_;
    std::shared_ptr<const std::function<void(const std::vector<std::size_t>&)>> onDelete_;
    // The selected row's id (none: no selection); boxed, as state needs values it can compare.
    State<std::shared_ptr<const AnyHashable>> selection_{nullptr};
};

class List : public View<List> {
public:
    template <class Collection, class IdOf, class Build>
        requires std::invocable<Build, const typename Collection::value_type&>
    List(const Collection& data, IdOf idOf, Build build) {
        for (const auto& item : data) rows_.push_back({AnyHashable(idOf(item)), AnyView(build(item))});
    }
    // onDelete(perform:) of the rows' ForEach: receives the positions of the rows to delete.
    List onDelete(std::function<void(const std::vector<std::size_t>&)> action) const {
        List copy = *this;
        copy.onDelete_ = std::make_shared<const std::function<void(const std::vector<std::size_t>&)>>(std::move(action));
        return copy;
    }
    AnyView body() const { return ListControl(rows_, onDelete_); }

private:
    std::vector<ListRow> rows_;
    std::shared_ptr<const std::function<void(const std::vector<std::size_t>&)>> onDelete_;
};

} // namespace glimmo
