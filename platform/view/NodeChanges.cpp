// How a change in one node reaches layout, preferences and drawing, so that an update does work in
// proportion to what changed:
// - A node memoises its answers to its parent (sizes per proposal, alignment values per size, and the
//   traits stacks read). When its content, children or own state change it forgets them, keeping the
//   old ones; the next layout asks it the same questions again, and only if an answer differs does its
//   parent (the nearest node that lays it out) count as changed in turn.
// - A node that changed places its children again; a node whose frame, placing proposal and answers
//   stay put is not visited by layout at all. Placement follows the proposal the parent chose, never the
//   order questions were asked in, so an update places every node where a new window would.
// - Preferences are gathered again only along the paths from changed nodes to the root.
// - A node that changed or moved is drawn again in place in the display list.

#include "platform/view/ViewGraph.h"
#include "platform/view/ViewNode.h"

#include <memory>
#include <utility>

namespace glimmo {
namespace {

// Answers a node keeps before it starts over (a window resized many times leaves old proposals).
constexpr std::size_t answerLimit = 64;

const PreferenceValues& noPreferences() {
    static const PreferenceValues none;
    return none;
}

} // namespace

ViewNode::Answers& ViewNode::answers() {
    if (!answers_) answers_ = std::make_unique<Answers>();
    return *answers_;
}

CGSize ViewNode::sizeThatFits(const ProposedViewSize& proposal) {
    if (answers_) {
        for (const auto& answer : answers_->sizes) {
            if (answer.proposal == proposal) return answer.size;
        }
        if (answers_->sizes.size() >= answerLimit) answersOverflowed();
    }
    const CGSize size = computeSize(proposal);
    if (graph) ++graph->work.sizes;
    Answers& kept = answers();
    kept.sizes.push_back({proposal, size});
    if (!kept.traits) kept.traits = currentTraits();
    return size;
}

std::optional<CGFloat> ViewNode::explicitAlignment(AlignmentKey key, CGSize size) {
    if (answers_) {
        for (const auto& a : answers_->alignments) {
            if (a.key == key && a.size == size) return a.value;
        }
        if (answers_->alignments.size() >= answerLimit) answersOverflowed();
    }
    const auto value = computeExplicitAlignment(key, size);
    answers().alignments.push_back({key, size, value});
    return value;
}

ViewNode::Traits ViewNode::currentTraits() const { return {layoutPriority(), spacerMinLength(), gridColumnAlignment()}; }

const ViewNode::Traits& ViewNode::traits() {
    Answers& kept = answers();
    if (!kept.traits) kept.traits = currentTraits();
    return *kept.traits;
}

bool ViewNode::answersDiffer(Answers& previous) {
    if (previous.conflicting) return true;
    for (const auto& answer : previous.sizes) {
        if (!(sizeThatFits(answer.proposal) == answer.size)) return true;
    }
    for (const auto& a : previous.alignments) {
        if (explicitAlignment(a.key, a.size) != a.value) return true;
    }
    return previous.traits && !(currentTraits() == *previous.traits);
}

void ViewNode::forgetAnswers(bool keepPrevious) {
    if (keepPrevious && !previous_) {
        // Kept even when nothing was asked: settling then tells whoever reads the node directly.
        previous_ = answers_ ? std::move(answers_) : std::make_unique<Answers>();
    } else if (keepPrevious && answers_) {
        // Changed again before a layout compared: whatever was answered in between counts as seen.
        for (const auto& entry : answers_->sizes) {
            bool known = false;
            for (const auto& seen : previous_->sizes) {
                if (seen.proposal == entry.proposal) {
                    known = true;
                    previous_->conflicting = previous_->conflicting || !(seen.size == entry.size);
                }
            }
            if (!known) previous_->sizes.push_back(entry);
        }
        for (const auto& entry : answers_->alignments) {
            bool known = false;
            for (const auto& seen : previous_->alignments) {
                if (seen.key == entry.key && seen.size == entry.size) {
                    known = true;
                    previous_->conflicting = previous_->conflicting || seen.value != entry.value;
                }
            }
            if (!known) previous_->alignments.push_back(entry);
        }
        if (!previous_->traits) previous_->traits = answers_->traits;
    }
    answers_.reset();
    layoutCacheReset();
}

void ViewNode::answersOverflowed() {
    // Not in the middle of a layout: the ancestors being laid out still read what they measured.
    if (graph) graph->answersOverflowed(this);
    else forgetAnswersUpward();
}

void ViewNode::forgetAnswersUpward() {
    // Nothing changed, so the answers are only recomputed; the ancestors forget theirs too, so that every
    // answer they keep rests on answers this node still remembers. What their parents asked them while
    // placing them (an alignment) is asked again when these are placed next; until then a change
    // compares against nothing and so counts as one.
    for (ViewNode* n = this; n; n = n->parent) {
        n->answers_.reset();
        n->layoutCacheReset();
        if (n != this) n->invalidatePlacement();
    }
}

void ViewNode::invalidateLayout() {
    // A node being made has answered nothing and drawn nothing: the node that makes it is the one whose
    // children changed. Registering every node of a new subtree would cost a set entry each.
    if (constructing_) return;
    if (buildingDuringPlacement) {
        // Its new children are sized and placed by the placement that builds them.
        invalidateDisplay();
        return;
    }
    // Children built during an ancestor's placement are sized there; that ancestor's size does not
    // depend on them.
    const bool compared = graph && !graph->isBuildingDuringPlacement();
    forgetAnswers(compared);
    if (!graph) return;
    if (compared) graph->layoutChanged(this);
    invalidatePlacement();
    invalidateDisplay();
}

void ViewNode::answersMayDiffer() {
    forgetAnswers(true);
    if (graph) graph->layoutChanged(this);
    invalidatePlacement();
}

void ViewNode::childrenDidChange() {
    // Its elements changed, and so did those of the ancestors it lends them to, up to the one that lays
    // them out.
    for (ViewNode* n = this; n; n = n->parent) {
        n->onlyElementKnown_ = false;
        if (n->isLayoutElement()) break;
    }
    elementsChanged_ = !isLayoutElement();
    std::size_t count = handlesPreferences() ? 1 : 0;
    for (const auto& c : children) count += c->preferenceNodes_;
    if (count != preferenceNodes_ && constructing_) {
        // The node that builds this one's ancestors counts them all once they are built.
        preferenceNodes_ = count;
    } else if (count != preferenceNodes_) {
        // Every ancestor gathers this subtree's preferences again (or stops gathering them), including
        // those above subtrees that had none to gather and so were never gathered.
        for (ViewNode *child = this, *n = parent; n; child = n, n = n->parent) {
            n->preferenceNodes_ = n->preferenceNodes_ + count - preferenceNodes_;
            n->preferencesStale_ = true;
            n->descendantChanged(child);
        }
        preferenceNodes_ = count;
        preferencesStale_ = true;
    }
    invalidateLayout();
}

void ViewNode::invalidatePlacement() {
    needsPlacement_ = true;
    if (graph && hasBeenPlaced && isLayoutElement()) graph->placementChanged(this);
}

void ViewNode::invalidateDisplay() {
    renderStale_ = true;
    if (graph) graph->displayChanged(this);
    markPreferencesStale();
}

void ViewNode::invalidateOwnItems() {
    if (graph) graph->ownItemsChanged(this);
}

void ViewNode::markPreferencesStale() {
    if (preferencesStale_) return;
    preferencesStale_ = true;
    for (ViewNode *child = this, *n = parent; n; child = n, n = n->parent) {
        n->descendantChanged(child);
        if (n->preferencesStale_) break;
        n->preferencesStale_ = true;
    }
}

ViewNode* ViewNode::soleContributor() const {
    if (handlesPreferences() || !mergesChildrenPreferences()) return nullptr;
    ViewNode* found = nullptr;
    for (const auto& c : children) {
        if (c->preferenceNodes_ == 0) continue;
        if (found) return nullptr;
        found = c.get();
    }
    return found;
}

const PreferenceValues& ViewNode::preferences() {
    if (preferenceNodes_ == 0) {
        preferencesStale_ = false;
        return noPreferences();
    }
    // A node that hands on the values of its one contributing child (most modifiers and user views)
    // keeps no copy of them; it is as stale as that child.
    if (ViewNode* only = soleContributor()) {
        const PreferenceValues& values = only->preferences();
        preferencesStale_ = only->preferencesStale_;
        return values;
    }
    // Values gathered before placement that rest on it serve until then only.
    const bool beforePlacement = graph && graph->gatheringBeforePlacement();
    if (preferencesStale_ || (gatheredBeforePlacement_ && !beforePlacement)) {
        PreferenceValues values;
        collectPreferences(values);
        gatheredBeforePlacement_ = beforePlacement && values.anyRestsOnPlacement();
        const bool none = values.empty() && !gatheredBeforePlacement_;
        preferences_ = none ? nullptr : std::make_unique<PreferenceValues>(std::move(values));
        preferencesStale_ = false;
    }
    return preferences_ ? *preferences_ : noPreferences();
}

PlacementBuild::PlacementBuild(ViewNode& node) : node_(node) {
    node_.buildingDuringPlacement = true;
    if (node_.graph) node_.graph->beginBuildDuringPlacement();
}

PlacementBuild::~PlacementBuild() {
    node_.buildingDuringPlacement = false;
    if (node_.graph) node_.graph->endBuildDuringPlacement();
}

void ViewNode::place(const CGRect& f, const ProposedViewSize& proposal) {
    const bool moved = !hasBeenPlaced || !(f == frame);
    // The same frame under another proposal can hold another arrangement (a stack's distribution, a
    // text's lines).
    const bool reproposed = !hasBeenPlaced || !(proposal == placedProposal);
    if (graph) {
        const auto animation = hasBeenPlaced && moved ? animationForChange(graph->currentTransaction) : std::nullopt;
        if (animation) {
            const double now = animationClock();
            setFrameAnimation(Interpolation<CGRect>{presentedFrame(now), f, *animation, now});
            graph->animate(this);
        } else if (const Interpolation<CGRect>* moving = frameAnimation(); moving && !(moving->to == f)) {
            setFrameAnimation(std::nullopt);
        }
    }
    hasBeenPlaced = true;
    frame = f;
    placedProposal = proposal;
    if ((moved || reproposed) && preferencesReadFrame()) {
        invalidateDisplay();
    } else if (moved || reproposed) {
        renderStale_ = true;
        if (graph) graph->displayChanged(this);
    }
    // Where neither the frame, the proposal nor anything inside changed, the children stay where they are.
    if (!moved && !reproposed && !needsPlacement_ && !(graph && graph->placesEverything())) return;
    needsPlacement_ = false;
    struct Placing {
        bool& flag;
        explicit Placing(bool& f) : flag(f) { flag = true; }
        ~Placing() { flag = false; }
        Placing(const Placing&) = delete;
        Placing& operator=(const Placing&) = delete;
    } placing{placing_};
    if (graph) ++graph->work.placements;
    placeChildren();
}

} // namespace glimmo
