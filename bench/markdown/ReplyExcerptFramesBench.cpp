// How long the frames of a long reply's excerpt take, in the journal (Markdown) and in a chat bubble
// (plain text): the first frame, the longest hold of the main loop from the window's making until the
// reply's first words are painted and nothing changes any more, and the worst frame while the wheel
// scrolls through the reply from top to bottom over the middle of the window. A frame is what the
// window does: an update of its views, its display list, and the list painted offscreen as a window
// paints it. The plain reply runs to 1 MB, so both show its 64 KiB excerpt; a reply of mixed Markdown
// (headings with emoji, prose with bold, code and links, nested lists, fenced code, quotes, small
// tables) of 64 KiB is shown in the journal too. The independent baselines are an ordinary 8 KB journal,
// and 8 KB of the same mix, shown and scrolled the same way in the same run. Prints each figure and
//   ratio excerpt_first_frame_<journal|chat>_over_ordinary <first frame / that of the ordinary journal>
//   ratio excerpt_scroll_frame_<journal|chat>_over_ordinary <worst scroll frame / that of the ordinary journal>
//   ratio excerpt_first_frame_mixed_64k_over_8k <first frame of the 64 KiB mix / that of 8 KB of it>
//   ratio excerpt_scroll_frame_mixed_64k_over_8k <worst scroll frame of the 64 KiB mix / that of 8 KB of it>
//   ratio excerpt_first_frame_longest_ms <the longest first frame, in milliseconds; the goal is at most 100>
//   ratio excerpt_scroll_frame_longest_ms <the worst scroll frame, in milliseconds; the goal is at most 33>
//
// Usage: reply_excerpt_frames_bench [runs]   (default 5; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/QtBenchSession.h"
#include "bench/ReplyViews.h"
#include "bench/SettledWindow.h"
#include "bench/markdown/SampleReplies.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/ChatView.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace glimmo;
using bench::printRatio;
using bench::SettledWindow;

struct Frames {
    double first = 0;  // seconds
    double scroll = 0; // seconds, the worst
};

// Shows the view until it has settled, then turns the wheel over `wheelAt` a notch at a time until the
// reply stops moving.
Frames showAndScroll(const std::function<AnyView()>& makeView, const std::string& firstWords, CGPoint wheelAt,
                     const bench::QtBenchSession& session) {
    const SettledWindow::Frame frame = SettledWindow::painted();
    SettledWindow window(makeView, firstWords, session.measurer(), frame);
    Frames frames;
    frames.first = window.longestHold();

    // Three lines of body text a notch, as a wheel scrolls.
    const CGFloat notch = 3 * 16;
    ViewHost& host = window.host();
    // The reply stops moving once the wheel reaches the end: a notch then changes nothing to update.
    for (int still = 0; still < 3;) {
        bool moved = false;
        frames.scroll = std::max(frames.scroll, bench::secondsOf([&] {
            host.handleWheel({wheelAt, 0, -notch, {}});
            moved = host.update();
            frame(host);
        }));
        still = moved ? 0 : still + 1;
    }
    return frames;
}

Frames journal(const std::string& reply, const std::string& firstWords, const bench::QtBenchSession& session) {
    return showAndScroll(bench::journalShowing(reply, session.service()), firstWords,
                         {SettledWindow::size.width / 2, SettledWindow::size.height / 2}, session);
}

Frames chat(const std::string& reply, const std::string& firstWords, const bench::QtBenchSession& session) {
    return showAndScroll(bench::chatShowing(reply, session.service()), firstWords,
                         {MessageView::maxBubbleWidth / 2, ChatView::conversationHeight / 2}, session);
}

Frames medianFrames(int runs, const std::function<Frames()>& measure) {
    std::vector<double> first, scroll;
    for (int run = 0; run < runs; ++run) {
        const Frames once = measure();
        first.push_back(once.first);
        scroll.push_back(once.scroll);
    }
    return {bench::median(first), bench::median(scroll)};
}

void print(const char* name, const Frames& frames) {
    std::printf("%-32s first frame %7.1f ms, worst scroll frame %7.1f ms\n", name, frames.first * 1e3, frames.scroll * 1e3);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = bench::runsFrom(argc, argv);
    const bench::QtBenchSession session;
    const std::string ordinary = bench::ordinaryJournal();
    const std::string longReply = bench::plainReply(1000000);
    journal(ordinary, "Quarterly report", session); // fonts and caches warm
    const Frames baseline = medianFrames(runs, [&] { return journal(ordinary, "Quarterly report", session); });
    print("ordinary journal (8 KB)", baseline);
    const Frames inJournal = medianFrames(runs, [&] { return journal(longReply, "Paragraph 0:", session); });
    print("64 KiB excerpt in the journal", inJournal);
    const Frames inChat = medianFrames(runs, [&] { return chat(longReply, "Paragraph 0:", session); });
    print("64 KiB excerpt in a chat bubble", inChat);
    const std::string smallMix = bench::mixedReply(8 * 1024);
    const std::string largeMix = bench::mixedReply(64 * 1024);
    const Frames mixed8k = medianFrames(runs, [&] { return journal(smallMix, "Quarterly report 0", session); });
    print("8 KB of mixed Markdown", mixed8k);
    const Frames mixed64k = medianFrames(runs, [&] { return journal(largeMix, "Quarterly report 0", session); });
    print("64 KiB of mixed Markdown", mixed64k);

    printRatio("excerpt_first_frame_journal_over_ordinary", inJournal.first / baseline.first);
    printRatio("excerpt_scroll_frame_journal_over_ordinary", inJournal.scroll / baseline.scroll);
    printRatio("excerpt_first_frame_chat_over_ordinary", inChat.first / baseline.first);
    printRatio("excerpt_scroll_frame_chat_over_ordinary", inChat.scroll / baseline.scroll);
    printRatio("excerpt_first_frame_mixed_64k_over_8k", mixed64k.first / mixed8k.first);
    printRatio("excerpt_scroll_frame_mixed_64k_over_8k", mixed64k.scroll / mixed8k.scroll);
    bench::printLongestMs("excerpt_first_frame_longest_ms", std::max({inJournal.first, inChat.first, mixed64k.first}), 100,
                          "a first frame took");
    bench::printLongestMs("excerpt_scroll_frame_longest_ms", std::max({inJournal.scroll, inChat.scroll, mixed64k.scroll}), 33,
                          "a scroll frame took");
    return 0;
}
