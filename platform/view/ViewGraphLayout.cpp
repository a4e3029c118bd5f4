// Laying the tree out in proportion to what changed: nodes that changed compare their fresh answers with
// those their parents saw, deepest first, and only nodes whose children moved place them again.
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace glimmo {

void ViewGraph::forgetAnswers(ViewNode* node) {
    node->forgetAnswers(false);
    node->previous_.reset();
    node->elementsChanged_ = false;
    for (auto& c : node->children) forgetAnswers(c.get());
}

void ViewGraph::forgetLayout() {
    if (root_) forgetAnswers(root_.get());
    for (ViewNode* layer : presentedLayers()) forgetAnswers(layer);
    layoutChanged_.clear();
    setNeedsLayout();
}

void ViewGraph::layoutChanged(ViewNode* node) {
    if (layoutChanged_.insert(node).second && settling_) settleQueue_[static_cast<std::size_t>(node->depth)].push_back(node);
}

void ViewGraph::placementChanged(ViewNode* node) {
    if (!placeEverything_) placementChanged_.insert(node);
}

void ViewGraph::displayChanged(ViewNode* node) {
    if (!drawEverything_) displayChanged_.insert(node);
}

void ViewGraph::ownItemsChanged(ViewNode* node) {
    if (!drawEverything_) ownItemsChanged_.push_back(node);
}

void ViewGraph::placeAtEveryLayout(ViewNode* node) { placedAtEveryLayout_.insert(node); }

void ViewGraph::layout() {
    settleLayoutChanges();
    ++layoutGeneration_;
    std::vector<ViewNode*> elements;
    root_->collectElements(elements);
    const ProposedViewSize proposal = ProposedViewSize::of(size_);
    const CGSize s = sizeOfContent(elements, proposal);
    // The root is centred in the window, as a window centres its content view.
    const CGRect bounds((size_.width - s.width) / 2, (size_.height - s.height) / 2, s.width, s.height);
    placeContent(elements, bounds, proposal);
    if (!root_->isLayoutElement()) root_->frame = bounds;
    for (ViewNode* node : placedAtEveryLayout_) node->invalidatePlacement();
    placeChangedNodes();
    // Layers go over the window as laid out now, every view that moved included; placing one may present
    // or close another, and what changed inside them is placed after them.
    for (std::size_t i = 0; i < presenters_.size(); ++i) presenters_[i]->placeLayer(size_);
    placeChangedNodes();
    placeEverything_ = false;
    for (ViewNode* node : overflowed_) node->forgetAnswersUpward();
    overflowed_.clear();
}

void ViewGraph::settleLayoutChanges() {
    if (layoutChanged_.empty()) return;
    // By depth, deepest first; a change passed on goes to a shallower node, still to come.
    int deepest = 0;
    for (ViewNode* node : layoutChanged_) deepest = std::max(deepest, node->depth);
    settleQueue_.assign(static_cast<std::size_t>(deepest) + 1, {});
    for (ViewNode* node : layoutChanged_) settleQueue_[static_cast<std::size_t>(node->depth)].push_back(node);
    settling_ = true;
    for (std::size_t depth = settleQueue_.size(); depth-- > 0;) {
        for (std::size_t i = 0; i < settleQueue_[depth].size(); ++i) {
            ViewNode* node = settleQueue_[depth][i];
            if (layoutChanged_.erase(node) > 0) settle(node);
        }
    }
    layoutChanged_.clear();
    settling_ = false;
}

void ViewGraph::settle(ViewNode* node) {
    bool changed = false;
    if (!node->isLayoutElement()) {
        changed = std::exchange(node->elementsChanged_, false);
        node->previous_.reset();
    } else if (auto previous = std::move(node->previous_)) {
        // Nobody asked this node anything: whoever lays out its children reads them directly (a grid
        // reads the cells of its rows), so that one must look again.
        const bool asked = !previous->sizes.empty() || !previous->alignments.empty();
        changed = !asked || node->answersDiffer(*previous);
    }
    if (!changed) return;
    // The nearest node that lays this one out must lay out again; nodes that lend it their children on
    // the way forget what they were asked (as the root of a layer).
    for (ViewNode* n = node->parent; n; n = n->parent) {
        if (n->isLayoutElement()) {
            n->answersMayDiffer();
            return;
        }
        n->forgetAnswers(false);
        n->needsPlacement_ = true;
    }
}

void ViewGraph::placeChangedNodes() {
    // Shallowest first: a node placed again places whatever inside it moved.
    while (!placementChanged_.empty()) {
        std::vector<ViewNode*> batch(placementChanged_.begin(), placementChanged_.end());
        placementChanged_.clear();
        std::sort(batch.begin(), batch.end(), [](const ViewNode* a, const ViewNode* b) { return a->depth < b->depth; });
        // Placing a node may build views that remove others of the batch; forget() nulls them here.
        placing_ = &batch;
        for (ViewNode* node : batch) {
            if (node && node->needsPlacement_ && node->hasBeenPlaced) node->place(node->frame, node->placedProposal);
        }
        placing_ = nullptr;
    }
}

} // namespace glimmo
