#pragma once

// Runs a root view: keeps its render tree, re-evaluates what changed, lays out, builds the display list
// and routes input. A window backend (Qt) owns one ViewHost per window:
//
//     ViewHost host(AnyView(ContentView{...}), measurer);
//     host.setNeedsDisplayHandler([&] { widget.update(); });   // called on the main loop after a change
//     host.setSize({400, 700});
//     paint(host.displayList());                                // brings the tree up to date first
//     host.handlePointer({PointerEvent::Kind::pressed, {x, y}});
//     host.handleWheel({{x, y}, 0, -40});
//     if (auto tip = host.tooltip()) showToolTip(tip->text, tip->anchor);
//
// Updates caused by state changes, observed objects or the environment are coalesced: the first change
// posts one update to RunLoop::main(); the update re-evaluates the invalidated views, lays out and draws
// again what they changed and then calls the needs-display handler. Hosts call everything on the main
// thread.

#include "platform/view/Animation.h"
#include "platform/view/Color.h"
#include "platform/view/DisplayList.h"
#include "platform/view/Geometry.h"
#include "platform/view/InputEvents.h"
#include "platform/view/TextMeasurer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

class AnyView;
class EnvironmentValues;
class ViewGraph;

struct Tooltip {
    std::string text;
    CGRect anchor; // frame of the view that carries the help text, window coordinates
};

enum class CursorShape : std::uint8_t { arrow, pointingHand, iBeam };

// A view carrying an accessibility label, with its frame in window coordinates.
struct LabelledViewElement {
    std::string label;
    CGRect frame;
};

class ViewHost {
public:
    ViewHost(AnyView root, std::shared_ptr<const TextMeasurer> measurer);
    ~ViewHost();
    ViewHost(const ViewHost&) = delete;
    ViewHost& operator=(const ViewHost&) = delete;

    // The window content size; a change lays out again.
    void setSize(CGSize size);
    CGSize size() const;
    // The root's size for an unspecified proposal (what the window would like to be).
    CGSize idealSize();
    // The size the root takes for a proposal (used by windows that size to fit).
    CGSize sizeThatFits(ProposedViewSize proposal);

    void setColorScheme(ColorScheme scheme);
    // Changes the root environment (for example to add environment objects); triggers an update.
    void modifyEnvironment(const std::function<void(EnvironmentValues&)>& change);

    // Called on the main loop after an update produced a new display list.
    void setNeedsDisplayHandler(std::function<void()> handler);
    // Brings the tree up to date (evaluation, layout) and returns the display list of the current size.
    const DisplayList& displayList();
    // Runs any pending update now; returns whether something was updated.
    bool update();
    // The transaction of the last update (withAnimation / withTransaction around the change that caused
    // it). While animated frames move, the needs-display handler is called on every frame (60 Hz).
    Transaction lastTransaction() const;
    // Number of view bodies evaluated since the host was made (for benchmarks and tests).
    std::size_t bodyEvaluationCount() const;

    // Input. Each returns whether a view handled the event. Handling may change state, which schedules
    // an update as usual.
    bool handlePointer(const PointerEvent& event);
    bool handleWheel(const WheelEvent& event);
    bool handleKey(const KeyEvent& event);
    // The help text of the view under the pointer, if any.
    std::optional<Tooltip> tooltip() const;
    CursorShape cursor() const;

    // The labelled views of the laid-out tree, in tree order, then those of the presentation layer
    // (open menus, alerts), topmost last (brings the tree up to date first).
    std::vector<LabelledViewElement> accessibilityElements();

    // The render tree, for tests and tools that inspect frames.
    ViewGraph& graph();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
