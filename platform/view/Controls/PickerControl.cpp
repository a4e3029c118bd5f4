#include "platform/view/Controls/Picker.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/ControlParts.h"
#include "platform/view/Image.h"
#include "platform/view/Presentation.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

namespace glimmo {
namespace {

constexpr CGFloat controlRadius = 5;

AnyView segment(const AnyView& label, bool selected, std::function<void()> action) {
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    AnyView face = label.padding(EdgeInsets{3, 10, 3, 10})
                       .frame(fill)
                       .foregroundColor(selected ? std::optional<Color>(Color::white()) : std::nullopt);
    if (selected) face = face.background(Color::accentColor(), RoundedRectangle(controlRadius - 1));
    return Button(std::move(action), face.contentShape(Rectangle())).buttonStyle(controls::bareButtonStyle());
}

} // namespace

PickerControl::PickerControl(std::string title, std::vector<AnyView> labels, int selectedIndex, std::function<void(int)> select,
                             std::optional<PickerStyle> style, bool hideLabel)
    : title_(std::move(title)), labels_(std::move(labels)), selectedIndex_(selectedIndex), select_(std::move(select)),
      styleOverride_(style), hideLabel_(hideLabel) {}

AnyView PickerControl::body() const {
    AnyView control = styleOverride_.value_or(*style_) == PickerStyle::segmented ? segmented() : menu();
    if (hideLabel_ || *labelsHidden_ || title_.empty()) return control.accessibilityLabel(title_);
    return HStack({Text(title_), control});
}

AnyView PickerControl::segmented() const {
    std::vector<AnyView> segments;
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        if (i > 0) {
            const bool besideSelection = static_cast<int>(i) == selectedIndex_ || static_cast<int>(i) - 1 == selectedIndex_;
            segments.push_back(Rectangle().fill(besideSelection ? Color::clear() : controls::borderColor()).frame(1, 14));
        }
        auto select = select_;
        const int index = static_cast<int>(i);
        segments.push_back(segment(labels_[i], index == selectedIndex_, [select, index] { select(index); }));
    }
    return HStack(VerticalAlignment::center(), 0, std::move(segments))
        .padding(1)
        .background(controls::bezel(controlRadius, Color::controlColor()));
}

AnyView PickerControl::menu() const {
    const bool open = *menuOpen_;
    auto menuOpen = menuOpen_;
    const AnyView current = selectedIndex_ >= 0 ? labels_[static_cast<std::size_t>(selectedIndex_)] : AnyView(Text(""));
    const AnyView button =
        Button([menuOpen] { menuOpen.set(!*menuOpen); },
               HStack(VerticalAlignment::center(), 6, {current, Image::systemName("chevron.down").font(Font::system(9))})
                   .padding(EdgeInsets{3, 8, 3, 6})
                   .background(controls::bezel(controlRadius, Color::controlColor()))
                   .contentShape(Rectangle()))
            .buttonStyle(controls::bareButtonStyle());
    if (!open) return presentation(button, std::nullopt, PresentationPlacement::belowAnchor);

    // The open list hangs below the button, the selected option checked.
    std::vector<AnyView> rows;
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        const int index = static_cast<int>(i);
        auto select = select_;
        FlexibleFrame fill;
        fill.maxWidth = infinity;
        fill.alignment = Alignment::leading();
        const AnyView mark = index == selectedIndex_ ? controls::checkmark(10)
                                                     : AnyView(Color::clear()).frame(10, 10);
        rows.push_back(Button([select, menuOpen, index] {
                                  menuOpen.set(false);
                                  select(index);
                              },
                              HStack(VerticalAlignment::center(), 6, {mark, labels_[i]})
                                  .padding(EdgeInsets{3, 8, 3, 12})
                                  .frame(fill)
                                  .contentShape(Rectangle()))
                           .buttonStyle(controls::bareButtonStyle())
                           .accessibilityLabel("option " + std::to_string(index)));
    }
    const AnyView list = VStack(HorizontalAlignment::leading(), 0, std::move(rows))
                             .fixedSize()
                             .padding(EdgeInsets{4, 0, 4, 0})
                             .background(controls::bezel(6, Color::controlBackgroundColor()))
                             .shadow(Color::black().opacity(0.2), 4, 0, 2);
    // The list lies in the window's top layer, so views laid out after the picker neither cover it nor
    // take its clicks; a click elsewhere closes it.
    return presentation(button, list, PresentationPlacement::belowAnchor, [menuOpen] { menuOpen.set(false); });
}

} // namespace glimmo
