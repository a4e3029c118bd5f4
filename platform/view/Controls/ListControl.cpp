#include "platform/view/Controls/List.h"

#include "platform/view/Controls/ControlParts.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"

#include <algorithm>

namespace glimmo {

AnyView ListControl::body() const {
    const std::shared_ptr<const AnyHashable> selected = *selection_;
    auto selection = selection_;
    std::vector<AnyHashable> ids;
    for (const ListRow& r : rows_) ids.push_back(r.id);

    std::vector<ForEach::Element> elements;
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.alignment = Alignment::leading();
    for (const ListRow& r : rows_) {
        const bool isSelected = selected && *selected == r.id;
        AnyView row = r.view.padding(EdgeInsets{4, 10, 4, 10}).frame(fill).contentShape(Rectangle());
        if (isSelected) row = row.background(controls::selectionColor().opacity(0.25), RoundedRectangle(4));
        const AnyHashable id = r.id;
        elements.push_back({r.id, row.onTapGesture([selection, id] { selection.set(std::make_shared<const AnyHashable>(id)); })});
    }

    auto onDelete = onDelete_;
    const auto handleKey = [selection, ids, onDelete](const KeyEvent& e) {
        const std::shared_ptr<const AnyHashable> current = *selection;
        const auto it = current ? std::find(ids.begin(), ids.end(), *current) : ids.end();
        const bool found = it != ids.end();
        const auto position = static_cast<std::size_t>(it - ids.begin());
        if (e.key == "Delete" || e.key == "Backspace") {
            // A selection whose row has gone deletes nothing.
            if (!found || !onDelete || !*onDelete) return found;
            selection.set(nullptr);
            (*onDelete)({position});
            return true;
        }
        if ((e.key == "Up" || e.key == "Down") && !ids.empty()) {
            std::size_t next = e.key == "Down" ? 0 : ids.size() - 1;
            if (found) next = e.key == "Down" ? std::min(position + 1, ids.size() - 1) : (position == 0 ? 0 : position - 1);
            selection.set(std::make_shared<const AnyHashable>(ids[next]));
            return true;
        }
        return false;
    };
    FlexibleFrame area;
    area.maxWidth = infinity;
    area.maxHeight = infinity;
    area.alignment = Alignment::topLeading();
    return ScrollView(VStack(HorizontalAlignment::leading(), 0, {AnyView(ForEach(std::move(elements)))}).padding(EdgeSet::vertical(), 4))
        .frame(area)
        .background(controls::bezel(4, Color::controlBackgroundColor()))
        .focusable()
        .onKeyPress(handleKey);
}

} // namespace glimmo
