#include "platform/view/Controls/ControlParts.h"
#include "platform/view/Controls/Picker.h"
#include "platform/view/Controls/TabView.h"
#include "platform/view/Label.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"

namespace glimmo {

AnyView TabViewControl::body() const {
    // A tab shows its label as given: the icon beside the title when the label has one.
    const AnyView tabs = PickerControl("", labels_, selectedIndex_, select_, PickerStyle::segmented, true)
                             .fixedSize();
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.maxHeight = infinity;
    fill.alignment = Alignment::top();
    const AnyView page = selectedIndex_ >= 0 ? Branch(static_cast<std::size_t>(selectedIndex_), content_) : AnyView();
    // The row of tabs sits centred on the box's top edge.
    const AnyView box = page.padding(EdgeInsets{22, 12, 12, 12})
                            .frame(fill)
                            .background(controls::bezel(6, Color::controlBackgroundColor().opacity(0.5)))
                            .padding(EdgeSet::top(), 11);
    return ZStack(Alignment::top(), {box, tabs});
}

} // namespace glimmo
