#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {
namespace {

struct TapParams {
    int count;
    std::function<void()> action;
};

// Runs the action when a press that started on the view is released over it.
class TapNode final : public ModifierNode<TapNode, TapParams> {
public:
    bool handlePointer(const PointerEvent& e) override {
        if (!environment.isEnabled() || e.button != MouseButton::left) return false;
        if (e.kind == PointerEvent::Kind::pressed) return e.clickCount >= params.count || params.count <= 1;
        if (e.kind == PointerEvent::Kind::released && elementsFrame().contains(e.location)) {
            if (params.action) params.action();
            return true;
        }
        return e.kind != PointerEvent::Kind::moved;
    }
};

class HoverNode final : public ModifierNode<HoverNode, std::function<void(bool)>> {
public:
    bool acceptsHover() const override { return true; }
    void setHovered(bool inside) override {
        if (params) params(inside);
    }
};

class HelpNode final : public ModifierNode<HelpNode, std::string> {
public:
    bool acceptsHover() const override { return true; }
    std::optional<std::string> helpText() const override { return params; }
};

class FocusableNode final : public ModifierNode<FocusableNode, bool> {
public:
    bool acceptsFocus() const override { return params && environment.isEnabled(); }
};

// Keeps a focus binding and the kit's focus in step. The binding stands for the first focusable view
// inside (a text field in a wrapper), or for this view when nothing inside takes focus: focus entering
// sets it true, leaving sets it false; the program setting it true moves the focus there at the next
// update, setting it false takes the focus away.
class FocusedNode final : public ModifierNode<FocusedNode, std::shared_ptr<Binding<bool>>> {
public:
    bool acceptsFocus() const override { return environment.isEnabled() && !focusableInside(); }
    void setFocusWithin(bool within) override {
        if (params->get() != within) params->set(within);
    }

protected:
    void didUpdate() override {
        if (!graph) return;
        const bool wanted = params->get();
        if (wanted == containsNode(graph->focusedNode())) return;
        std::weak_ptr<bool> weak = aliveFlag();
        graph->enqueueAction([this, weak] {
            auto a = weak.lock();
            if (!a || !*a) return;
            const bool want = params->get();
            const bool within = containsNode(graph->focusedNode());
            if (want && !within) {
                ViewNode* inside = focusableInside();
                graph->focus(inside ? inside : this);
            } else if (!want && within) {
                graph->focus(nullptr);
            }
        });
    }

private:
    static ViewNode* firstFocusable(const ViewNode& node) {
        for (const auto& c : node.children) {
            if (c->acceptsFocus()) return c.get();
            if (ViewNode* inside = firstFocusable(*c)) return inside;
        }
        return nullptr;
    }
    ViewNode* focusableInside() const { return firstFocusable(*this); }
};

class KeyPressNode final : public ModifierNode<KeyPressNode, std::function<bool(const KeyEvent&)>> {
public:
    bool handleKey(const KeyEvent& e) override { return params && params(e); }
};

} // namespace

namespace modifiers {
AnyView onTapGesture(AnyView v, int count, std::function<void()> action) {
    return modify<TapNode>(std::move(v), TapParams{count, std::move(action)});
}
AnyView onHover(AnyView v, std::function<void(bool)> action) { return modify<HoverNode>(std::move(v), std::move(action)); }
AnyView help(AnyView v, std::string text) { return modify<HelpNode>(std::move(v), std::move(text)); }
AnyView focusable(AnyView v, bool focusable) { return modify<FocusableNode>(std::move(v), focusable); }
AnyView focused(AnyView v, Binding<bool> condition) {
    return modify<FocusedNode>(std::move(v), std::make_shared<Binding<bool>>(std::move(condition)));
}
AnyView onKeyPress(AnyView v, std::function<bool(const KeyEvent&)> action) {
    return modify<KeyPressNode>(std::move(v), std::move(action));
}
} // namespace modifiers

} // namespace glimmo
