#pragma once

// A 400 by 700 window showing a view until it has settled, as the main-loop and frame benchmarks make
// it: the view made and laid out, then the main loop driven until the view's first words are drawn and
// 20 turns in a row evaluate no body. Each turn of ours updates the views and, when that changed
// something, makes a frame; the longest hold of the loop counts from before the view is made.

#include "platform/view/Geometry.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class AnyView;
class TextMeasurer;
class ViewHost;

namespace bench {

class SettledWindow {
public:
    static constexpr CGSize size{400, 700};
    // What a frame does: the display list by default; a benchmark of frames paints it too.
    using Frame = std::function<void(ViewHost&)>;

    // Ends the program when `firstWords` are not drawn within 120 s. With `alsoSettled`, the turns go
    // on until it holds too (no task waiting, say).
    SettledWindow(const std::function<AnyView()>& makeView, const std::string& firstWords,
                  std::shared_ptr<const TextMeasurer> measurer, Frame frame = {},
                  const std::function<bool()>& alsoSettled = {});
    ~SettledWindow();
    SettledWindow(const SettledWindow&) = delete;
    SettledWindow& operator=(const SettledWindow&) = delete;

    ViewHost& host() { return *host_; }
    double longestHold() const { return longestHold_; } // seconds
    double shownAfter() const { return shownAfter_; }   // seconds from before the view was made until its first words were drawn

private:
    std::unique_ptr<ViewHost> host_;
    double longestHold_ = 0;
    double shownAfter_ = 0;
};

} // namespace bench
} // namespace glimmo
