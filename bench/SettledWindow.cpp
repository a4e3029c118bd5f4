#include "bench/SettledWindow.h"

#include "bench/MainLoopHold.h"
#include "bench/MainLoopTurns.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewHost.h"
#include "platform/view/View.h"

#include <variant>

namespace glimmo::bench {

namespace {

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

} // namespace

SettledWindow::SettledWindow(const std::function<AnyView()>& makeView, const std::string& firstWords,
                             std::shared_ptr<const TextMeasurer> measurer, Frame frame,
                             const std::function<bool()>& alsoSettled) {
    if (!frame) frame = [](ViewHost& host) { host.displayList(); };
    const auto start = SteadyClock::now();
    host_ = std::make_unique<ViewHost>(makeView(), std::move(measurer));
    host_->setSize(size);
    frame(*host_);
    LongestHold hold;
    hold.note(SteadyClock::now() - start);

    bool shown = false;
    int quietTurns = 0;
    std::size_t evaluations = host_->bodyEvaluationCount();
    const auto turn = [&] {
        hold.turn([&] {
            if (host_->update()) frame(*host_);
            if (!shown && draws(host_->displayList(), firstWords)) {
                shown = true;
                shownAfter_ = seconds(SteadyClock::now() - start);
            }
            const std::size_t now = host_->bodyEvaluationCount();
            quietTurns = now == evaluations && (!alsoSettled || alsoSettled()) ? quietTurns + 1 : 0;
            evaluations = now;
        });
    };
    turnUntil(RunLoop::main(), turn, [&] { return shown && quietTurns >= 20; }, 120,
              "\"" + firstWords + "\" was not shown within 120 s");
    longestHold_ = hold.seconds();
}

SettledWindow::~SettledWindow() = default;

} // namespace glimmo::bench
