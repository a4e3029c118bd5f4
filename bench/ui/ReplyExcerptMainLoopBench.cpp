// How long the journal holds the main loop while it shows a reply whose excerpt the weight cuts: the
// journal's view, as the journal layout places it (a 400 by 700 scroll view, text measured with Qt
// offscreen), shows a cached reply, and the main loop turns until the reply's first words are drawn
// and nothing changes any more. The longest stretch the loop spent on any one thing is what a user
// would feel as a frozen window. The independent baseline is an ordinary journal of 8 KB shown the
// same way in the same run. Each reply is a flood of one kind of piece (bare autolinks, a long list
// after an introduction of one line, nested lists, short paragraphs, code spans, links, table cells...), so every
// kind of piece the weight prices is laid out to its limit, as are code and HTML blocks, whose lines
// only weigh as text, and a wide table's rows, each as many cells as its header; the time a unit of
// weight took tells where the weight is off. Prints each figure, how much of the reply was shown, and
//   ratio excerpt_hold_autolinks_over_ordinary <longest hold of 64 KiB of "http://a " / of the ordinary journal>
//   ratio excerpt_hold_long_list_over_ordinary <the same for a 274 KB list after an introduction>
//   ratio excerpt_hold_longest_over_ordinary <the longest hold of all kinds / of the ordinary journal>
//   ratio excerpt_hold_longest_ms <the longest hold of all, in milliseconds; the goal is at most 100>
//
// Usage: reply_excerpt_main_loop_bench [runs]   (default 5; medians of the runs)

#include "bench/BenchProgram.h"
#include "bench/QtBenchSession.h"
#include "bench/ReplyViews.h"
#include "bench/SettledWindow.h"
#include "ui/Panels/ReplyExcerpt.h"
#include "ui/Panels/ReplyExcerptWeight.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using namespace glimmo;

// `unit(i)` for i = 0, 1, ... until the text reaches `bytes`.
std::string flood(std::size_t bytes, const std::function<std::string(int)>& unit) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) text += unit(i);
    return text;
}

std::string flood(std::size_t bytes, const std::string& unit) {
    return flood(bytes, [&unit](int) { return unit; });
}

// What nests a list item `level` lists deep.
std::string indent(int level) { return std::string(2 * static_cast<std::size_t>(level), ' '); }

// Bullets as the journal prompt asks for them, about 8 KB.
std::string ordinaryJournal() {
    return flood(8 * 1024, [](int i) {
        const std::string n = std::to_string(i);
        return "- **Code review** 🛠: Worked through the **sync service** page in the shared document, compared the "
               "figures with `forecast-" + n + ".xlsx`, answered the thread about the open questions" +
               (i % 3 == 0 ? " (see [the tracker](https://tracker.example.com/item/" + n + "))." : ".") +
               " Then read the two linked pages on *retries* and *time-outs*.\n\n";
    });
}

// A reply whose first line starts with words that only it draws, joined to its body by `join`: a blank
// line makes them a paragraph of their own, a line end or a space the start of the body's first block.
// `lead` may make them a block of another kind (the first line of an indented code block).
struct Reply {
    Reply(std::string name, const std::string& join, const std::string& body, const std::string& lead = "")
        : name(std::move(name)), text(lead + firstWords() + join + body) {}
    std::string firstWords() const { return "Here is the " + name + " reply:"; }

    std::string name;
    std::string text;
};

// The longest hold while the journal shows `reply`, from the window's making until it has settled.
double showJournal(const Reply& reply, const bench::QtBenchSession& session) {
    return bench::SettledWindow(bench::journalShowing(reply.text, session.service()), reply.firstWords(), session.measurer())
        .longestHold();
}

} // namespace

int main(int argc, char** argv) {
    const int runs = bench::runsFrom(argc, argv);
    const bench::QtBenchSession session;
    const std::size_t limit = 64 * 1024;
    const std::vector<Reply> replies{
        {"ordinary", "\n\n", ordinaryJournal()},
        {"autolinks", " ", flood(limit, "http://a ")},
        {"long_list", "\n\n", flood(274000, [](int i) { return "- Item " + std::to_string(i) + " of the day's work\n"; })},
        {"nested_lists", "\n", flood(274000, [](int i) { return indent(i % 4) + "- Step " + std::to_string(i) + "\n"; })},
        {"deep_lists", "\n", flood(274000, [](int i) { return indent(i % 10) + "- a\n"; })},
        {"loose_list", "\n", flood(limit, "- a\n\n")},
        {"ordered_list", "\n", flood(limit, [](int i) { return std::to_string(i + 1) + ". a\n"; })},
        {"plain", "\n", flood(limit, "Worked on the sync service and answered the thread.\n\n")},
        {"short_paragraphs", "\n", flood(limit, "a\n\n")},
        {"long_paragraphs", "\n", flood(limit, std::string(100, 'x') + " " + std::string(900, 'y') + "\n\n")},
        {"words", " ", flood(limit, "word and more ")},
        {"soft_lines", "\n", flood(limit, "ab cd\n")},
        {"headings", "\n", flood(limit, "# a\n\n")},
        {"code_spans", " ", flood(limit, "`a` ")},
        {"emphasis", " ", flood(limit, "*a* b ")},
        {"links", " ", flood(limit, "[a](http://e.com) ")},
        {"www_links", " ", flood(limit, "www.e.com ")},
        {"emails", " ", flood(limit, "a@b.co ")},
        {"table", "\n", "| a | b | c |\n|---|---|---|\n" + flood(limit, "| a | b | c |\n")},
        {"quotes", "\n", flood(limit, "> a\n\n")},
        {"quote_lines", "\n", flood(limit, "> a\n")},
        {"code_block", "\n", "```\n" + flood(limit, "let a = b(c);\n") + "```\n"},
        {"indented_code", "\n", flood(limit, [](int i) { return "    - item " + std::to_string(i) + "\n"; }), "    "},
        {"html_block", "\n", "<div>\n" + flood(limit, "<p>a</p>\n")},
        {"wide_table", "\n", "|" + flood(64, "a|") + "\n|" + flood(64, "-|") + "\n" + flood(limit, "x\n")},
    };
    showJournal(replies.front(), session); // fonts and caches warm
    std::vector<double> holds;
    for (const Reply& reply : replies) {
        holds.push_back(bench::medianOf(runs, [&] { return showJournal(reply, session); }));
        const std::size_t kept = replyExcerptLength(reply.text);
        const std::size_t weight = replyWeight(std::string_view(reply.text).substr(0, kept));
        std::printf("%-16s %7zu bytes, %6zu shown, weight %4zu: main loop held at most %5.1f ms, %4.2f µs a unit\n",
                    reply.name.c_str(), reply.text.size(), kept, weight, holds.back() * 1e3,
                    holds.back() * 1e6 / static_cast<double>(weight));
        std::fflush(stdout);
    }
    const double longest = *std::max_element(holds.begin(), holds.end());
    bench::printRatio("excerpt_hold_autolinks_over_ordinary", holds[1] / holds[0]);
    bench::printRatio("excerpt_hold_long_list_over_ordinary", holds[2] / holds[0]);
    bench::printRatio("excerpt_hold_longest_over_ordinary", longest / holds[0]);
    bench::printLongestMs("excerpt_hold_longest_ms", longest, 100);
    return 0;
}
