#pragma once

// Helpers for defining primitive views and their nodes (internal to the kit).

#include "platform/view/NodeKinds.h"
#include "platform/view/ViewNode.h"

#include <concepts>
#include <memory>
#include <typeindex>

namespace glimmo {

// Content holding `Data` and making nodes of type `Node`; views of one Node type share identity kind.
// Each Node type that can be made is in the table of node kinds (NodeKinds.h).
template <class Node, class Data>
class SimpleContent final : public ViewContent {
public:
    explicit SimpleContent(Data d) : data(std::move(d)) { (void)registered_; }
    std::type_index kind() const override { return typeid(Node); }
    std::unique_ptr<ViewNode> makeNode(const std::shared_ptr<const ViewContent>&) const override {
        return std::make_unique<Node>();
    }
    Data data;

private:
    static inline const bool registered_ = registerNodeKind(typeid(Node));
};

template <class Node, class Data>
AnyView makeView(Data data) {
    return AnyView(std::shared_ptr<const ViewContent>(std::make_shared<const SimpleContent<Node, Data>>(std::move(data))));
}

template <class Node, class Data>
const Data& contentData(const std::shared_ptr<const ViewContent>& c) {
    return static_cast<const SimpleContent<Node, Data>&>(*c).data;
}

// A node laid out as its children's elements: a single element (the usual case) is asked directly,
// without collecting a list.
class ContentLayoutNode : public ViewNode {
public:
    std::vector<ViewNode*> contentElements() const { return childElements(); }
    CGSize contentSize(const ProposedViewSize& p) {
        if (ViewNode* e = onlyElement()) return e->sizeThatFits(p);
        return sizeOfContent(contentElements(), p);
    }
    void placeContentIn(const CGRect& bounds, const ProposedViewSize& p) {
        if (ViewNode* e = onlyElement()) e->place(bounds, p);
        else placeContent(contentElements(), bounds, p);
    }
    std::optional<CGFloat> contentAlignmentFor(AlignmentKey key, CGSize size) {
        if (ViewNode* e = onlyElement()) return e->explicitAlignment(key, size);
        return contentAlignment(contentElements(), key, size);
    }
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey id, CGSize size) override {
        return contentAlignmentFor(id, size);
    }
    double layoutPriority() const override {
        ViewNode* e = onlyElement();
        return e ? e->traits().priority : 0;
    }

protected:
    // Its content is laid out as itself: what it inherits is what its content inherits.
    std::optional<InheritedLayout> layoutForChild(const ViewNode&) const override { return std::nullopt; }
    CGSize computeSize(const ProposedViewSize& p) override { return contentSize(p); }
    void placeChildren() override { placeContentIn(frame, placedProposal); }
};

// A node that lends its children's elements to its parent (groups, user views, ids).
class TransparentNode : public ContentLayoutNode {
public:
    void collectElements(std::vector<ViewNode*>& out) override {
        for (auto& c : children) c->collectElements(out);
    }
    bool isLayoutElement() const override { return false; }
};

// A node with one content child that it lays out as one view (modifiers).
class SingleChildNode : public ContentLayoutNode {
public:
    std::optional<CGFloat> spacerMinLength() const override {
        ViewNode* e = onlyElement();
        return e ? e->traits().spacerMinLength : std::nullopt;
    }
    std::optional<HorizontalAlignment> gridColumnAlignment() const override {
        ViewNode* e = onlyElement();
        return e ? e->traits().gridColumnAlignment : std::nullopt;
    }
};

// A node that lays its children's elements out as a stack, its layout kept until it changes.
class StackedNode : public ViewNode {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey id, CGSize size) override {
        return layout_.explicitAlignment(childElements(), id, size, &cache_);
    }

protected:
    std::optional<InheritedLayout> layoutForChild(const ViewNode&) const override { return InheritedLayout{layout_.axis}; }
    CGSize computeSize(const ProposedViewSize& p) override { return layout_.sizeThatFits(childElements(), p, &cache_); }
    void placeChildren() override { layout_.place(childElements(), frame, placedProposal, &cache_); }
    void layoutCacheReset() override { cache_ = StackCache{}; }

    StackLayout layout_;

private:
    StackCache cache_;
};

// A node laid out as its primary view, its first child, with a layer of its own beside it (overlays,
// backgrounds, layers built from preferences).
class PrimaryLayerNode : public ViewNode {
public:
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        return contentAlignment(primary(), key, size);
    }

protected:
    // The primary view's key, by which it is known from the moment it is made, before this node holds it.
    static const AnyHashable& primaryKey() {
        static const AnyHashable key(0);
        return key;
    }
    // The primary view is laid out as this node; the layer is a view of its own.
    std::optional<InheritedLayout> layoutForChild(const ViewNode& child) const override {
        if (child.key == primaryKey()) return std::nullopt;
        return InheritedLayout{};
    }
    CGSize computeSize(const ProposedViewSize& p) override { return sizeOfContent(primary(), p); }
    std::vector<ViewNode*> primary() const {
        std::vector<ViewNode*> out;
        if (!children.empty()) children[0]->collectElements(out);
        return out;
    }
};

// Content of a modifier: its parameters and the view it modifies.
template <class Params>
struct Modified {
    AnyView view;
    Params params;
};

// Defines a modifier node: keeps its parameters and reconciles its one child. `Self` is the node type.
template <class Self, class Params>
class ModifierNode : public SingleChildNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<Self, Modified<Params>>(c);
        params = data.params;
        willUpdateChild();
        reconcileSingleChild(data.view, childEnvironment(env));
        didUpdate();
    }
    // Equal parameters in the same environment lay out and draw alike.
    bool keepsLayoutWith(const ViewContent& next, const EnvironmentValues& env) const override {
        if constexpr (std::equality_comparable<Params>) {
            return static_cast<const SimpleContent<Self, Modified<Params>>&>(next).data.params == params && environment.sameAs(env);
        } else {
            return false;
        }
    }
    Params params;

protected:
    virtual EnvironmentValues childEnvironment(const EnvironmentValues& env) { return env; }
    virtual void willUpdateChild() {}
    virtual void didUpdate() {}
};

template <class Node, class Params>
AnyView modify(AnyView view, Params params) {
    return makeView<Node, Modified<Params>>(Modified<Params>{std::move(view), std::move(params)});
}

} // namespace glimmo
