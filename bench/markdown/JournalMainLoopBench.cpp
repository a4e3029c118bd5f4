// How long the journal holds the main loop while it shows a reply. The journal's view, as the journal
// layout places it (inside a 400 by 700 scroll view, text measured with Qt offscreen), shows a cached
// reply: an ordinary journal of 8 KB; 40,000 unclosed image brackets, "![[]()" (240 KB, quadratic for
// cmark-gfm); a table of one row and 20,000 columns; a paragraph of 16,000 code spans; and 16,000 list
// items. The main loop then turns until the reply's first words are drawn and nothing changes any
// more. Every turn hosts the view's update, and the longest stretch the loop spent on any one thing
// (building and laying out the window, a task's step, an update) is what a user would feel as a
// frozen window. The cmark-gfm command parsing and rendering each whole reply, as a process, is the
// independent baseline: the least the window waited for before. The chat page, in the same window,
// shows an ordinary plain reply of 1 KB and one of 1 MB in a bubble; its baseline is the whole 1 MB
// laid out once, as one text as wide as a bubble: the least a bubble showing it whole waited for (the
// chat's stacks lay a bubble out for several proposals). Prints each figure and
//   ratio journal_hold_<reply>_over_ordinary <longest hold / that of the ordinary journal>
//   ratio journal_hold_<reply>_over_cmark_gfm <longest hold / the cmark-gfm command's time>
//   ratio journal_hold_longest_ms <the longest hold of all, in milliseconds; the goal is at most 100>
//   ratio chat_hold_plain_1mb_over_ordinary <longest hold / that of the ordinary reply>
//   ratio chat_hold_plain_1mb_over_whole_text <longest hold / that of the whole text>
//   ratio chat_hold_longest_ms <the longest hold of the chat, in milliseconds; the goal is at most 100>
//
// Usage: journal_main_loop_bench [runs]   (default 5; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/QtBenchSession.h"
#include "bench/ReplyViews.h"
#include "bench/SettledWindow.h"
#include "bench/markdown/CmarkCommand.h"
#include "bench/markdown/SampleReplies.h"
#include "bench/markdown/WholeProcess.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Text.h"
#include "ui/Panels/ChatView.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace glimmo;
using bench::medianOf;
using bench::ordinaryJournal;
using bench::plainReply;
using bench::printRatio;
using bench::SettledWindow;

std::string repeated(const std::string& unit, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += unit;
    return text;
}

struct Reply {
    std::string name;
    std::string text;
    std::string firstWords; // drawn once the reply is shown
};

struct Figures {
    double longestHold = 0; // seconds
    double shownAfter = 0;  // seconds from the start until the first words were drawn
};

Figures showJournal(const Reply& reply, const bench::QtBenchSession& session) {
    const SettledWindow window(bench::journalShowing(reply.text, session.service()), reply.firstWords, session.measurer());
    return {window.longestHold(), window.shownAfter()};
}

double chatHold(const Reply& reply, const bench::QtBenchSession& session) {
    return SettledWindow(bench::chatShowing(reply.text, session.service()), reply.firstWords, session.measurer()).longestHold();
}

// The whole reply laid out as one text, as wide as a bubble.
double wholeTextHold(const Reply& reply, const bench::QtBenchSession& session) {
    const auto makeView = [&] {
        const AnyView bubble = Text::verbatim(reply.text).padding(10).frame({.maxWidth = MessageView::maxBubbleWidth});
        return AnyView(ScrollView(bubble));
    };
    return SettledWindow(makeView, reply.firstWords, session.measurer()).longestHold();
}

} // namespace

int main(int argc, char** argv) {
    const int runs = bench::runsFrom(argc, argv);
    const bench::QtBenchSession session;
    const std::vector<Reply> replies{
        {"ordinary", ordinaryJournal(), "Quarterly report"},
        {"images", repeated("![[]()", 40000), "![![!["},
        {"table", "|" + repeated(" a |", 20000) + "\n|" + repeated(" - |", 20000) + "\n", "| a | a |"},
        {"code_spans", repeated("`a` ", 16000), "a a a"},
        {"list_items", repeated("- item\n", 16000), "item"},
    };
    showJournal(replies.front(), session); // fonts and caches warm
    std::vector<Figures> figures;
    std::vector<double> baselines;
    for (const Reply& reply : replies) {
        std::vector<double> holds, shownAfter;
        for (int run = 0; run < runs; ++run) {
            const Figures once = showJournal(reply, session);
            holds.push_back(once.longestHold);
            shownAfter.push_back(once.shownAfter);
        }
        figures.push_back({bench::median(holds), bench::median(shownAfter)});
        // Once: on the quadratic replies it takes seconds.
        const std::filesystem::path file = session.folder() / (reply.name + ".md");
        std::ofstream(file, std::ios::binary) << reply.text;
        std::vector<std::string> command = cmarkCommand;
        command.push_back(file.string());
        baselines.push_back(runWholeProcess(command).wallSeconds);
        std::printf("%-10s %7zu bytes: main loop held at most %7.1f ms, shown after %7.1f ms; cmark-gfm command %9.1f ms\n",
                    reply.name.c_str(), reply.text.size(), figures.back().longestHold * 1e3,
                    figures.back().shownAfter * 1e3, baselines.back() * 1e3);
        std::fflush(stdout);
    }
    double longest = 0;
    for (std::size_t i = 0; i < replies.size(); ++i) {
        longest = std::max(longest, figures[i].longestHold);
        if (i == 0) continue;
        printRatio("journal_hold_" + replies[i].name + "_over_ordinary", figures[i].longestHold / figures[0].longestHold);
        printRatio("journal_hold_" + replies[i].name + "_over_cmark_gfm", figures[i].longestHold / baselines[i], 3);
    }
    bench::printLongestMs("journal_hold_longest_ms", longest, 100);

    const Reply ordinaryAnswer{"ordinary", plainReply(1000), "Paragraph 0:"};
    const Reply longAnswer{"plain_1mb", plainReply(1000000), "Paragraph 0:"};
    const double ordinaryChat = medianOf(runs, [&] { return chatHold(ordinaryAnswer, session); });
    const double longChat = medianOf(runs, [&] { return chatHold(longAnswer, session); });
    const double wholeText = medianOf(runs, [&] { return wholeTextHold(longAnswer, session); });
    std::printf("chat bubble, plain reply of 1 KB: held at most %7.1f ms; of 1 MB: %7.1f ms; the whole 1 MB as one "
                "text: %7.1f ms\n",
                ordinaryChat * 1e3, longChat * 1e3, wholeText * 1e3);
    printRatio("chat_hold_plain_1mb_over_ordinary", longChat / ordinaryChat);
    printRatio("chat_hold_plain_1mb_over_whole_text", longChat / wholeText, 3);
    bench::printLongestMs("chat_hold_longest_ms", std::max(ordinaryChat, longChat), 100);
    return 0;
}
