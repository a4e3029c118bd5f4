#pragma once

// Hosts a view with the deterministic measurer and finds nodes by accessibility label, for layout and
// behaviour tests.

#include "platform/view/Layout.h"
#include "platform/view/Preferences.h"
#include "platform/view/State.h"
#include "platform/view/ViewGraph.h"
#include "platform/view/ViewHost.h"
#include "platform/view/ViewNode.h"

#include <functional>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace glimmo::testing {

inline ViewNode* findLabelled(ViewNode* node, const std::string& label) {
    if (!node) return nullptr;
    if (node->accessibilityLabel() == label) return node;
    for (auto& c : node->children) {
        if (ViewNode* hit = findLabelled(c.get(), label)) return hit;
    }
    return nullptr;
}

// In the tree, then in the presentation layer (menus, alerts).
inline ViewNode* findLabelled(ViewGraph& graph, const std::string& label) {
    if (ViewNode* hit = findLabelled(graph.root(), label)) return hit;
    for (ViewNode* layer : graph.presentedLayers()) {
        if (ViewNode* hit = findLabelled(layer, label)) return hit;
    }
    return nullptr;
}

// A value views observe.
struct Knob : ObservableObject {
    Published<int> value{*this, 0};
};

// A preference summed over the subtree.
struct SumKey {
    using Value = int;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value += next(); }
};

// A preference that gathers the anchors of every view setting it, in order.
struct AnchorsKey {
    using Value = std::vector<Anchor<CGRect>>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const auto& a : next()) value.push_back(a);
    }
};

// One line per drawn item: its kind, and where texts and fills are drawn, for comparing two drawings.
inline std::string describe(const DisplayList& list) {
    std::ostringstream out;
    for (const auto& item : list.items) {
        out << item.index();
        if (const auto* text = std::get_if<TextItem>(&item)) {
            out << " " << text->origin.x << "," << text->origin.y;
            for (const auto& r : text->runs) out << " " << r.text;
        } else if (const auto* fill = std::get_if<FillItem>(&item)) {
            const CGRect r = fill->path.boundingRect();
            out << " " << r.minX() << "," << r.minY() << " " << r.width() << "x" << r.height();
        }
        out << "\n";
    }
    return out.str();
}

// What a new window of `root` at `size` draws, described.
inline std::string drawnByANewWindow(const AnyView& root, CGSize size) {
    ViewHost fresh(root, std::make_shared<FixedAdvanceTextMeasurer>());
    fresh.setSize(size);
    return describe(fresh.displayList());
}

class TestHost {
public:
    explicit TestHost(AnyView root, CGSize size = {400, 300})
        : host_(std::move(root), std::make_shared<FixedAdvanceTextMeasurer>()) {
        host_.setSize(size);
        host_.update();
    }
    ViewHost& host() { return host_; }
    // The frame of the view carrying `accessibilityLabel(label)`, in window coordinates.
    CGRect frame(const std::string& label) {
        host_.update();
        ViewNode* node = findLabelled(host_.graph(), label);
        if (!node) throw std::runtime_error("no view labelled " + label);
        return node->inWindow(node->elementsFrame());
    }
    bool has(const std::string& label) {
        host_.update();
        return findLabelled(host_.graph(), label) != nullptr;
    }
    static PointerEvent pointer(PointerEvent::Kind kind, CGPoint p) {
        PointerEvent e;
        e.kind = kind;
        e.location = p;
        return e;
    }
    void clickAt(CGPoint p) {
        host_.handlePointer(pointer(PointerEvent::Kind::pressed, p));
        host_.handlePointer(pointer(PointerEvent::Kind::released, p));
        host_.update();
    }
    void click(const std::string& label) {
        const CGRect f = frame(label);
        clickAt(CGPoint{f.midX(), f.midY()});
    }
    void moveTo(CGPoint p) {
        host_.handlePointer(pointer(PointerEvent::Kind::moved, p));
        host_.update();
    }

private:
    ViewHost host_;
};

// Lays its one subview out at its own size and counts how often it places it.
struct CountingLayout final : Layout {
    explicit CountingLayout(std::shared_ptr<int> p) : placements(std::move(p)) {}
    std::shared_ptr<int> placements;
    CGSize sizeThatFits(const ProposedViewSize& p, const LayoutSubviews& s) const override { return s.front().sizeThatFits(p); }
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& p, const LayoutSubviews& s) const override {
        ++*placements;
        s.front().place(bounds.origin, UnitPoint::topLeading(), p);
    }
};

} // namespace glimmo::testing
