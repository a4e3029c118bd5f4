#include "bench/SettledWindow.h"

#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "platform/qt/OffscreenRendering.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewHost.h"
#include "platform/view/View.h"

#include <variant>

namespace glimmo::bench {

bool draws(const DisplayList& list, const std::string& part) {
    for (const DisplayItem& item : list.items) {
        if (const auto* text = std::get_if<TextItem>(&item)) {
            std::string line;
            for (const auto& run : text->runs) line += run.text;
            if (line.find(part) != std::string::npos) return true;
        }
    }
    return false;
}

SettledWindow::SettledWindow(const std::function<AnyView()>& makeView, const std::string& firstWords,
                             std::shared_ptr<const TextMeasurer> measurer, Frame frame,
                             std::function<bool()> alsoSettled)
    : frame_(frame ? std::move(frame) : [](ViewHost& host) { host.displayList(); }),
      alsoSettled_(std::move(alsoSettled)) {
    const auto start = SteadyClock::now();
    host_ = std::make_unique<ViewHost>(makeView(), std::move(measurer));
    host_->setNeedsDisplayHandler([this] { needsFrame_ = true; });
    host_->setSize(size);
    frame_(*host_);
    needsFrame_ = false;
    LongestHold hold;
    hold.note(SteadyClock::now() - start);
    shownAfter_ = settle(hold, firstWords, start);
    longestHold_ = hold.seconds();
}

SettledWindow::~SettledWindow() = default;

SettledWindow::Frame SettledWindow::painted() {
    return [painter = std::make_shared<FramePainter>()](ViewHost& host) { painter->paint(host.displayList()); };
}

double SettledWindow::holdAfter(const std::function<void()>& change, const std::string& words) {
    LongestHold hold;
    hold.turn(change);
    settle(hold, words, SteadyClock::now());
    return hold.seconds();
}

double SettledWindow::settle(LongestHold& hold, const std::string& words, SteadyClock::time_point start) {
    double shown = 0;
    bool drawn = false;
    int quietTurns = 0;
    std::size_t evaluations = host_->bodyEvaluationCount();
    const auto turn = [&] {
        hold.turn([&] {
            host_->update();
            if (needsFrame_) {
                needsFrame_ = false;
                frame_(*host_);
            }
            if (!drawn && draws(host_->displayList(), words)) {
                drawn = true;
                shown = seconds(SteadyClock::now() - start);
            }
            const std::size_t now = host_->bodyEvaluationCount();
            quietTurns = now == evaluations && (!alsoSettled_ || alsoSettled_()) ? quietTurns + 1 : 0;
            evaluations = now;
        });
    };
    turnUntil(RunLoop::main(), turn, [&] { return drawn && quietTurns >= 20; }, 120,
              "\"" + words + "\" was not shown within 120 s");
    return shown;
}

} // namespace glimmo::bench
