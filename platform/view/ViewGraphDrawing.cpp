// Drawing the tree into the window's display list: whole, or only the parts of nodes whose drawing
// changed, written over their own items.
#include "platform/view/Animator.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <iterator>

namespace glimmo {

bool ViewGraph::animationMovesViews() const {
    return std::any_of(animated_.begin(), animated_.end(),
                       [](const ViewNode* node) { return node->frameAnimation() || node->appearAnimation(); });
}

void ViewGraph::rebuildDisplayList() {
    // While views move or fade under an animation, frames change without layout: everything is drawn.
    if (drawEverything_ || animationMovesViews()) {
        drawEverything();
        return;
    }
    std::vector<ViewNode*> changed(displayChanged_.begin(), displayChanged_.end());
    displayChanged_.clear();
    std::sort(changed.begin(), changed.end(), [](const ViewNode* a, const ViewNode* b) { return a->depth < b->depth; });
    for (ViewNode* node : changed) {
        if (!node->renderStale_) continue; // drawn again with an ancestor
        // A node not in the list (new, or not drawn by its parent) is drawn by its nearest drawn ancestor.
        ViewNode* drawn = node;
        while (drawn && !drawn->drawn_ && !drawn->isPresentedLayer()) drawn = drawn->parent;
        if (!drawn || !drawn->drawn_ || !redrawInPlace(drawn)) {
            drawEverything();
            return;
        }
    }
    std::vector<ViewNode*> ownItems;
    ownItems.swap(ownItemsChanged_);
    for (ViewNode* node : ownItems) {
        // A node not drawn has nothing to change; one drawn again above drew them already.
        if (node->drawn_ && !redrawOwnItems(node)) {
            drawEverything();
            return;
        }
    }
    displayListValid_ = true;
}

bool ViewGraph::redrawOwnItems(ViewNode* node) {
    const auto range = listRange(node);
    if (!range) return false;
    auto& items = displayList_.items;
    const std::span<DisplayItem> own(items.data() + range->first, range->second - range->first);
    return node->redrawOwnItems(own) || redrawInPlace(node);
}

bool ViewGraph::takeOverDrawing(ViewNode& node, RenderContext& ctx) {
    const auto range = listRange(&node);
    if (!range) return false;
    const std::size_t begin = ctx.position();
    ctx.kept.push_back({ctx.list.items.size(), range->first, range->second});
    ctx.keptItems += range->second - range->first;
    // Every drawn node inside moves with it; one whose place is not known is no longer drawn, and is
    // drawn again with the nearest drawn node above it when it changes.
    const auto relocate = [&](auto& self, ViewNode& moved, std::pair<std::size_t, std::size_t> was) -> void {
        moved.listBegin_ = static_cast<std::uint32_t>(was.first - range->first + begin);
        moved.listEnd_ = static_cast<std::uint32_t>(was.second - range->first + begin);
        moved.listEdits_ = static_cast<std::uint32_t>(ctx.edits);
        moved.drawn_ = true;
        for (auto& c : moved.children) {
            if (!c->drawn_) continue;
            if (const auto inside = listRange(c.get())) self(self, *c, *inside);
            else c->forgetDrawing();
        }
    };
    relocate(relocate, node, *range);
    return true;
}

std::optional<std::pair<std::size_t, std::size_t>> ViewGraph::listRange(const ViewNode* node) const {
    std::size_t begin = node->listBegin_, end = node->listEnd_;
    for (std::size_t i = node->listEdits_; i < listEdits_.size(); ++i) {
        const ListEdit& edit = listEdits_[i];
        if (edit.added == edit.removed) continue;
        // An empty node where items were inserted may lie before them or after: unknown.
        if (begin == end && edit.removed == 0 && edit.position == begin) return std::nullopt;
        if (end <= edit.position) continue;
        if (begin < edit.position + edit.removed) return std::nullopt; // overlaps: drawn again since
        begin = begin - edit.removed + edit.added;
        end = end - edit.removed + edit.added;
    }
    return std::make_pair(begin, end);
}

bool ViewGraph::redrawInPlace(ViewNode* node) {
    constexpr std::size_t editLimit = 256;
    if (listEdits_.size() >= editLimit) return false;
    const auto range = listRange(node);
    if (!range) return false;
    // The nodes whose items hold this node's grow or shrink with it.
    std::vector<std::pair<ViewNode*, std::pair<std::size_t, std::size_t>>> holders;
    for (ViewNode* n = node; !n->isPresentedLayer() && n->parent;) {
        n = n->parent;
        const auto r = listRange(n);
        if (!r) return false;
        holders.emplace_back(n, *r);
    }
    const auto [begin, end] = *range;
    DisplayList part;
    RenderContext ctx{part, begin, listEdits_.size() + 1, this};
    node->drewBefore_ = false; // drawn again itself, whatever its children do
    node->draw(ctx);
    const std::size_t added = replaceItems(begin, end, ctx);
    listEdits_.push_back({begin, end - begin, added});
    for (auto& [holder, r] : holders) {
        holder->listBegin_ = static_cast<std::uint32_t>(r.first);
        holder->listEnd_ = static_cast<std::uint32_t>(r.second - (end - begin) + added);
        holder->listEdits_ = static_cast<std::uint32_t>(listEdits_.size());
    }
    return true;
}

std::size_t ViewGraph::replaceItems(std::size_t begin, std::size_t end, RenderContext& part) {
    auto& items = displayList_.items;
    auto& fresh = part.list.items;
    const auto at = [&items](std::size_t index) { return items.begin() + static_cast<std::ptrdiff_t>(index); };
    const auto newItems = [&fresh](std::size_t from, std::size_t to) {
        return std::pair(std::make_move_iterator(fresh.begin() + static_cast<std::ptrdiff_t>(from)),
                         std::make_move_iterator(fresh.begin() + static_cast<std::ptrdiff_t>(to)));
    };
    bool inOrder = true;
    for (std::size_t i = 0, last = begin; i < part.kept.size(); last = part.kept[i++].end) {
        inOrder = inOrder && part.kept[i].begin >= last && part.kept[i].end <= end;
    }
    if (!inOrder) {
        // Kept items drawn in another order (views that changed places) are gathered in the new one.
        std::vector<DisplayItem> whole;
        whole.reserve(fresh.size() + part.keptItems);
        std::size_t next = 0;
        for (const RenderContext::Kept& kept : part.kept) {
            const auto [from, to] = newItems(next, kept.after);
            whole.insert(whole.end(), from, to);
            whole.insert(whole.end(), std::make_move_iterator(at(kept.begin)), std::make_move_iterator(at(kept.end)));
            next = kept.after;
        }
        const auto [from, to] = newItems(next, fresh.size());
        whole.insert(whole.end(), from, to);
        items.erase(at(begin), at(end));
        items.insert(at(begin), std::make_move_iterator(whole.begin()), std::make_move_iterator(whole.end()));
        return whole.size();
    }
    // In order, kept items stay where they are: the new items between two of them take the place of the
    // old ones there, and only where there are more or fewer of them do the items after them move.
    // `shift` is how far the items not reached yet have moved.
    std::size_t cursor = begin, next = 0;
    std::ptrdiff_t shift = 0;
    const auto replaceUpTo = [&](std::size_t newUpTo, std::size_t oldUpTo) {
        const std::size_t oldEnd = static_cast<std::size_t>(static_cast<std::ptrdiff_t>(oldUpTo) + shift);
        const std::size_t added = newUpTo - next, dropped = oldEnd - cursor, common = std::min(added, dropped);
        const auto [from, to] = newItems(next, newUpTo);
        std::move(from, from + static_cast<std::ptrdiff_t>(common), at(cursor));
        if (added > common) items.insert(at(cursor + common), from + static_cast<std::ptrdiff_t>(common), to);
        else items.erase(at(cursor + common), at(oldEnd));
        cursor += added;
        shift += static_cast<std::ptrdiff_t>(added) - static_cast<std::ptrdiff_t>(dropped);
        next = newUpTo;
    };
    for (const RenderContext::Kept& kept : part.kept) {
        replaceUpTo(kept.after, kept.begin);
        cursor += kept.end - kept.begin;
    }
    replaceUpTo(fresh.size(), end);
    return cursor - begin;
}

void ViewGraph::drawEverything() {
    ++work.fullDisplayLists;
    root_->forgetDrawing();
    const auto layers = presentedLayers();
    for (ViewNode* layer : layers) layer->forgetDrawing();
    displayList_ = DisplayList{};
    displayList_.size = size_;
    displayList_.background = Color::windowBackgroundColor().resolve(rootEnvironment_.colorScheme());
    // Animated nodes draw at their in-between frames; their final frames are put back afterwards.
    const double now = animationClock();
    std::vector<std::pair<ViewNode*, CGRect>> finalFrames;
    for (ViewNode* node : animated_) {
        node->advanceAnimations(now);
        if (node->frameAnimation()) {
            finalFrames.emplace_back(node, node->frame);
            node->frame = node->presentedFrame(now);
        }
    }
    RenderContext ctx{displayList_};
    root_->draw(ctx);
    for (ViewNode* layer : layers) layer->draw(ctx);
    for (auto& [node, f] : finalFrames) node->frame = f;
    displayChanged_.clear();
    ownItemsChanged_.clear();
    listEdits_.clear();
    drawEverything_ = false;
    displayListValid_ = true;
}

} // namespace glimmo
