#pragma once

// The render tree (internal to the kit). Each node stands for one view at one identity: it keeps the
// view's state, its children, its layout results and draws itself into a display list.
//
// Identity: children are matched by key (position for fixed children, id for ForEach and `.id`) and
// by kind (the view's type); a match keeps the node and its state, anything else makes a new node.

#include "platform/view/Alignment.h"
#include "platform/view/AnswerList.h"
#include "platform/view/ChildList.h"
#include "platform/view/Animator.h"
#include "platform/view/AnyHashable.h"
#include "platform/view/DisplayList.h"
#include "platform/view/Environment.h"
#include "platform/view/Geometry.h"
#include "platform/view/InputEvents.h"
#include "platform/view/NodeMemory.h"
#include "platform/view/Preferences.h"
#include "platform/view/State.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/View.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <typeindex>
#include <vector>

namespace glimmo {

class ViewGraph;
class ViewNode;

struct RenderContext {
    DisplayList& list;
    // Index in the window's list of the first item of `list` (a part of the list drawn again in place),
    // and the number of changes made to the window's list before this drawing.
    std::size_t base = 0;
    std::size_t edits = 0;
    // Drawing a part in place: nodes unchanged since they were drawn keep their items in the window's
    // list rather than drawing them again; `kept` says which, in drawing order, and after how many of
    // the new items of `list`.
    ViewGraph* takingOver = nullptr;
    struct Kept {
        std::size_t after;
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Kept> kept = {};
    std::size_t keptItems = 0;
    // Where the next item goes in the window's list.
    std::size_t position() const { return base + list.items.size() + keptItems; }
};

// What an interactive node does with pointer input.
struct PointerTarget {
    ViewNode* node = nullptr;
};

// Schedules a new body evaluation of `node`; the node clears the pointer when it goes away.
struct NodeInvalidator final : detail::Invalidator {
    ViewNode* node = nullptr;
    void invalidate() override;
};

class ViewNode {
public:
    ViewNode() = default;
    virtual ~ViewNode();
    ViewNode(const ViewNode&) = delete;
    ViewNode& operator=(const ViewNode&) = delete;
    // Nodes live in slabs of their size, in the order they are made (NodeMemory.h).
    static void* operator new(std::size_t size) { return allocateNodeMemory(size); }
    static void operator delete(void* memory, std::size_t size) { releaseNodeMemory(memory, size); }

    ViewGraph* graph = nullptr;
    ViewNode* parent = nullptr;
    int depth = 0;
    // Set when state the node's body reads has changed; the next update evaluates the body again.
    bool needsBody = false;
    virtual void reevaluate() {}
    ChildList<std::unique_ptr<ViewNode>> children;
    // False once the node is destroyed; deferred work keeps it to check. Made on first use: few nodes
    // ever defer work.
    std::weak_ptr<bool> aliveFlag();

    // Takes new content of the same kind (or the first content after creation) and the environment,
    // and brings the subtree up to date.
    virtual void update(const std::shared_ptr<const ViewContent>& newContent, const EnvironmentValues& env) = 0;
    // Whether taking `next` under `env` would leave the node's own layout and drawing as they are (its
    // children, updated with it, answer for themselves): a parent built again does not lay it out again.
    virtual bool keepsLayoutWith(const ViewContent& /*next*/, const EnvironmentValues& /*env*/) const { return false; }
    // The same where the changes below it reach it (not in views built during a placement).
    bool keepsLayoutOnUpdate(const ViewContent& next, const EnvironmentValues& env) const;
    // Called once before the node is destroyed (the whole subtree is torn down first).
    virtual void willUnmount() {}

    // Layout elements: most nodes are one element; groups, ForEach, user views and ids contribute the
    // elements of their children.
    virtual void collectElements(std::vector<ViewNode*>& out) { out.push_back(this); }
    std::vector<ViewNode*> childElements() const;
    // The children's element when they have exactly one (nullptr otherwise), without collecting them;
    // remembered until the children change.
    ViewNode* onlyElement() const;

    // Whether the node's parent lays it out (false for nodes that lend their children to their parent:
    // groups, user views, ForEach, ids).
    virtual bool isLayoutElement() const { return true; }

    // Layout: the size for a proposal and explicit alignment values for a size, each memoised until the
    // node changes and without effect on placement; then placement under the proposal the parent chose
    // for this node (the one it measured it with). The node lays its children out from its frame and
    // that proposal alone, so the order of earlier questions never matters.
    CGSize sizeThatFits(const ProposedViewSize& proposal);
    std::optional<CGFloat> explicitAlignment(AlignmentKey key, CGSize size);
    void place(const CGRect& frame, const ProposedViewSize& proposal);
    // In the coordinates of the content the node is in: the window's, or inside a scroll view its
    // content's as laid out, unscrolled. A scroll view moves what it holds only where it draws and hit
    // tests, so scrolling moves no frame.
    CGRect frame;
    // Whether the node scrolls what it holds (a scroll view), and how far up and left it moves it now.
    virtual bool scrollsContent() const { return false; }
    virtual CGPoint contentOffset() const { return {}; }
    // How far the scroll views around the node move it, up to the window or its presented layer; none
    // outside every scroll view.
    std::optional<CGPoint> scrolledBy() const;
    // A rectangle in the node's coordinates, where it shows in the window; a window point in them.
    CGRect inWindow(const CGRect& rect) const;
    CGPoint fromWindow(CGPoint point) const;
    ProposedViewSize placedProposal;
    // Moves between frames under an animation: drawing shows `presentedFrame`, everything else `frame`.
    // Kept out of line, like the fade below: few nodes ever animate.
    const Interpolation<CGRect>* frameAnimation() const;
    void setFrameAnimation(std::optional<Interpolation<CGRect>> animation);
    std::size_t bornInUpdate = 0; // the graph's update count when the node was made
    bool hasBeenPlaced = false;
    // Brings animated values to `now` for drawing; returns whether an animation is still running.
    virtual bool advanceAnimations(double now);
    CGRect presentedFrame(double now) const;
    virtual double layoutPriority() const { return 0; }
    // Spacers report their minimum length; stacks use it.
    virtual std::optional<CGFloat> spacerMinLength() const { return std::nullopt; }
    // What the node's layout learns from its ancestors (besides the environment): the axis of the stack
    // it is an element of, which Spacer and Divider follow. It is decided here alone, from the parents
    // each time it is read, so a node knows it from the moment it is made, whether a new window or an
    // update made it, and no parent has to hand it on.
    struct InheritedLayout {
        std::optional<Axis> stackAxis;
        bool operator==(const InheritedLayout&) const = default;
    };
    InheritedLayout inheritedLayout() const;
    // A presented layer is drawn after the tree, not by its parent, and inherits nothing from it.
    bool isPresentedLayer() const { return parent && parent->presentsAsLayer(*this); }
    // Set while a node builds children during its own placement (their sizes do not change its own).
    bool buildingDuringPlacement = false;
    // Grid column alignment requested by a cell.
    virtual std::optional<HorizontalAlignment> gridColumnAlignment() const;
    // What the parent reads besides sizes and alignments, memoised with the answers: a modifier passes
    // on its element's without asking the whole chain below again.
    struct Traits {
        double priority = 0;
        std::optional<CGFloat> spacerMinLength;
        std::optional<HorizontalAlignment> gridColumnAlignment;
        bool operator==(const Traits&) const = default;
    };
    const Traits& traits();

    // Drawing; the default draws the children in order. Parents call draw(), which adds the fade of a
    // view inserted under an animation around render().
    virtual void render(RenderContext& ctx);
    void draw(RenderContext& ctx);
    // Draws again only the items the node draws around its children, over `items` (all of its items,
    // its children's among them, which stay); false when it cannot, and then it is drawn again whole.
    // A scroll view's translation and indicators follow its offset so.
    virtual bool redrawOwnItems(std::span<DisplayItem> /*items*/) { return false; }
    // A view inserted under an animation fades in (the default transition).
    const Interpolation<double>* appearAnimation() const;
    void setAppearAnimation(std::optional<Interpolation<double>> animation);
    // The deepest node under `point` that takes pointer input or draws content; nullptr if none. For
    // the wheel only views that scroll count, so a shape or text drawn over a scroll view does not
    // keep the wheel from it.
    enum class HitPurpose : std::uint8_t { pointer, wheel };
    virtual ViewNode* hitTest(CGPoint point, HitPurpose purpose);
    // Whether this node's drawn content counts for hit testing.
    virtual bool isHitTestable() const { return false; }
    // Pointer and key handling by interactive nodes (buttons, gestures, hover, scroll, focus).
    virtual bool handlePointer(const PointerEvent&) { return false; }
    // The wheel: a node takes the part of the event it scrolls by, leaving in `rest` what is for the
    // views around it, and returns whether it took any (ViewGraph::handleWheel routes it).
    virtual bool handleWheel(WheelEvent& /*rest*/) { return false; }
    virtual bool handleKey(const KeyEvent&) { return false; }
    virtual void setHovered(bool) {}
    virtual bool acceptsHover() const { return false; }
    virtual std::optional<std::string> helpText() const { return std::nullopt; }
    // The area outside which children are not visible (scroll views, clip shapes).
    virtual std::optional<CGRect> clipRect() const { return std::nullopt; }
    virtual bool acceptsFocus() const { return false; }
    // Whether a click gives it the focus although Tab passes it by (a scroll view, for the keys that
    // move it); a view around it that accepts the focus takes it instead.
    virtual bool takesFocusWhenClicked() const { return false; }
    virtual void setFocused(bool) {}
    // Whether the focused node is this one or inside it; called on every node whose answer changes.
    virtual void setFocusWithin(bool) {}
    bool containsNode(const ViewNode* node) const {
        for (; node; node = node->parent) {
            if (node == this) return true;
        }
        return false;
    }

    // Preferences of the subtree (after layout), gathered again only when something in it changed.
    const PreferenceValues& preferences();

    // Explicit id of this node, if it is an `.id` or ForEach element (for ScrollViewReader).
    virtual const AnyHashable* explicitId() const { return parent && parent->keysChildrenById() ? &key : nullptr; }
    virtual std::optional<std::string> coordinateSpaceName() const { return std::nullopt; }
    virtual std::optional<std::string> accessibilityLabel() const { return std::nullopt; }

    // Frame of the node's elements (transparent nodes have no frame of their own).
    CGRect elementsFrame();

    // Helpers for subclasses.
    struct ChildSpec {
        AnyView view;
        AnyHashable key;
    };
    // Matches the new child views to the existing children by key and kind (see above).
    void reconcileChildren(std::vector<ChildSpec> specs, const EnvironmentValues& env);
    void reconcileSingleChild(const AnyView& view, const EnvironmentValues& env);

    // Change tracking. A node whose content, children or size-relevant state changed calls
    // invalidateLayout: it forgets its memoised answers, places its children and draws again at the next
    // update, and its parent lays out again only if its fresh answers differ from those the parent saw.
    void invalidateLayout();
    // Its children were added, removed or reordered (for a node that lends its children to its parent,
    // the parent's elements changed).
    void childrenDidChange();
    // Its drawing or its children's frames changed, nothing that its size depends on.
    void invalidateDisplay();
    // Only the items it draws around its children changed (see redrawOwnItems).
    void invalidateOwnItems();
    void invalidatePlacement();
    // Runs `build` (which changes the children) with buildingDuringPlacement set.
    template <class F>
    void buildDuringPlacement(F&& build);
    ViewNode* onlyChild() const { return children.empty() ? nullptr : children.front().get(); }
    void fadeInIfAnimated(ViewNode& child);

protected:
    virtual CGSize computeSize(const ProposedViewSize& proposal) = 0;
    virtual std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size);
    virtual void placeChildren() {}
    // Subclasses with caches of their own clear them here.
    virtual void layoutCacheReset() {}
    // Combines the children's preferences in order; nodes that change or hide values override it, and
    // those that hide a child's say so below.
    virtual void collectPreferences(PreferenceValues& out);
    virtual bool mergesChildrenPreferences() const { return true; }
    // Something in the subtree of `child` changed (nodes whose placement reads their subtree's
    // preferences place again).
    virtual void descendantChanged(ViewNode* /*child*/) {}
    // Whether the node sets or reads preferences (subtrees without such nodes have none to gather).
    virtual bool handlesPreferences() const { return false; }
    // Whether the preferences it sets are made from its frame (then a move changes them; otherwise
    // moving changes no preference).
    virtual bool preferencesReadFrame() const { return false; }
    bool isPlacing() const { return placing_; }
    bool isBeingMade() const { return constructing_; }
    // What this node gives `child` to inherit: a layout of its own deciding (the default: nothing, as a
    // window gives), or none to hand on what it inherits itself (views that lend their children or
    // lay one child out as themselves).
    virtual std::optional<InheritedLayout> layoutForChild(const ViewNode& /*child*/) const { return InheritedLayout{}; }
    // Whether the node's own layout reads inheritedLayout().
    virtual bool readsInheritedLayout() const { return false; }
    // What it gives its children changed (a stack turned): the nodes below that read it lay out again.
    void inheritedLayoutChanged();
    virtual bool presentsAsLayer(const ViewNode& /*child*/) const { return false; }
    // Whether its children's keys are their explicit ids (a ForEach's elements).
    virtual bool keysChildrenById() const { return false; }

private:
    friend class ViewGraph;
    struct AlignmentAnswer {
        AlignmentKey key;
        CGSize size;
        std::optional<CGFloat> value;
    };
    struct SizeAnswer {
        ProposedViewSize proposal;
        CGSize size;
    };
    // Kept beside the nodes, out of the node itself: nodes that lend their children to their parent
    // (most user views) are never asked anything.
    struct Answers {
        AnswerList<SizeAnswer> sizes;
        AnswerList<AlignmentAnswer> alignments;
        std::optional<Traits> traits;
        bool conflicting = false; // answered differently for the same question between two layouts
        static void* operator new(std::size_t size) { return allocateNodeMemory(size); }
        static void operator delete(void* memory, std::size_t size) { releaseNodeMemory(memory, size); }
    };
    Traits currentTraits() const;
    void reviewInheritedLayout();
    // The one child whose preferences are this node's, when it only hands them on.
    ViewNode* soleContributor() const;
    // Whether fresh answers to the questions of `previous` differ from them.
    bool answersDiffer(Answers& previous);
    void forgetAnswers(bool keepPrevious);
    void answersOverflowed();
    void forgetAnswersUpward();
    // A child's answers changed: this node's may too, and it places its children again.
    void answersMayDiffer();
    void markPreferencesStale();

    Answers& answers();
    // Its items, and those of the nodes inside, are no longer in the display list.
    void forgetDrawing();
    void forgetDrawingInside();
    // Made when the node is first asked something.
    std::unique_ptr<Answers> answers_;
    // The answers the parent saw before a change, kept until the next layout compares them.
    std::unique_ptr<Answers> previous_;
    std::unique_ptr<PreferenceValues> preferences_;
    // What few nodes need, made on first use: their animations and the flag deferred work checks.
    struct Uncommon {
        std::optional<Interpolation<CGRect>> frameAnimation;
        std::optional<Interpolation<double>> appearAnimation;
        std::shared_ptr<bool> alive;
    };
    Uncommon& uncommon();
    std::unique_ptr<Uncommon> uncommon_;
    // Nodes in the subtree that set or read preferences.
    std::size_t preferenceNodes_ = 0;
    // Where its items were in the display list, before the list's later edits (a list holds far fewer
    // than 2^32 items).
    std::uint32_t listBegin_ = 0;
    std::uint32_t listEnd_ = 0;
    std::uint32_t listEdits_ = 0;
    bool elementsChanged_ = false;
    bool needsPlacement_ = false;
    bool placing_ = false;
    bool drawn_ = false;
    bool drewBefore_ = false; // drawn before its parent started drawing again (its items can be taken over)
    bool renderStale_ = true;
    bool preferencesStale_ = true;
    bool gatheredBeforePlacement_ = false; // its preferences rest on a placement still to come
    mutable bool onlyElementKnown_ = false;
    bool constructing_ = false; // being made, with its first children
    mutable ViewNode* onlyElement_ = nullptr; // remembered until its children change
    friend std::unique_ptr<ViewNode> makeNode(const AnyView&, ViewNode*, AnyHashable, const EnvironmentValues&);

public:
    // The kind of view it stands for (ViewContent::kind): a node of another kind replaces it. The view
    // value itself is not kept: what a node needs of it after an update it keeps itself.
    virtual std::type_index kind() const { return typeid(*this); }
    // Read when the node is updated rather than by every walk over the tree (so kept after the fields
    // layout and drawing read).
    AnyHashable key;                 // the identity key among its siblings
    EnvironmentValues environment;   // the environment this node sees
};

// Marks a node as building its children during its placement for as long as it lives.
class PlacementBuild {
public:
    explicit PlacementBuild(ViewNode& node);
    ~PlacementBuild();
    PlacementBuild(const PlacementBuild&) = delete;
    PlacementBuild& operator=(const PlacementBuild&) = delete;

private:
    ViewNode& node_;
};

template <class F>
void ViewNode::buildDuringPlacement(F&& build) {
    const PlacementBuild scope(*this);
    build();
}

// Tears a subtree down (willUnmount on every node, children first) before it is dropped.
void unmountSubtree(ViewNode& node);
std::unique_ptr<ViewNode> makeNode(const AnyView& view, ViewNode* parent, AnyHashable key, const EnvironmentValues& env);

// Layout of a list of elements as a stack (used by HStack, VStack and by content with several elements
// under a modifier, which stacks vertically).
// A stack's distribution for each proposal it was given (what it offered each child, the sizes they
// answered and its extent across), kept until the stack changes, so that sizing, alignment queries and
// placement under a proposal all use what each child was measured with.
struct StackCache {
    struct Entry {
        ProposedViewSize proposal;
        CGSize size;
        std::vector<ProposedViewSize> offers;
        std::vector<CGSize> sizes;
        CGFloat before = 0; // largest distance from an element's cross start to its guide
        CGFloat after = 0;  // largest distance from the guide to an element's cross end
    };
    std::vector<Entry> entries;
};

struct StackLayout {
    Axis axis = Axis::vertical;
    std::optional<CGFloat> spacing;
    Alignment alignment;

    CGSize sizeThatFits(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal, StackCache* cache = nullptr) const;
    // Places the elements in `bounds`, the stack's size for `proposal`.
    void place(const std::vector<ViewNode*>& elements, const CGRect& bounds, const ProposedViewSize& proposal,
               StackCache* cache = nullptr) const;
    std::optional<CGFloat> explicitAlignment(const std::vector<ViewNode*>& elements, AlignmentKey key, CGSize size,
                                             StackCache* cache = nullptr) const;

private:
    StackCache::Entry& entry(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal, StackCache& cache) const;
    StackCache::Entry distribute(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal) const;
};

// Size and placement of a node's content elements as one view (a single element, nothing, or a
// vertical stack of several).
CGSize sizeOfContent(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal);
void placeContent(const std::vector<ViewNode*>& elements, const CGRect& bounds, const ProposedViewSize& proposal);
std::optional<CGFloat> contentAlignment(const std::vector<ViewNode*>& elements, AlignmentKey key, CGSize size);

// Alignment value of an element of the given size: explicit if it has one, else the guide's default.
CGFloat alignmentValue(ViewNode* element, AlignmentKey key, CGSize size);
ViewDimensions dimensionsOf(ViewNode* element, CGSize size);

inline constexpr CGFloat defaultSpacing = 8;
inline constexpr CGFloat defaultPadding = 16;

} // namespace glimmo
