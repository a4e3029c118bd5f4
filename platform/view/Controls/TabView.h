#pragma once

// A tab view bound to a selection: the tabs' titles as a row of tabs centred over a framed box that
// shows the content of the selected tab. Each tab's content is its own identity, so switching tabs
// makes the content afresh.
//
//     TabView<int>(selectedTab, {{Label("Categories", "folder"), 0, categoriesTab}, {Label("Settings", "gear"), 1, settingsTab}})

#include "platform/view/State.h"
#include "platform/view/View.h"

#include <concepts>
#include <functional>
#include <vector>

namespace glimmo {

template <class T>
struct Tab {
    AnyView label;   // tabItem
    T tag;
    AnyView content;
};

// The drawing and interaction, by tab index (-1: no tab has the selection's tag).
class TabViewControl : public View<TabViewControl> {
public:
    TabViewControl(std::vector<AnyView> labels, int selectedIndex, std::function<void(int)> select, AnyView content)
        : labels_(std::move(labels)), selectedIndex_(selectedIndex), select_(std::move(select)), content_(std::move(content)) {}
    AnyView body() const;

private:
    std::vector<AnyView> labels_;
    int selectedIndex_;
    std::function<void(int)> select_;
    AnyView content_;
};

template <std::equality_comparable T>
class TabView : public View<TabView<T>> {
public:
    TabView(Binding<T> selection, std::vector<Tab<T>> tabs) : selection_(std::move(selection)), tabs_(std::move(tabs)) {}
    AnyView body() const {
        const T current = selection_.get();
        std::vector<AnyView> labels;
        std::vector<T> tags;
        int selected = -1;
        for (const auto& tab : tabs_) {
            if (selected < 0 && tab.tag == current) selected = static_cast<int>(labels.size());
            labels.push_back(tab.label);
            tags.push_back(tab.tag);
        }
        auto selection = selection_;
        const AnyView content = selected >= 0 ? tabs_[static_cast<std::size_t>(selected)].content : AnyView();
        return TabViewControl(std::move(labels), selected, [selection, tags](int i) {
            if (i >= 0 && static_cast<std::size_t>(i) < tags.size()) selection.set(tags[static_cast<std::size_t>(i)]);
        }, content);
    }

private:
    Binding<T> selection_;
    std::vector<Tab<T>> tabs_;
};

} // namespace glimmo
