// How long the frames of a long reply's excerpt take, in the journal (Markdown) and in a chat bubble
// (plain text): the first frame, the longest hold of the main loop from the window's making until the
// reply's first words are painted and nothing changes any more, and the worst frame while the wheel
// scrolls through the reply from top to bottom over the middle of the window. A frame is what the
// window does: an update of its views, its display list, and the list painted offscreen as a window
// paints it. The plain reply runs to 1 MB, so both show its 64 KiB excerpt; a reply of mixed Markdown
// (headings with emoji, prose with bold, code and links, nested lists, fenced code, quotes, small
// tables) of 64 KiB is shown in the journal too. The independent baselines are an ordinary 8 KB journal,
// and 8 KB of the same mix, shown and scrolled the same way in the same run. Each long reply is also
// moved through in a new window of its own by the keys and the indicator, after a click on the reply
// gives its scroll view the keys: Page Down a page at a time from the top to the end, End at once from
// the top, and the indicator's thumb dragged from the top to the bottom 5 points at a time, each of
// whose worst frame is held against the wheel's through the same reply. Prints each figure and
//   ratio excerpt_first_frame_<journal|chat>_over_ordinary <first frame / that of the ordinary journal>
//   ratio excerpt_scroll_frame_<journal|chat>_over_ordinary <worst scroll frame / that of the ordinary journal>
//   ratio excerpt_first_frame_mixed_64k_over_8k <first frame of the 64 KiB mix / that of 8 KB of it>
//   ratio excerpt_scroll_frame_mixed_64k_over_8k <worst scroll frame of the 64 KiB mix / that of 8 KB of it>
//   ratio excerpt_<page_down|end|thumb_drag>_frame_over_wheel <the worst such frame / the wheel's worst
//         through the same reply, the largest of the three long replies>
//   ratio excerpt_first_frame_longest_ms <the longest first frame, in milliseconds; the goal is at most 100>
//   ratio excerpt_scroll_frame_longest_ms <the worst frame of the wheel, a key or a drag, in milliseconds;
//         the goal is at most 33>
//
// Usage: reply_excerpt_frames_bench [runs]   (default 5; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/MainLoopHold.h"
#include "bench/QtBenchSession.h"
#include "bench/ReplyViews.h"
#include "bench/SettledWindow.h"
#include "bench/markdown/SampleReplies.h"
#include "platform/view/ViewGraph.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/ChatView.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>
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

// How the reply is moved through: the wheel a notch at a time over the middle of the view, Page Down a
// page at a time, End at once, the indicator's thumb dragged 5 points at a time; all from the top.
enum class Move { wheel, pageDown, end, thumb };

// The window frame of the outermost scroll view: the one holding the reply.
std::optional<CGRect> outermostScrollView(ViewNode& node) {
    if (node.scrollsContent()) return node.inWindow(node.frame);
    for (auto& child : node.children) {
        if (const auto found = outermostScrollView(*child)) return found;
    }
    return std::nullopt;
}

PointerEvent pointer(PointerEvent::Kind kind, CGPoint at) {
    PointerEvent event;
    event.kind = kind;
    event.location = at;
    return event;
}

KeyEvent key(const char* name) {
    KeyEvent event;
    event.key = name;
    return event;
}

// Shows the view until it has settled, then moves the reply through from its top to its end.
Frames showAndMove(const std::function<AnyView()>& makeView, const std::string& firstWords, CGPoint at,
                   const bench::QtBenchSession& session, Move move) {
    const SettledWindow::Frame frame = SettledWindow::painted();
    SettledWindow window(makeView, firstWords, session.measurer(), frame);
    Frames frames;
    frames.first = window.longestHold();
    ViewHost& host = window.host();
    // A frame after `input`; whether it moved anything.
    const auto measured = [&](const std::function<void()>& input) {
        bool moved = false;
        frames.scroll = std::max(frames.scroll, bench::secondsOf([&] {
            input();
            moved = host.update();
            frame(host);
        }));
        return moved;
    };
    // Three lines of body text a notch, as a wheel scrolls.
    const CGFloat notch = 3 * 16;
    if (move != Move::wheel) {
        // The click that gives the reply's scroll view the keys, as a user's would.
        host.handlePointer(pointer(PointerEvent::Kind::pressed, at));
        host.handlePointer(pointer(PointerEvent::Kind::released, at));
        host.update();
        frame(host);
    }
    switch (move) {
    case Move::wheel:
    case Move::pageDown:
        // The reply stops moving once it reaches the end: a step then changes nothing to update.
        for (int still = 0; still < 3;) {
            const bool moved = measured([&] {
                if (move == Move::wheel) host.handleWheel({at, 0, -notch, {}});
                else host.handleKey(key("PageDown"));
            });
            still = moved ? 0 : still + 1;
        }
        break;
    case Move::end:
        if (!measured([&] { host.handleKey(key("End")); })) bench::fail("End did not move the reply");
        break;
    case Move::thumb: {
        const auto view = outermostScrollView(*host.graph().root());
        if (!view) bench::fail("no scroll view holds the reply");
        // The thumb starts at the top of its track, along the view's trailing edge.
        CGPoint held{view->maxX() - 4, view->minY() + 4};
        if (!host.handlePointer(pointer(PointerEvent::Kind::pressed, held))) bench::fail("no indicator's thumb where it starts");
        while (held.y < view->maxY()) {
            held.y += 5;
            measured([&] { host.handlePointer(pointer(PointerEvent::Kind::moved, held)); });
        }
        measured([&] { host.handlePointer(pointer(PointerEvent::Kind::released, held)); });
        break;
    }
    }
    // The keys and the indicator end at the end of the reply, where End moves nothing.
    if (move != Move::wheel) {
        host.handleKey(key("End"));
        if (host.update()) bench::fail("the keys or the indicator stopped short of the reply's end");
    }
    return frames;
}

Frames journal(const std::string& reply, const std::string& firstWords, const bench::QtBenchSession& session,
               Move move = Move::wheel) {
    return showAndMove(bench::journalShowing(reply, session.service()), firstWords,
                       {SettledWindow::size.width / 2, SettledWindow::size.height / 2}, session, move);
}

Frames chat(const std::string& reply, const std::string& firstWords, const bench::QtBenchSession& session, Move move = Move::wheel) {
    return showAndMove(bench::chatShowing(reply, session.service()), firstWords,
                       {MessageView::maxBubbleWidth / 2, ChatView::conversationHeight / 2}, session, move);
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

// The worst frames of the keys and the indicator through a long reply shown by `show`.
struct KeyFrames {
    double pageDown = 0;
    double end = 0;
    double thumb = 0;
};

KeyFrames keyFrames(int runs, const std::function<Frames(Move)>& show) {
    const auto worst = [&](Move move) { return medianFrames(runs, [&] { return show(move); }).scroll; };
    return {worst(Move::pageDown), worst(Move::end), worst(Move::thumb)};
}

void print(const char* name, const Frames& frames) {
    std::printf("%-32s first frame %7.1f ms, worst scroll frame %7.1f ms\n", name, frames.first * 1e3, frames.scroll * 1e3);
    std::fflush(stdout);
}

void print(const char* name, const KeyFrames& frames) {
    std::printf("%-32s worst Page Down frame %7.1f ms, End %7.1f ms, thumb drag %7.1f ms\n", name, frames.pageDown * 1e3,
                frames.end * 1e3, frames.thumb * 1e3);
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
    const KeyFrames keysInJournal = keyFrames(runs, [&](Move move) { return journal(longReply, "Paragraph 0:", session, move); });
    print("64 KiB excerpt in the journal", keysInJournal);
    const Frames inChat = medianFrames(runs, [&] { return chat(longReply, "Paragraph 0:", session); });
    print("64 KiB excerpt in a chat bubble", inChat);
    const KeyFrames keysInChat = keyFrames(runs, [&](Move move) { return chat(longReply, "Paragraph 0:", session, move); });
    print("64 KiB excerpt in a chat bubble", keysInChat);
    const std::string smallMix = bench::mixedReply(8 * 1024);
    const std::string largeMix = bench::mixedReply(64 * 1024);
    const Frames mixed8k = medianFrames(runs, [&] { return journal(smallMix, "Quarterly report 0", session); });
    print("8 KB of mixed Markdown", mixed8k);
    const Frames mixed64k = medianFrames(runs, [&] { return journal(largeMix, "Quarterly report 0", session); });
    print("64 KiB of mixed Markdown", mixed64k);
    const KeyFrames keysInMix = keyFrames(runs, [&](Move move) { return journal(largeMix, "Quarterly report 0", session, move); });
    print("64 KiB of mixed Markdown", keysInMix);

    printRatio("excerpt_first_frame_journal_over_ordinary", inJournal.first / baseline.first);
    printRatio("excerpt_scroll_frame_journal_over_ordinary", inJournal.scroll / baseline.scroll);
    printRatio("excerpt_first_frame_chat_over_ordinary", inChat.first / baseline.first);
    printRatio("excerpt_scroll_frame_chat_over_ordinary", inChat.scroll / baseline.scroll);
    printRatio("excerpt_first_frame_mixed_64k_over_8k", mixed64k.first / mixed8k.first);
    printRatio("excerpt_scroll_frame_mixed_64k_over_8k", mixed64k.scroll / mixed8k.scroll);
    const auto overWheel = [&](double KeyFrames::*worst) {
        return std::max({keysInJournal.*worst / inJournal.scroll, keysInChat.*worst / inChat.scroll, keysInMix.*worst / mixed64k.scroll});
    };
    printRatio("excerpt_page_down_frame_over_wheel", overWheel(&KeyFrames::pageDown));
    printRatio("excerpt_end_frame_over_wheel", overWheel(&KeyFrames::end));
    printRatio("excerpt_thumb_drag_frame_over_wheel", overWheel(&KeyFrames::thumb));
    bench::printLongestMs("excerpt_first_frame_longest_ms", std::max({inJournal.first, inChat.first, mixed64k.first}), 100,
                          "a first frame took");
    double worstScroll = std::max({inJournal.scroll, inChat.scroll, mixed64k.scroll});
    for (const KeyFrames& keys : {keysInJournal, keysInChat, keysInMix}) worstScroll = std::max({worstScroll, keys.pageDown, keys.end, keys.thumb});
    bench::printLongestMs("excerpt_scroll_frame_longest_ms", worstScroll, 33, "a scroll frame took");
    return 0;
}
