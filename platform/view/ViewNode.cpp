#include "platform/view/ViewNode.h"

#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_map>

namespace glimmo {
namespace {

CGFloat along(Axis a, CGSize s) { return a == Axis::horizontal ? s.width : s.height; }
CGFloat across(Axis a, CGSize s) { return a == Axis::horizontal ? s.height : s.width; }
CGSize makeSize(Axis a, CGFloat alongValue, CGFloat acrossValue) {
    return a == Axis::horizontal ? CGSize{alongValue, acrossValue} : CGSize{acrossValue, alongValue};
}
ProposedViewSize makeProposal(Axis a, std::optional<CGFloat> alongValue, std::optional<CGFloat> acrossValue) {
    return a == Axis::horizontal ? ProposedViewSize{alongValue, acrossValue} : ProposedViewSize{acrossValue, alongValue};
}
std::optional<CGFloat> acrossProposal(Axis a, const ProposedViewSize& p) { return a == Axis::horizontal ? p.height : p.width; }
std::optional<CGFloat> alongProposal(Axis a, const ProposedViewSize& p) { return a == Axis::horizontal ? p.width : p.height; }

AlignmentKey crossAlignment(Axis a, const Alignment& alignment) {
    return a == Axis::horizontal ? alignment.vertical.key() : alignment.horizontal.key();
}

bool isFirstBaseline(AlignmentKey k) { return k == VerticalAlignment::firstTextBaseline().key(); }
bool isLastBaseline(AlignmentKey k) { return k == VerticalAlignment::lastTextBaseline().key(); }

// Sizes the elements along the stack's axis by the rules of the proposal model: spacing first, then
// layout priority groups from highest, inside a group the least flexible element first, each offered an
// equal share of what is left.
std::vector<CGSize> distribute(const StackLayout& s, const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal) {
    const std::size_t n = elements.size();
    std::vector<CGSize> sizes(n);
    if (n == 0) return sizes;
    const CGFloat spacing = s.spacing.value_or(defaultSpacing) * static_cast<CGFloat>(n - 1);
    const auto alongP = alongProposal(s.axis, proposal);
    const auto acrossP = acrossProposal(s.axis, proposal);
    if (!alongP) {
        for (std::size_t i = 0; i < n; ++i) sizes[i] = elements[i]->sizeThatFits(makeProposal(s.axis, std::nullopt, acrossP));
        return sizes;
    }
    std::vector<CGFloat> minimum(n), flexibility(n);
    for (std::size_t i = 0; i < n; ++i) {
        const CGFloat lo = along(s.axis, elements[i]->sizeThatFits(makeProposal(s.axis, 0.0, acrossP)));
        const CGFloat hi = along(s.axis, elements[i]->sizeThatFits(makeProposal(s.axis, infinity, acrossP)));
        minimum[i] = lo;
        flexibility[i] = hi - lo;
    }
    std::vector<double> priorities;
    for (auto* e : elements) priorities.push_back(e->layoutPriority());
    std::vector<double> groups = priorities;
    std::sort(groups.begin(), groups.end(), std::greater<>());
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());

    CGFloat remaining = *alongP - spacing;
    for (const double priority : groups) {
        CGFloat lowerMinimum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (priorities[i] < priority) lowerMinimum += minimum[i];
        }
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < n; ++i) {
            if (priorities[i] == priority) members.push_back(i);
        }
        // Spacers come last and get what the others leave (at least their minimum length), so text
        // beside a spacer keeps its width.
        auto isSpacer = [&](std::size_t i) { return elements[i]->spacerMinLength().has_value(); };
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
            if (isSpacer(a) != isSpacer(b)) return !isSpacer(a);
            return flexibility[a] < flexibility[b];
        });
        CGFloat available = remaining - lowerMinimum;
        CGFloat spacerReserve = 0;
        std::size_t others = 0;
        for (const std::size_t i : members) {
            if (isSpacer(i)) spacerReserve += minimum[i];
            else ++others;
        }
        std::size_t spacersLeft = members.size() - others;
        for (const std::size_t i : members) {
            CGFloat offer = 0;
            if (!isSpacer(i)) {
                offer = std::max<CGFloat>(0, (available - spacerReserve) / static_cast<CGFloat>(others));
                --others;
            } else {
                offer = std::max<CGFloat>(0, available / static_cast<CGFloat>(spacersLeft));
                spacerReserve -= minimum[i];
                --spacersLeft;
            }
            sizes[i] = elements[i]->sizeThatFits(makeProposal(s.axis, offer, acrossP));
            available -= along(s.axis, sizes[i]);
            remaining -= along(s.axis, sizes[i]);
        }
    }
    return sizes;
}

struct CrossExtent {
    CGFloat before = 0; // largest distance from an element's cross start to its guide
    CGFloat after = 0;  // largest distance from the guide to an element's cross end
};

CrossExtent crossExtent(const StackLayout& s, const std::vector<ViewNode*>& elements, const std::vector<CGSize>& sizes) {
    CrossExtent e;
    bool first = true;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const CGFloat value = alignmentValue(elements[i], crossAlignment(s.axis, s.alignment), sizes[i]);
        const CGFloat before = value, after = across(s.axis, sizes[i]) - value;
        e.before = first ? before : std::max(e.before, before);
        e.after = first ? after : std::max(e.after, after);
        first = false;
    }
    return e;
}

} // namespace

ViewNode::~ViewNode() { *alive = false; }

std::vector<ViewNode*> ViewNode::childElements() const {
    std::vector<ViewNode*> out;
    for (const auto& c : children) c->collectElements(out);
    return out;
}

CGSize ViewNode::sizeThatFits(const ProposedViewSize& proposal) {
    for (const auto& [p, s] : sizeCache_) {
        if (p == proposal) return s;
    }
    const CGSize size = computeSize(proposal);
    sizeCache_.emplace_back(proposal, size);
    return size;
}

void ViewNode::resetLayoutCache() {
    sizeCache_.clear();
    layoutCacheReset();
}

void ViewNode::invalidateLayout() {
    for (ViewNode* n = this; n; n = n->parent) {
        n->resetLayoutCache();
        if (n->buildingDuringPlacement) break;
    }
}

void ViewNode::place(const CGRect& f) {
    if (graph) {
        const auto animation = hasBeenPlaced && !(f == frame) ? animationForChange(graph->currentTransaction) : std::nullopt;
        if (animation) {
            const double now = animationClock();
            frameAnimation = Interpolation<CGRect>{presentedFrame(now), f, *animation, now};
            graph->animate(this);
        } else if (frameAnimation && !(frameAnimation->to == f)) {
            frameAnimation.reset();
        }
    }
    hasBeenPlaced = true;
    frame = f;
    placeChildren();
}

CGRect ViewNode::presentedFrame(double now) const {
    if (!frameAnimation) return frame;
    return interpolate(frameAnimation->from, frameAnimation->to, animationProgress(frameAnimation->animation, frameAnimation->start, now));
}

bool ViewNode::advanceAnimations(double now) {
    if (frameAnimation && frameAnimation->finished(now)) frameAnimation.reset();
    if (appearAnimation && appearAnimation->finished(now)) appearAnimation.reset();
    return frameAnimation.has_value() || appearAnimation.has_value();
}

std::optional<CGFloat> ViewNode::explicitAlignment(AlignmentKey, CGSize) { return std::nullopt; }

void ViewNode::setContainerAxis(std::optional<Axis> axis) { containerAxis = axis; }

std::optional<HorizontalAlignment> ViewNode::gridColumnAlignment() const { return std::nullopt; }

void ViewNode::draw(RenderContext& ctx) {
    if (!appearAnimation) {
        render(ctx);
        return;
    }
    const double now = animationClock();
    const double value = interpolate(appearAnimation->from, appearAnimation->to,
                                     animationProgress(appearAnimation->animation, appearAnimation->start, now));
    ctx.list.items.push_back(PushOpacity{value});
    render(ctx);
    ctx.list.items.push_back(PopOpacity{});
}

void ViewNode::render(RenderContext& ctx) {
    for (auto& c : children) c->draw(ctx);
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
        PreferenceValues values;
        c->collectPreferences(values);
        out.merge(values);
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
    node->update(view.content(), env);
    return node;
}

void unmountSubtree(ViewNode& node) {
    for (auto& c : node.children) unmountSubtree(*c);
    node.willUnmount();
    if (node.graph) node.graph->forget(&node);
}

void ViewNode::reconcileChildren(std::vector<ChildSpec> specs, const EnvironmentValues& env) {
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
            if (it->second && it->second->content->kind() == spec.view.content()->kind()) {
                reused = std::move(it->second);
                old.erase(it);
                break;
            }
        }
        if (reused) {
            reused->update(spec.view.content(), env);
            reused->resetLayoutCache();
            children.push_back(std::move(reused));
        } else {
            children.push_back(makeNode(spec.view, this, spec.key, env));
            fadeInIfAnimated(*children.back());
        }
    }
    for (auto& [k, node] : old) {
        if (node) unmountSubtree(*node);
    }
    invalidateLayout();
}

void ViewNode::fadeInIfAnimated(ViewNode& child) {
    // Only views that appear beside views already on screen fade in: not on the first build, and not
    // inside a view that is itself appearing.
    if (!graph || bornInUpdate >= graph->updateCount()) return;
    if (const auto animation = animationForChange(graph->currentTransaction)) {
        child.appearAnimation = Interpolation<double>{0, 1, *animation, animationClock()};
        graph->animate(&child);
    }
}

void ViewNode::reconcileSingleChild(const AnyView& view, const EnvironmentValues& env) {
    if (!children.empty() && children.front()->content->kind() == view.content()->kind()) {
        children.front()->update(view.content(), env);
        children.front()->resetLayoutCache();
    } else {
        for (auto& c : children) unmountSubtree(*c);
        children.clear();
        children.push_back(makeNode(view, this, AnyHashable(std::size_t{0}), env));
        fadeInIfAnimated(*children.back());
    }
    invalidateLayout();
}

CGFloat alignmentValue(ViewNode* element, AlignmentKey key, CGSize size) {
    if (auto v = element->explicitAlignment(key, size)) return *v;
    return key.id ? key.id->defaultValue(dimensionsOf(element, size)) : 0;
}

ViewDimensions dimensionsOf(ViewNode* element, CGSize size) {
    return ViewDimensions(size, [element, size](AlignmentKey key) { return element->explicitAlignment(key, size); });
}

CGSize StackLayout::sizeThatFits(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal, StackCache* cache) const {
    if (elements.empty()) return {0, 0};
    const auto sizes = distribute(*this, elements, proposal);
    CGFloat total = spacing.value_or(defaultSpacing) * static_cast<CGFloat>(elements.size() - 1);
    for (const auto& s : sizes) total += along(axis, s);
    const CrossExtent e = crossExtent(*this, elements, sizes);
    const CGSize result = makeSize(axis, total, e.before + e.after);
    if (cache) cache->entries.emplace_back(result, sizes);
    return result;
}

void StackLayout::place(const std::vector<ViewNode*>& elements, const CGRect& bounds, StackCache* cache) const {
    if (elements.empty()) return;
    std::vector<CGSize> sizes;
    if (cache) {
        for (auto it = cache->entries.rbegin(); it != cache->entries.rend(); ++it) {
            if (it->first == bounds.size) {
                sizes = it->second;
                break;
            }
        }
    }
    if (sizes.empty()) sizes = distribute(*this, elements, ProposedViewSize::of(bounds.size));
    const CrossExtent e = crossExtent(*this, elements, sizes);
    // The stack's content is centred on the cross axis when the bounds are larger than it.
    const CGFloat crossStart = (axis == Axis::horizontal ? bounds.minY() : bounds.minX());
    CGFloat position = axis == Axis::horizontal ? bounds.minX() : bounds.minY();
    const CGFloat gap = spacing.value_or(defaultSpacing);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const CGFloat value = alignmentValue(elements[i], crossAlignment(axis, alignment), sizes[i]);
        const CGFloat crossOffset = crossStart + (e.before - value);
        const CGRect f = axis == Axis::horizontal ? CGRect(position, crossOffset, sizes[i].width, sizes[i].height)
                                                  : CGRect(crossOffset, position, sizes[i].width, sizes[i].height);
        elements[i]->place(f);
        position += along(axis, sizes[i]) + gap;
    }
}

std::optional<CGFloat> StackLayout::explicitAlignment(const std::vector<ViewNode*>& elements, AlignmentKey id, CGSize size) const {
    if (elements.empty()) return std::nullopt;
    const auto sizes = distribute(*this, elements, ProposedViewSize::of(size));
    const CrossExtent e = crossExtent(*this, elements, sizes);
    const CGFloat gap = spacing.value_or(defaultSpacing);
    // Offsets of each element inside the stack.
    std::vector<CGPoint> origins;
    CGFloat position = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const CGFloat value = alignmentValue(elements[i], crossAlignment(axis, alignment), sizes[i]);
        const CGFloat crossOffset = e.before - value;
        origins.push_back(axis == Axis::horizontal ? CGPoint{position, crossOffset} : CGPoint{crossOffset, position});
        position += along(axis, sizes[i]) + gap;
    }
    const bool vertical = !id.horizontal;
    auto valueAt = [&](std::size_t i) -> std::optional<CGFloat> {
        if (auto v = elements[i]->explicitAlignment(id, sizes[i])) return *v + (vertical ? origins[i].y : origins[i].x);
        return std::nullopt;
    };
    if (isLastBaseline(id)) {
        for (std::size_t i = elements.size(); i-- > 0;) {
            if (auto v = valueAt(i)) return v;
        }
        return std::nullopt;
    }
    if (isFirstBaseline(id) || axis == Axis::vertical) {
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (auto v = valueAt(i)) return v;
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (auto v = valueAt(i)) return v;
    }
    return std::nullopt;
}

CGSize sizeOfContent(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal) {
    if (elements.empty()) return {0, 0};
    if (elements.size() == 1) return elements.front()->sizeThatFits(proposal);
    return StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.sizeThatFits(elements, proposal);
}

void placeContent(const std::vector<ViewNode*>& elements, const CGRect& bounds) {
    if (elements.size() == 1) {
        elements.front()->place(bounds);
    } else {
        StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.place(elements, bounds);
    }
}

std::optional<CGFloat> contentAlignment(const std::vector<ViewNode*>& elements, AlignmentKey id, CGSize size) {
    if (elements.empty()) return std::nullopt;
    if (elements.size() == 1) return elements.front()->explicitAlignment(id, size);
    return StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.explicitAlignment(elements, id, size);
}

void PreferenceValues::merge(const PreferenceValues& next) {
    for (const auto& [key, entry] : next.values_) {
        auto it = values_.find(key);
        if (it == values_.end()) {
            values_.emplace(key, entry);
        } else {
            it->second.reduce(it->second, entry);
        }
    }
}

} // namespace glimmo
