#pragma once

// A 400 by 700 window showing a view until it has settled, as the main-loop and frame benchmarks make
// it: the view made and laid out, then the main loop driven until the view's first words are drawn and
// 20 turns in a row evaluate no body. Each turn of ours updates the views and, when an update asked for
// display (a change, or a frame of an animation), makes a frame, as a window repaints; the longest hold
// of the loop counts from before the view is made.

#include "bench/MainLoopHold.h"
#include "platform/view/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class AnyView;
struct DisplayList;
class TextMeasurer;
class ViewHost;

namespace bench {

// Whether a line of text in `list` holds `part`.
bool draws(const DisplayList& list, const std::string& part);

class SettledWindow {
public:
    static constexpr CGSize size{400, 700};
    // What a frame does: the display list by default; a benchmark of frames paints it too (painted()).
    using Frame = std::function<void(ViewHost&)>;
    // A frame as a window makes it: the display list, painted offscreen into one image kept from frame
    // to frame, as a window paints into its own.
    static Frame painted();

    // Ends the program when `firstWords` are not drawn within 120 s. With `alsoSettled`, the turns go
    // on until it holds too (no task waiting, say).
    SettledWindow(const std::function<AnyView()>& makeView, const std::string& firstWords,
                  std::shared_ptr<const TextMeasurer> measurer, Frame frame = {},
                  std::function<bool()> alsoSettled = {});
    ~SettledWindow();
    SettledWindow(const SettledWindow&) = delete;
    SettledWindow& operator=(const SettledWindow&) = delete;

    ViewHost& host() { return *host_; }
    double longestHold() const { return longestHold_; } // seconds
    double shownAfter() const { return shownAfter_; }   // seconds from before the view was made until its first words were drawn

    // Makes `change` in a turn of ours, then drives the main loop the same way until `words` are drawn
    // and the views have settled again: the longest hold of the loop from the change on, in seconds.
    double holdAfter(const std::function<void()>& change, const std::string& words);

private:
    // Turns until `words` are drawn and nothing changes: the seconds from `start` until they were drawn.
    double settle(LongestHold& hold, const std::string& words, SteadyClock::time_point start);

    std::unique_ptr<ViewHost> host_;
    Frame frame_;
    std::function<bool()> alsoSettled_;
    bool needsFrame_ = false;
    double longestHold_ = 0;
    double shownAfter_ = 0;
};

} // namespace bench
} // namespace glimmo
