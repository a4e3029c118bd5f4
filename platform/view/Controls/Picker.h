#pragma once

// A picker bound to a selection: one option per tagged label. The style comes from the environment
// (`pickerStyle`): segmented (a row of segments, the selected one highlighted) or menu (a pop-up button
// showing the selected label, which opens the list of options below it, in the window's top layer; a
// click elsewhere closes it); automatic is menu. The title
// stands before the control unless it is empty or labels are hidden.
//
//     Picker<int>("", selectedTab, {{Text("Lumadex"), 0}, {Text("Charts"), 1}}).pickerStyle(PickerStyle::segmented)

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <concepts>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

// One option: its label and the value it stands for (the label's `tag`).
template <class T>
struct PickerOption {
    AnyView label;
    T tag;
};

// The picker's drawing and interaction, by option index (-1: the selection matches no option).
class PickerControl : public View<PickerControl> {
public:
    PickerControl(std::string title, std::vector<AnyView> labels, int selectedIndex, std::function<void(int)> select,
                  std::optional<PickerStyle> style = std::nullopt, bool hideLabel = false);
    AnyView body() const;

private:
    AnyView segmented() const;
    AnyView menu() const;
    std::string title_;
    std::vector<AnyView> labels_;
    int selectedIndex_;
    std::function<void(int)> select_;
    std::optional<PickerStyle> styleOverride_;
    bool hideLabel_ = false;
    State<bool> menuOpen_{false};
    Environment<PickerStyle> style_ = Environment<PickerStyle>::key<PickerStyleKey>();
    Environment<bool> labelsHidden_ = Environment<bool>::key<LabelsHiddenKey>();
};

template <std::equality_comparable T>
class Picker : public View<Picker<T>> {
public:
    Picker(std::string title, Binding<T> selection, std::vector<PickerOption<T>> options)
        : title_(std::move(title)), selection_(std::move(selection)), options_(std::move(options)) {}
    // One option per element of `cases`, labelled by `label(element)` (ForEach inside a picker).
    template <class Collection, class MakeLabel>
    Picker(std::string title, Binding<T> selection, const Collection& cases, MakeLabel label)
        : title_(std::move(title)), selection_(std::move(selection)) {
        for (const auto& c : cases) options_.push_back({AnyView(label(c)), T(c)});
    }
    // On the picker itself these return the picker, so they chain in any order with each other.
    Picker pickerStyle(PickerStyle style) const {
        Picker copy = *this;
        copy.style_ = style;
        return copy;
    }
    Picker labelsHidden() const {
        Picker copy = *this;
        copy.hideLabel_ = true;
        return copy;
    }

    AnyView body() const {
        const T current = selection_.get();
        std::vector<AnyView> labels;
        std::vector<T> tags;
        int selected = -1;
        for (const auto& o : options_) {
            if (selected < 0 && o.tag == current) selected = static_cast<int>(labels.size());
            labels.push_back(o.label);
            tags.push_back(o.tag);
        }
        auto selection = selection_;
        return PickerControl(title_, std::move(labels), selected, [selection, tags](int i) {
            if (i >= 0 && static_cast<std::size_t>(i) < tags.size()) selection.set(tags[static_cast<std::size_t>(i)]);
        }, style_, hideLabel_);
    }

private:
    std::string title_;
    Binding<T> selection_;
    std::vector<PickerOption<T>> options_;
    std::optional<PickerStyle> style_;
    bool hideLabel_ = false;
};

} // namespace glimmo
