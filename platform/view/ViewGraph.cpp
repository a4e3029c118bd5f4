#include "platform/view/ViewGraph.h"

#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {
namespace {

thread_local ViewGraph* activeGraph = nullptr;

class GraphScope {
public:
    explicit GraphScope(ViewGraph* g) : saved_(activeGraph) { activeGraph = g; }
    ~GraphScope() { activeGraph = saved_; }
    GraphScope(const GraphScope&) = delete;
    GraphScope& operator=(const GraphScope&) = delete;

private:
    ViewGraph* saved_;
};

// Hover follows the pointer's position, like tracking areas: every hover area under the pointer is
// inside, whether or not another view covers it, unless a scroll view or clip hides that part. `p` is in
// the node's coordinates.
void collectHovered(ViewNode* node, CGPoint p, std::vector<ViewNode*>& out) {
    if (auto clip = node->clipRect(); clip && !clip->contains(p)) return;
    if (node->acceptsHover() && node->elementsFrame().contains(p)) out.push_back(node);
    const CGPoint inside = p + node->contentOffset();
    for (auto& c : node->children) collectHovered(c.get(), inside, out);
}

// The event where `node` sees it: in its own coordinates.
PointerEvent seenBy(const ViewNode& node, PointerEvent event) {
    event.location = node.fromWindow(event.location);
    return event;
}

// What a click on `hit` focuses: the nearest view around it that accepts the focus, else the nearest
// that takes it when clicked (a list's own scroll view leaves it to the list, which handles its keys).
ViewNode* clickFocusTarget(ViewNode* hit) {
    ViewNode* clicked = nullptr;
    for (ViewNode* n = hit; n; n = n->parent) {
        if (n->acceptsFocus()) return n;
        if (!clicked && n->takesFocusWhenClicked()) clicked = n;
    }
    return clicked;
}

void collectFocusable(ViewNode* node, std::vector<ViewNode*>& out) {
    if (node->acceptsFocus()) out.push_back(node);
    for (auto& c : node->children) collectFocusable(c.get(), out);
}

} // namespace

ViewGraph* currentGraph() { return activeGraph; }

bool gatheringBeforePlacement() { return activeGraph && activeGraph->gatheringBeforePlacement(); }

ViewGraph::ViewGraph(AnyView root, std::shared_ptr<const TextMeasurer> measurer)
    : measurer_(std::move(measurer)), rootView_(std::move(root)) {}

ViewGraph::~ViewGraph() {
    *alive_ = false;
    if (animationTimer_) animationTimer_->invalidate();
    if (root_) {
        GraphScope scope(this);
        unmountSubtree(*root_);
        root_.reset();
    }
}

void ViewGraph::invalidate(ViewNode* node) {
    node->needsBody = true;
    dirty_.push_back(node);
    if (glimmo::currentTransaction().animation) currentTransaction = glimmo::currentTransaction();
    scheduleUpdate();
}

void ViewGraph::enqueueAction(std::function<void()> action) {
    actions_.push_back(std::move(action));
    scheduleUpdate();
}

void ViewGraph::setNeedsLayout() {
    placeEverything_ = true;
    drawEverything_ = true;
    scheduleUpdate();
}

void ViewGraph::setNeedsUpdate() { scheduleUpdate(); }

void ViewGraph::afterNextLayout(std::function<void()> work) {
    afterLayout_.push_back(std::move(work));
    scheduleUpdate();
}

void ViewGraph::scheduleUpdate() {
    needsUpdate_ = true;
    displayListValid_ = false;
    if (!inUpdate_ && !updateScheduled_ && schedule_) {
        updateScheduled_ = true;
        schedule_();
    }
}

void ViewGraph::modifyEnvironment(const std::function<void(EnvironmentValues&)>& change) {
    change(rootEnvironment_);
    rootEnvironmentChanged_ = true;
    drawEverything_ = true; // the window background follows the colour scheme
    scheduleUpdate();
}

void ViewGraph::setSize(CGSize size) {
    if (size == size_) return;
    size_ = size;
    drawEverything_ = true;
    scheduleUpdate();
}

CGSize ViewGraph::sizeThatFits(const ProposedViewSize& proposal) {
    update();
    GraphScope scope(this);
    ++layoutGeneration_;
    std::vector<ViewNode*> elements;
    root_->collectElements(elements);
    const CGSize s = sizeOfContent(elements, proposal);
    // Leave the tree laid out for the window size again.
    needsUpdate_ = true;
    displayListValid_ = false;
    return s;
}

bool ViewGraph::update() {
    // An update asked for from inside an update (an action calling the host) is folded into the running one.
    if (inUpdate_ || (root_ && !needsUpdate_)) return false;
    GraphScope scope(this);
    inUpdate_ = true;
    ++updateCount_;
    updateScheduled_ = false;
    // A body that throws leaves the graph usable: the next update starts over from the dirty nodes.
    struct UpdateFlag {
        bool& flag;
        ~UpdateFlag() { flag = false; }
    } resetFlag{inUpdate_};
    int iteration = 0;
    bool capped = false;
    while (true) {
        needsUpdate_ = false;
        if (!root_) {
            root_ = makeNode(rootView_, nullptr, AnyHashable(std::size_t{0}), rootEnvironment_);
            rootEnvironmentChanged_ = false;
        } else if (rootEnvironmentChanged_) {
            rootEnvironmentChanged_ = false;
            root_->update(rootView_.content(), rootEnvironment_);
            root_->invalidateLayout();
        }
        evaluateDirty();
        if (iteration + 1 < preferenceIterationLimit && settleBeforePlacement()) {
            ++iteration;
            continue;
        }
        layout();
        if (!afterLayout_.empty()) {
            std::vector<std::function<void()>> work;
            work.swap(afterLayout_);
            for (auto& w : work) w();
        }
        root_->preferences();
        runActions();
        if (!needsUpdate_) break;
        if (++iteration >= preferenceIterationLimit) {
            capped = true;
            break;
        }
    }
    rebuildDisplayList();
    inUpdate_ = false;
    // Work left by a loop that did not settle waits for the next change instead of spinning the main
    // loop; other pending work gets its update.
    const bool more = needsUpdate_ && !capped;
    if (more && schedule_ && !updateScheduled_) {
        updateScheduled_ = true;
        schedule_();
    }
    // The host reads the update's transaction while it repaints.
    lastTransaction = currentTransaction;
    if (didUpdate_) didUpdate_();
    currentTransaction = Transaction{};
    return true;
}

void ViewGraph::evaluateDirty() {
    while (!dirty_.empty()) {
        std::vector<ViewNode*> batch;
        batch.swap(dirty_);
        std::sort(batch.begin(), batch.end(), [](ViewNode* a, ViewNode* b) { return a->depth < b->depth; });
        batch.erase(std::unique(batch.begin(), batch.end()), batch.end());
        // A parent's evaluation may remove a dirty child; forget() keeps `batch` valid by nulling it.
        evaluating_ = &batch;
        for (auto& node : batch) {
            if (node && node->needsBody) node->reevaluate();
        }
        evaluating_ = nullptr;
    }
}

void ViewGraph::addPresenter(Presenter* presenter) {
    if (std::find(presenters_.begin(), presenters_.end(), presenter) == presenters_.end()) {
        presenters_.push_back(presenter);
        drawEverything_ = true;
    }
    scheduleUpdate();
}

void ViewGraph::removePresenter(Presenter* presenter) {
    if (std::erase(presenters_, presenter) > 0) {
        drawEverything_ = true;
        scheduleUpdate();
    }
}

std::vector<ViewNode*> ViewGraph::presentedLayers() const {
    std::vector<ViewNode*> layers;
    for (Presenter* p : presenters_) {
        if (ViewNode* layer = p->presentedLayer()) layers.push_back(layer);
    }
    return layers;
}

ViewNode* ViewGraph::hitTest(CGPoint point, ViewNode::HitPurpose purpose) const {
    const auto layers = presentedLayers();
    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        if (ViewNode* hit = (*it)->hitTest(point, purpose)) return hit;
    }
    return root_ ? root_->hitTest(point, purpose) : nullptr;
}

bool ViewGraph::settleBeforePlacement() {
    gatheringBeforePlacement_ = true;
    try {
        root_->preferences();
    } catch (...) {
        gatheringBeforePlacement_ = false;
        beforePlacement_.clear();
        throw;
    }
    gatheringBeforePlacement_ = false;
    std::vector<std::function<void()>> actions;
    actions.swap(beforePlacement_);
    for (auto& a : actions) a();
    return !dirty_.empty() || rootEnvironmentChanged_;
}

bool ViewGraph::runActions() {
    bool ran = false;
    while (!actions_.empty()) {
        std::vector<std::function<void()>> batch;
        batch.swap(actions_);
        for (auto& a : batch) a();
        ran = true;
    }
    return ran;
}

void ViewGraph::animate(ViewNode* node) {
    if (std::find(animated_.begin(), animated_.end(), node) == animated_.end()) animated_.push_back(node);
    if (animationTimer_ || !RunLoop::hasMain()) return;
    std::weak_ptr<bool> weak = alive_;
    animationTimer_ = RunLoop::main().scheduleTimer(1.0 / 60, true, [this, weak] {
        if (auto a = weak.lock(); a && *a) animationTick();
    });
}

void ViewGraph::animationTick() {
    const double now = animationClock();
    // Views that move or fade are drawn again whole (their last frame too); a scroll view's offset
    // only moves what it draws around its content.
    const bool moved = animationMovesViews();
    for (ViewNode* node : animated_) {
        if (!node->frameAnimation() && !node->appearAnimation()) ownItemsChanged(node);
    }
    std::erase_if(animated_, [now](ViewNode* n) { return !n->advanceAnimations(now); });
    displayListValid_ = false;
    if (moved) drawEverything_ = true;
    if (animated_.empty() && animationTimer_) {
        animationTimer_->invalidate();
        animationTimer_.reset();
    }
    if (didUpdate_) didUpdate_();
}

const DisplayList& ViewGraph::displayList() {
    update();
    if (!displayListValid_) {
        GraphScope scope(this);
        rebuildDisplayList();
    }
    return displayList_;
}

// Events act on the tree as it was last laid out (what the user sees); pending changes are applied by
// the next update, so several events between two updates are coalesced.
void ViewGraph::ensureBuilt() {
    if (!root_) update();
}

void ViewGraph::forget(ViewNode* node) {
    layoutChanged_.erase(node);
    placementChanged_.erase(node);
    displayChanged_.erase(node);
    placedAtEveryLayout_.erase(node);
    overflowed_.erase(node);
    std::erase(dirty_, node);
    std::erase(animated_, node);
    std::erase(ownItemsChanged_, node);
    if (evaluating_) std::replace(evaluating_->begin(), evaluating_->end(), node, static_cast<ViewNode*>(nullptr));
    if (placing_) std::replace(placing_->begin(), placing_->end(), node, static_cast<ViewNode*>(nullptr));
    std::erase(hoverChain_, node);
    if (pressed_ == node) pressed_ = nullptr;
    if (hoverTarget_ == node) hoverTarget_ = nullptr;
    if (focused_ == node) focused_ = nullptr;
}

void ViewGraph::focus(ViewNode* node) {
    if (focused_ == node) return;
    ViewNode* previous = focused_;
    focused_ = node;
    if (previous) previous->setFocused(false);
    if (node) node->setFocused(true);
    // The views around the focused one follow it (`focused` on a view that contains a text field).
    for (ViewNode* n = previous; n; n = n->parent) {
        if (!n->containsNode(node)) n->setFocusWithin(false);
    }
    for (ViewNode* n = node; n; n = n->parent) {
        if (!n->containsNode(previous)) n->setFocusWithin(true);
    }
}

void ViewGraph::updateHover(std::optional<CGPoint> location) {
    pointer_ = location;
    std::vector<ViewNode*> chain;
    if (location && root_) {
        collectHovered(root_.get(), *location, chain);
        for (ViewNode* layer : presentedLayers()) collectHovered(layer, *location, chain);
        hoverTarget_ = hitTest(*location, ViewNode::HitPurpose::pointer);
    } else {
        hoverTarget_ = nullptr;
    }
    for (ViewNode* old : std::vector<ViewNode*>(hoverChain_)) {
        if (std::find(chain.begin(), chain.end(), old) == chain.end()) old->setHovered(false);
    }
    const auto previous = hoverChain_;
    hoverChain_ = chain;
    for (ViewNode* now : chain) {
        if (std::find(previous.begin(), previous.end(), now) == previous.end()) now->setHovered(true);
    }
}

bool ViewGraph::handlePointer(const PointerEvent& event) {
    ensureBuilt();
    GraphScope scope(this);
    switch (event.kind) {
    case PointerEvent::Kind::moved:
        updateHover(event.location);
        if (pressed_) pressed_->handlePointer(seenBy(*pressed_, event));
        return !hoverChain_.empty();
    case PointerEvent::Kind::exited:
        updateHover(std::nullopt);
        return false;
    case PointerEvent::Kind::pressed: {
        updateHover(event.location);
        // A click outside the topmost layer that closes on such clicks only closes it.
        if (!presenters_.empty()) {
            Presenter* top = presenters_.back();
            ViewNode* layer = top->presentedLayer();
            if (layer && !layer->hitTest(event.location, ViewNode::HitPurpose::pointer) && top->clickedOutside()) return true;
        }
        ViewNode* hit = hitTest(event.location, ViewNode::HitPurpose::pointer);
        if (ViewNode* focusing = clickFocusTarget(hit)) focus(focusing);
        for (ViewNode* n = hit; n; n = n->parent) {
            if (n->handlePointer(seenBy(*n, event))) {
                pressed_ = n;
                return true;
            }
        }
        return false;
    }
    case PointerEvent::Kind::released: {
        ViewNode* target = pressed_;
        pressed_ = nullptr;
        if (target) {
            target->handlePointer(seenBy(*target, event));
            return true;
        }
        return false;
    }
    }
    return false;
}

// The wheel scrolls the nearest scroll view under the pointer that scrolls along the wheel's axis: a
// vertical wheel over a block that scrolls only sideways (a wide code block) scrolls the page around
// it, and a horizontal wheel, or Shift with a vertical one, scrolls the block sideways. Each view takes
// the part along its own axes, so a diagonal swipe scrolls the block across and the page down.
bool ViewGraph::handleWheel(const WheelEvent& event) {
    ensureBuilt();
    GraphScope scope(this);
    WheelEvent rest = event;
    if (event.modifiers.contains(EventModifiers::shift()) && event.deltaX == 0) {
        rest.deltaX = event.deltaY;
        rest.deltaY = 0;
    }
    bool handled = false;
    for (ViewNode* n = hitTest(event.location, ViewNode::HitPurpose::wheel); n && (rest.deltaX != 0 || rest.deltaY != 0); n = n->parent) {
        handled = n->handleWheel(rest) || handled;
    }
    return handled;
}

bool ViewGraph::handleKey(const KeyEvent& event) {
    ensureBuilt();
    GraphScope scope(this);
    for (ViewNode* n = focused_; n; n = n->parent) {
        if (n->handleKey(event)) return true;
    }
    if (event.key == "Tab" || event.key == "Backtab") {
        std::vector<ViewNode*> focusable;
        collectFocusable(root_.get(), focusable);
        for (ViewNode* layer : presentedLayers()) collectFocusable(layer, focusable);
        if (focusable.empty()) return false;
        auto it = std::find(focusable.begin(), focusable.end(), focused_);
        std::size_t index = 0;
        if (it != focusable.end()) {
            const auto at = static_cast<std::size_t>(it - focusable.begin());
            index = event.key == "Tab" ? (at + 1) % focusable.size() : (at + focusable.size() - 1) % focusable.size();
        } else if (event.key == "Backtab") {
            index = focusable.size() - 1;
        }
        focus(focusable[index]);
        return true;
    }
    return false;
}

std::optional<Tooltip> ViewGraph::tooltip() const {
    for (ViewNode* n = hoverTarget_; n; n = n->parent) {
        if (auto text = n->helpText()) return Tooltip{*text, n->inWindow(n->elementsFrame())};
    }
    return std::nullopt;
}

CursorShape ViewGraph::cursor() const {
    if (hoverTarget_ && hoverTarget_->environment.textSelectionEnabled() && hoverTarget_->acceptsFocus()) return CursorShape::iBeam;
    return CursorShape::arrow;
}

} // namespace glimmo
