#include "platform/view/ViewNode.h"

#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace glimmo {

ViewNode::~ViewNode() {
    if (uncommon_ && uncommon_->alive) *uncommon_->alive = false;
}

ViewNode::Uncommon& ViewNode::uncommon() {
    if (!uncommon_) uncommon_ = std::make_unique<Uncommon>();
    return *uncommon_;
}

std::weak_ptr<bool> ViewNode::aliveFlag() {
    auto& alive = uncommon().alive;
    if (!alive) alive = std::make_shared<bool>(true);
    return alive;
}

const Interpolation<CGRect>* ViewNode::frameAnimation() const {
    return uncommon_ && uncommon_->frameAnimation ? &*uncommon_->frameAnimation : nullptr;
}

void ViewNode::setFrameAnimation(std::optional<Interpolation<CGRect>> animation) {
    if (animation || uncommon_) uncommon().frameAnimation = std::move(animation);
}

const Interpolation<double>* ViewNode::appearAnimation() const {
    return uncommon_ && uncommon_->appearAnimation ? &*uncommon_->appearAnimation : nullptr;
}

void ViewNode::setAppearAnimation(std::optional<Interpolation<double>> animation) {
    if (animation || uncommon_) uncommon().appearAnimation = std::move(animation);
}

std::vector<ViewNode*> ViewNode::childElements() const {
    std::vector<ViewNode*> out;
    for (const auto& c : children) c->collectElements(out);
    return out;
}

namespace {
// Counts the elements of `node`'s children up to two, keeping the first.
void countElements(const ViewNode& node, ViewNode*& first, int& count) {
    for (const auto& c : node.children) {
        if (count > 1) return;
        if (c->isLayoutElement()) {
            if (count++ == 0) first = c.get();
        } else {
            countElements(*c, first, count);
        }
    }
}
} // namespace

ViewNode* ViewNode::onlyElement() const {
    if (!onlyElementKnown_) {
        ViewNode* first = nullptr;
        int count = 0;
        countElements(*this, first, count);
        onlyElement_ = count == 1 ? first : nullptr;
        onlyElementKnown_ = true;
    }
    return onlyElement_;
}

CGRect ViewNode::presentedFrame(double now) const {
    const Interpolation<CGRect>* animation = frameAnimation();
    if (!animation) return frame;
    return interpolate(animation->from, animation->to, animationProgress(animation->animation, animation->start, now));
}

bool ViewNode::advanceAnimations(double now) {
    if (!uncommon_) return false;
    auto& moving = uncommon_->frameAnimation;
    auto& appearing = uncommon_->appearAnimation;
    if (moving && moving->finished(now)) moving.reset();
    if (appearing && appearing->finished(now)) appearing.reset();
    return moving || appearing;
}

std::optional<CGFloat> ViewNode::computeExplicitAlignment(AlignmentKey, CGSize) { return std::nullopt; }

ViewNode::InheritedLayout ViewNode::inheritedLayout() const {
    for (const ViewNode* n = this; n->parent && !n->isPresentedLayer(); n = n->parent) {
        if (auto given = n->parent->layoutForChild(*n)) return *given;
    }
    return {};
}

void ViewNode::inheritedLayoutChanged() {
    for (auto& c : children) c->reviewInheritedLayout();
}

void ViewNode::reviewInheritedLayout() {
    if (readsInheritedLayout()) invalidateLayout();
    for (auto& c : children) {
        if (!layoutForChild(*c)) c->reviewInheritedLayout();
    }
}

std::optional<HorizontalAlignment> ViewNode::gridColumnAlignment() const { return std::nullopt; }

std::optional<CGPoint> ViewNode::scrolledBy() const {
    std::optional<CGPoint> sum;
    for (const ViewNode* n = this; n->parent && !n->isPresentedLayer(); n = n->parent) {
        if (!n->parent->scrollsContent()) continue;
        sum = sum.value_or(CGPoint{}) + n->parent->contentOffset();
    }
    return sum;
}

CGRect ViewNode::inWindow(const CGRect& rect) const {
    const CGPoint by = scrolledBy().value_or(CGPoint{});
    return rect.offsetBy(-by.x, -by.y);
}

CGPoint ViewNode::fromWindow(CGPoint point) const {
    return point + scrolledBy().value_or(CGPoint{});
}

void ViewNode::draw(RenderContext& ctx) {
    // What has not changed since it was drawn keeps its items, wherever they move to.
    if (ctx.takingOver && std::exchange(drewBefore_, false) && !renderStale_ && ctx.takingOver->takeOverDrawing(*this, ctx)) return;
    // The node's items are remembered so that it can be drawn again in place when only it changed.
    listBegin_ = static_cast<std::uint32_t>(ctx.position());
    listEdits_ = static_cast<std::uint32_t>(ctx.edits);
    drawn_ = true;
    renderStale_ = false;
    if (graph) ++graph->work.drawnNodes;
    for (auto& c : children) c->drewBefore_ = std::exchange(c->drawn_, false);
    if (const Interpolation<double>* fade = appearAnimation(); !fade) {
        render(ctx);
    } else {
        const double now = animationClock();
        const double value = interpolate(fade->from, fade->to, animationProgress(fade->animation, fade->start, now));
        ctx.list.items.push_back(PushOpacity{value});
        render(ctx);
        ctx.list.items.push_back(PopOpacity{});
    }
    // A child drawn before and not now has no items left, nor has anything inside it.
    for (auto& c : children) {
        if (std::exchange(c->drewBefore_, false)) c->forgetDrawingInside();
    }
    listEnd_ = static_cast<std::uint32_t>(ctx.position());
}

void ViewNode::render(RenderContext& ctx) {
    for (auto& c : children) c->draw(ctx);
}

void ViewNode::forgetDrawing() {
    // Only a drawn node draws its children, so below a node not drawn nothing is (presented layers are
    // forgotten on their own).
    if (!std::exchange(drawn_, false)) return;
    forgetDrawingInside();
}

void ViewNode::forgetDrawingInside() {
    for (auto& c : children) c->forgetDrawing();
}

ViewNode* ViewNode::hitTest(CGPoint point, HitPurpose purpose) {
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (ViewNode* hit = (*it)->hitTest(point, purpose)) return hit;
    }
    if (purpose == HitPurpose::pointer && isHitTestable() && frame.contains(point)) return this;
    return nullptr;
}

void ViewNode::collectPreferences(PreferenceValues& out) {
    for (auto& c : children) {
        if (c->preferenceNodes_ > 0) out.merge(c->preferences());
    }
}

CGRect ViewNode::elementsFrame() {
    std::vector<ViewNode*> elements;
    collectElements(elements);
    if (elements.size() == 1 && elements.front() == this) return frame;
    CGRect r = CGRect::null();
    for (auto* e : elements) r = r.unionWith(e == this ? frame : e->elementsFrame());
    return r.isNull() ? CGRect{} : r;
}

std::unique_ptr<ViewNode> makeNode(const AnyView& view, ViewNode* parent, AnyHashable key, const EnvironmentValues& env) {
    auto node = view.content()->makeNode(view.content());
    node->graph = parent ? parent->graph : currentGraph();
    node->parent = parent;
    node->depth = parent ? parent->depth + 1 : 0;
    node->key = std::move(key);
    if (node->graph) node->bornInUpdate = node->graph->updateCount();
    node->constructing_ = true;
    node->update(view.content(), env);
    node->constructing_ = false;
    // A node that sets preferences counts itself even while it has no children to count it with (a
    // geometry reader before it is placed).
    if (node->preferenceNodes_ == 0 && node->handlesPreferences()) node->preferenceNodes_ = 1;
    return node;
}

void unmountSubtree(ViewNode& node) {
    for (auto& c : node.children) unmountSubtree(*c);
    node.willUnmount();
    if (node.graph) node.graph->forget(&node);
}

void ViewNode::reconcileChildren(std::vector<ChildSpec> specs, const EnvironmentValues& env) {
    std::vector<const ViewNode*> before;
    before.reserve(children.size());
    for (const auto& c : children) before.push_back(c.get());
    std::unordered_multimap<AnyHashable, std::unique_ptr<ViewNode>, AnyHashableHash> old;
    old.reserve(children.size());
    for (auto& c : children) {
        AnyHashable k = c->key;
        old.emplace(std::move(k), std::move(c));
    }
    children.clear();
    children.reserve(specs.size());
    for (auto& spec : specs) {
        std::unique_ptr<ViewNode> reused;
        auto range = old.equal_range(spec.key);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second && it->second->kind() == spec.view.content()->kind()) {
                reused = std::move(it->second);
                old.erase(it);
                break;
            }
        }
        if (reused) {
            const bool kept = reused->keepsLayoutOnUpdate(*spec.view.content(), env);
            reused->update(spec.view.content(), env);
            // A node that lends its children reports nothing itself: they report their own changes.
            if (reused->isLayoutElement() && !kept) reused->invalidateLayout();
            children.push_back(std::move(reused));
        } else {
            children.push_back(makeNode(spec.view, this, spec.key, env));
            fadeInIfAnimated(*children.back());
        }
    }
    for (auto& [k, node] : old) {
        if (node) unmountSubtree(*node);
    }
    bool same = before.size() == children.size();
    for (std::size_t i = 0; same && i < before.size(); ++i) same = before[i] == children[i].get();
    // Reused children report their own changes; only a new set of children changes this node.
    if (!same) childrenDidChange();
}

bool ViewNode::keepsLayoutOnUpdate(const ViewContent& next, const EnvironmentValues& env) const {
    // Children built during an ancestor's placement change without telling the nodes above them, which
    // must then answer afresh.
    return graph && !graph->isBuildingDuringPlacement() && keepsLayoutWith(next, env);
}

void ViewNode::fadeInIfAnimated(ViewNode& child) {
    // Only views that appear beside views already on screen fade in: not on the first build, and not
    // inside a view that is itself appearing.
    if (!graph || bornInUpdate >= graph->updateCount()) return;
    if (const auto animation = animationForChange(graph->currentTransaction)) {
        child.setAppearAnimation(Interpolation<double>{0, 1, *animation, animationClock()});
        graph->animate(&child);
    }
}

void ViewNode::reconcileSingleChild(const AnyView& view, const EnvironmentValues& env) {
    if (children.size() == 1 && children.front()->kind() == view.content()->kind()) {
        ViewNode& child = *children.front();
        const bool kept = child.keepsLayoutOnUpdate(*view.content(), env);
        child.update(view.content(), env);
        if (child.isLayoutElement() && !kept) child.invalidateLayout();
        return;
    }
    for (auto& c : children) unmountSubtree(*c);
    children.clear();
    // Every only child has the same key: one shared value rather than one made for each node.
    static const AnyHashable onlyChildKey(std::size_t{0});
    children.push_back(makeNode(view, this, onlyChildKey, env));
    fadeInIfAnimated(*children.back());
    childrenDidChange();
}

void PreferenceValues::merge(const PreferenceValues& next) {
    builtWhenPlaced_ = builtWhenPlaced_ || next.builtWhenPlaced_;
    for (const auto& [key, entry] : next.values_) {
        auto it = values_.find(key);
        if (it == values_.end()) {
            values_.emplace(key, entry);
        } else {
            it->second.reduce(it->second, entry);
            it->second.placed = it->second.placed || entry.placed;
        }
    }
}

} // namespace glimmo
