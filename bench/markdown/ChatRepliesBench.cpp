// How a chat keeps up as it grows. The chat page (400 by 700, text measured with Qt offscreen) shows
// earlier questions, each answered with a long reply of about 300 KB (each bubble shows its excerpt),
// and a last question whose reply is pending. The reply, as long, then arrives: the longest hold of the
// main loop from its arrival until it is drawn and nothing changes any more (the page scrolls to it,
// animated, and every frame is painted offscreen as a window paints it). Then the wheel turns 600
// notches up from the bottom over the conversation, through the last bubbles: the worst frame. The
// independent baseline is the first reply of a chat, with no earlier ones, shown and scrolled the same
// way in the same run. Prints each figure and
//   ratio chat_new_reply_hold_12_long_over_first <hold with 12 long replies shown / that of the first reply>
//   ratio chat_scroll_frame_12_long_over_first <worst scroll frame with 12 long replies / with the first>
//   ratio chat_new_reply_hold_longest_ms <the hold with 12 long replies, in milliseconds; the goal is at most 100>
//   ratio chat_scroll_frame_longest_ms <the worst scroll frame with 12 long replies, in milliseconds; the goal is at most 33>
//
// Usage: chat_replies_bench [runs]   (default 5; medians of the runs, since a hold of 20 to 40 ms is noisy)

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/QtBenchSession.h"
#include "bench/SettledWindow.h"
#include "bench/markdown/SampleReplies.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/ChatView.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace glimmo;
using bench::printRatio;
using bench::SettledWindow;

constexpr std::size_t replyBytes = 300000;
constexpr int scrollNotches = 600;

struct Figures {
    double newReply = 0; // seconds, the longest hold
    double scroll = 0;   // seconds, the worst frame
};

std::string answer(int index) { return "Answer " + std::to_string(index) + ". " + bench::plainReply(replyBytes); }
std::string question(int index) { return "Question " + std::to_string(index) + "?"; }

Figures chatWith(int earlierReplies, const bench::QtBenchSession& session) {
    const auto model = std::make_shared<ChatViewModel>(session.service(), "TODAY");
    std::vector<ChatMessage> messages;
    for (int i = 0; i < earlierReplies; ++i) {
        messages.push_back({UUID::random(), ChatMessage::SenderRole::user, question(i), false});
        messages.push_back({UUID::random(), ChatMessage::SenderRole::assistant, answer(i), false});
    }
    messages.push_back({UUID::random(), ChatMessage::SenderRole::user, question(earlierReplies), false});
    messages.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "", true});
    model->messages = std::move(messages);
    const SettledWindow::Frame frame = SettledWindow::painted();
    SettledWindow window([model] { return AnyView(ChatView([model] { return model; }, "TODAY")); },
                         question(earlierReplies), session.measurer(), frame);

    // The reply takes the placeholder's place, as the model puts it there.
    const std::string reply = answer(earlierReplies);
    Figures figures;
    figures.newReply = window.holdAfter(
        [&] {
            model->messages.modify([&](std::vector<ChatMessage>& list) {
                list.back() = {UUID::random(), ChatMessage::SenderRole::assistant, reply, false};
            });
        },
        "Answer " + std::to_string(earlierReplies) + ".");

    // Three lines of body text a notch, as a wheel scrolls.
    const CGFloat notch = 3 * 16;
    ViewHost& host = window.host();
    for (int i = 0; i < scrollNotches; ++i) {
        figures.scroll = std::max(figures.scroll, bench::secondsOf([&] {
            host.handleWheel({{MessageView::maxBubbleWidth / 2, ChatView::conversationHeight / 2}, 0, notch, {}});
            host.update();
            frame(host);
        }));
    }
    return figures;
}

Figures medianFigures(int runs, int earlierReplies, const bench::QtBenchSession& session) {
    std::vector<double> newReply, scroll;
    for (int run = 0; run < runs; ++run) {
        const Figures once = chatWith(earlierReplies, session);
        newReply.push_back(once.newReply);
        scroll.push_back(once.scroll);
    }
    return {bench::median(newReply), bench::median(scroll)};
}

void print(const char* name, const Figures& figures) {
    std::printf("%-32s new reply held the main loop %7.1f ms, worst scroll frame %7.1f ms\n", name, figures.newReply * 1e3,
                figures.scroll * 1e3);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = bench::runsFrom(argc, argv, 5);
    const bench::QtBenchSession session;
    chatWith(0, session); // fonts and caches warm
    const Figures first = medianFigures(runs, 0, session);
    print("first reply of a chat", first);
    const Figures afterTwelve = medianFigures(runs, 12, session);
    print("reply after 12 long replies", afterTwelve);

    printRatio("chat_new_reply_hold_12_long_over_first", afterTwelve.newReply / first.newReply);
    printRatio("chat_scroll_frame_12_long_over_first", afterTwelve.scroll / first.scroll);
    bench::printLongestMs("chat_new_reply_hold_longest_ms", afterTwelve.newReply, 100);
    bench::printLongestMs("chat_scroll_frame_longest_ms", afterTwelve.scroll, 33, "a scroll frame took");
    return 0;
}
