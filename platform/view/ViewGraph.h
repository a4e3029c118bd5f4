#pragma once

// The update engine behind a ViewHost (internal to the kit): invalidation, coalesced updates on the
// main loop, the evaluate / lay out / gather preferences / run actions cycle, and input routing.

#include "platform/view/Animation.h"
#include "platform/view/DisplayList.h"
#include "platform/view/ViewHost.h"
#include "platform/view/ViewNode.h"

#include <functional>
#include <memory>
#include <optional>
#include <unordered_set>
#include <vector>

namespace glimmo {

// A view that presents a layer above the tree (see Presentation.h).
class Presenter {
public:
    virtual ~Presenter() = default;
    virtual ViewNode* presentedLayer() const = 0;
    virtual void placeLayer(CGSize window) = 0;
    // A click landed outside the layer: returns true when that closed it and used the click up.
    virtual bool clickedOutside() = 0;
};

class ViewGraph {
public:
    ViewGraph(AnyView root, std::shared_ptr<const TextMeasurer> measurer);
    ~ViewGraph();
    ViewGraph(const ViewGraph&) = delete;
    ViewGraph& operator=(const ViewGraph&) = delete;

    const TextMeasurer& measurer() const { return *measurer_; }
    ViewNode* root() const { return root_.get(); }

    // Invalidation (from state, observed objects, defaults): marks the node and schedules an update.
    void invalidate(ViewNode* node);
    // Work to run after the current evaluation and layout (appear, change, preference actions).
    void enqueueAction(std::function<void()> action);
    // Lays out and draws everything again at the next update (a change the kit cannot pin to nodes).
    void setNeedsLayout();
    // Asks for an update for changes the nodes have marked on themselves (see ViewNode::invalidateLayout).
    void setNeedsUpdate();
    // Forgets every remembered layout answer and measured text: the next update lays out, measures and
    // draws the whole tree from scratch (what a benchmark compares an incremental update with).
    void forgetLayout();
    // Work that needs the layout that includes every change made so far (scrolling to a view that was
    // just added): runs right after the next layout pass, before the actions.
    void afterNextLayout(std::function<void()> work);

    // The root environment and the window size.
    void modifyEnvironment(const std::function<void(EnvironmentValues&)>& change);
    void setSize(CGSize size);
    CGSize size() const { return size_; }
    CGSize sizeThatFits(const ProposedViewSize& proposal);

    // Runs pending evaluation and layout; returns whether anything was done.
    bool update();
    bool needsUpdate() const { return needsUpdate_; }
    const DisplayList& displayList();
    std::size_t layoutGeneration() const { return layoutGeneration_; }
    // Counts updates; 1 during the first.
    std::size_t updateCount() const { return updateCount_; }
    std::size_t bodyEvaluations = 0;
    void setScheduler(std::function<void()> schedule) { schedule_ = std::move(schedule); }
    void setDidUpdate(std::function<void()> didUpdate) { didUpdate_ = std::move(didUpdate); }

    // Change tracking, called by the nodes (see NodeChanges.cpp): nodes whose answers must be compared,
    // whose children must be placed again, whose drawing changed.
    void layoutChanged(ViewNode* node);
    void placementChanged(ViewNode* node);
    void displayChanged(ViewNode* node);
    void ownItemsChanged(ViewNode* node);
    // A node whose placement reads more than its own subtree is placed again at every layout.
    void placeAtEveryLayout(ViewNode* node);
    // Drawing a part of the list in place: keeps the items of `node`, unchanged since it was drawn, as
    // the next ones of the part being drawn, and records where they and those of the nodes inside will
    // be; false when where they are is not known.
    bool takeOverDrawing(ViewNode& node, RenderContext& ctx);
    // A node that remembers too many answers forgets them, with its ancestors, once the layout is done.
    void answersOverflowed(ViewNode* node) { overflowed_.insert(node); }
    bool placesEverything() const { return placeEverything_; }
    void beginBuildDuringPlacement() { ++buildDepth_; }
    void endBuildDuringPlacement() { --buildDepth_; }
    bool isBuildingDuringPlacement() const { return buildDepth_ > 0; }
    // Preferences are gathered along the changed paths before each layout: readers of values that do not
    // rest on placement change state before anything is placed, not after (which would place what they
    // move a second time). Values that rest on placement are gathered again after it.
    bool gatheringBeforePlacement() const { return gatheringBeforePlacement_; }
    void runBeforePlacement(std::function<void()> action) { beforePlacement_.push_back(std::move(action)); }
    // Work done since the graph was made, for tests and benchmarks: sizes computed, nodes that placed
    // their children, nodes drawn, display lists built from scratch.
    struct Work {
        std::size_t sizes = 0;
        std::size_t placements = 0;
        std::size_t drawnNodes = 0;
        std::size_t fullDisplayLists = 0;
    };
    Work work;

    // Input.
    bool handlePointer(const PointerEvent& event);
    bool handleWheel(const WheelEvent& event);
    bool handleKey(const KeyEvent& event);
    std::optional<Tooltip> tooltip() const;
    CursorShape cursor() const;

    // Keeps drawing `node` until its animations finish (needs the main loop for the frame timer).
    void animate(ViewNode* node);

    // The presentation layer: layers drawn and hit-tested after the root, in the order presented.
    void addPresenter(Presenter* presenter);
    void removePresenter(Presenter* presenter);
    std::vector<ViewNode*> presentedLayers() const;
    // The deepest node under `point`, looking at the layers (topmost first) before the root.
    ViewNode* hitTest(CGPoint point, ViewNode::HitPurpose purpose) const;

    // Focus: the node that receives key events.
    void focus(ViewNode* node);
    ViewNode* focusedNode() const { return focused_; }
    // Nodes that are being removed must be forgotten by input routing.
    void forget(ViewNode* node);

    // The transaction of the update being run (from withAnimation/withTransaction), and that of the
    // last update that ran.
    Transaction currentTransaction;
    Transaction lastTransaction;

private:
    void evaluateDirty();
    // Gathers preferences before placement and runs the readers' actions; returns whether they changed
    // state (to be evaluated before placing).
    bool settleBeforePlacement();
    void layout();
    // Compares the answers of changed nodes, deepest first, and passes changes on to their parents.
    void settleLayoutChanges();
    void settle(ViewNode* node);
    void placeChangedNodes();
    bool runActions();
    void rebuildDisplayList();
    void drawEverything();
    // Draws `node` again over its items; false when where they are is not known.
    bool redrawInPlace(ViewNode* node);
    // Draws again the items of `node` around its children, or else the node whole; false when where
    // its items are is not known.
    bool redrawOwnItems(ViewNode* node);
    // Whether a running animation moves or fades views: frames then change without layout.
    bool animationMovesViews() const;
    // Puts a part drawn again over the items from `begin` to `end`: its new items, and in between the
    // items it kept where they are. Returns how many items the part has.
    std::size_t replaceItems(std::size_t begin, std::size_t end, RenderContext& part);
    // Where a node's items are now, after the edits made since it was drawn.
    std::optional<std::pair<std::size_t, std::size_t>> listRange(const ViewNode* node) const;
    static void forgetAnswers(ViewNode* node);
    void updateHover(std::optional<CGPoint> location);
    void scheduleUpdate();
    void ensureBuilt();

    std::shared_ptr<const TextMeasurer> measurer_;
    std::unique_ptr<ViewNode> root_;
    EnvironmentValues rootEnvironment_;
    AnyView rootView_;
    CGSize size_{0, 0};
    std::vector<ViewNode*> dirty_;
    std::vector<ViewNode*>* evaluating_ = nullptr;
    // The nodes being placed again; forget() nulls those destroyed meanwhile.
    std::vector<ViewNode*>* placing_ = nullptr;
    bool rootEnvironmentChanged_ = false;
    std::vector<std::function<void()>> actions_;
    bool gatheringBeforePlacement_ = false;
    std::vector<std::function<void()>> beforePlacement_;
    std::vector<std::function<void()>> afterLayout_;
    bool needsUpdate_ = true;
    bool updateScheduled_ = false;
    bool inUpdate_ = false;
    std::size_t layoutGeneration_ = 0;
    std::size_t updateCount_ = 0;
    std::function<void()> schedule_;
    std::function<void()> didUpdate_;
    DisplayList displayList_;
    bool displayListValid_ = false;
    bool drawEverything_ = true;
    // Parts of the display list drawn again since it was drawn whole: where, how many items went, how
    // many came.
    struct ListEdit {
        std::size_t position;
        std::size_t removed;
        std::size_t added;
    };
    std::vector<ListEdit> listEdits_;
    bool placeEverything_ = true;
    int buildDepth_ = 0;
    std::unordered_set<ViewNode*> layoutChanged_;
    std::unordered_set<ViewNode*> placementChanged_;
    std::unordered_set<ViewNode*> displayChanged_;
    std::vector<ViewNode*> ownItemsChanged_;
    std::unordered_set<ViewNode*> placedAtEveryLayout_;
    std::unordered_set<ViewNode*> overflowed_;
    bool settling_ = false;
    std::vector<std::vector<ViewNode*>> settleQueue_; // by depth

    void animationTick();
    std::vector<ViewNode*> animated_;
    std::shared_ptr<class Timer> animationTimer_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::vector<Presenter*> presenters_;
    ViewNode* hoverTarget_ = nullptr;
    std::vector<ViewNode*> hoverChain_;
    ViewNode* pressed_ = nullptr;
    ViewNode* focused_ = nullptr;
    std::optional<CGPoint> pointer_;
};

// The graph whose nodes are being evaluated or whose events are being handled on this thread.
ViewGraph* currentGraph();

} // namespace glimmo
