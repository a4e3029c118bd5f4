// How long the journal holds the main loop while it shows a reply whose excerpt the weight cuts: the
// journal's view, as the journal layout places it (a 400 by 700 scroll view, text measured with Qt
// offscreen), shows a cached reply, and the main loop turns until the reply's first words are drawn
// and nothing changes any more. The longest stretch the loop spent on any one thing is what a user
// would feel as a frozen window. The independent baseline is an ordinary journal of 8 KB shown the
// same way in the same run. Each reply is a flood of one kind of piece (bare autolinks, a long list
// after an introduction of one line, nested lists, short paragraphs, code spans, links, table cells...), so every
// kind of piece the weight prices is laid out to its limit; the time a unit of weight took tells where
// the weight is off. Prints each figure, how much of the reply was shown, and
//   ratio excerpt_hold_autolinks_over_ordinary <longest hold of 64 KiB of "http://a " / of the ordinary journal>
//   ratio excerpt_hold_long_list_over_ordinary <the same for a 274 KB list after an introduction>
//   ratio excerpt_hold_longest_over_ordinary <the longest hold of all kinds / of the ordinary journal>
//   ratio excerpt_hold_longest_ms <the longest hold of all, in milliseconds; the goal is at most 100>
//
// Usage: reply_excerpt_main_loop_bench [runs]   (default 5; medians of the runs)

#include "bench/MainLoopHold.h"
#include "analysis/JournalPromptCache.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/JournalHighlightsView.h"
#include "ui/Panels/ReplyExcerpt.h"
#include "ui/Panels/ReplyExcerptWeight.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace glimmo;
using bench::LongestHold;
using bench::median;
using bench::SteadyClock;

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
struct Reply {
    Reply(std::string name, const std::string& join, const std::string& body)
        : name(std::move(name)), text(firstWords() + join + body) {}
    std::string firstWords() const { return "Here is the " + name + " reply:"; }

    std::string name;
    std::string text;
};

bool shows(const DisplayList& list, const std::string& part) {
    for (const DisplayItem& item : list.items) {
        if (const auto* text = std::get_if<TextItem>(&item)) {
            std::string line;
            for (const auto& run : text->runs) line += run.text;
            if (line.find(part) != std::string::npos) return true;
        }
    }
    return false;
}

// The longest hold while the journal shows `reply` from the cache, from the window's making until
// the first words are drawn and the views have settled.
double showJournal(const Reply& reply, const std::shared_ptr<const TextMeasurer>& measurer,
                   const std::shared_ptr<UnifiedActivityService>& service) {
    const Date day = RunLoop::main().now();
    JournalPromptCache::shared().saveResponse(reply.text, day);
    auto journalText = std::make_shared<std::string>();
    const Binding<std::string> binding([journalText] { return *journalText; },
                                       [journalText](std::string text) { *journalText = std::move(text); });
    const auto start = SteadyClock::now();
    std::optional<ViewHost> host;
    host.emplace(AnyView(ScrollView(AnyView(JournalHighlightsView(day, service, nullptr, binding)))), measurer);
    host->setSize({400, 700});
    host->displayList();
    LongestHold hold;
    hold.note(SteadyClock::now() - start);
    bool shown = false;
    bool settled = false;
    int quietTurns = 0;
    std::size_t evaluations = host->bodyEvaluationCount();
    std::function<void()> turn = [&] {
        hold.turn([&] {
            host->update();
            shown = shown || shows(host->displayList(), reply.firstWords());
            const std::size_t now = host->bodyEvaluationCount();
            quietTurns = now == evaluations ? quietTurns + 1 : 0;
            evaluations = now;
            settled = shown && quietTurns >= 20;
        });
        if (!settled) RunLoop::main().post(turn);
    };
    RunLoop::main().post(turn);
    if (!RunLoop::main().driveUntil([&] { return settled; }, 120)) {
        std::fprintf(stderr, "reply_excerpt_main_loop_bench: \"%s\" was not shown within 120 s\n", reply.name.c_str());
        std::exit(1);
    }
    host.reset();
    return hold.seconds();
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = fs::temp_directory_path() / ("reply_excerpt_main_loop_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        int qtArgc = 1;
        char name[] = "reply_excerpt_main_loop_bench";
        char* qtArgv[] = {name, nullptr};
        const QtApplication application(qtArgc, qtArgv);
        UserDefaults::setStandard(std::make_shared<UserDefaults>(folder / "defaults.json"));
        const auto measurer = std::make_shared<QtTextMeasurer>();
        const auto service = std::make_shared<UnifiedActivityService>(nullptr, nullptr, nullptr);
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
        };
        showJournal(replies.front(), measurer, service); // fonts and caches warm
        std::vector<double> holds;
        for (const Reply& reply : replies) {
            std::vector<double> once;
            for (int run = 0; run < runs; ++run) once.push_back(showJournal(reply, measurer, service));
            holds.push_back(median(once));
            const std::size_t kept = replyExcerptLength(reply.text);
            const std::size_t weight = replyWeight(std::string_view(reply.text).substr(0, kept));
            std::printf("%-16s %7zu bytes, %6zu shown, weight %4zu: main loop held at most %5.1f ms, %4.2f µs a unit\n",
                        reply.name.c_str(), reply.text.size(), kept, weight, holds.back() * 1e3,
                        holds.back() * 1e6 / static_cast<double>(weight));
            std::fflush(stdout);
        }
        const double longest = *std::max_element(holds.begin(), holds.end());
        std::printf("ratio excerpt_hold_autolinks_over_ordinary %.2f\n", holds[1] / holds[0]);
        std::printf("ratio excerpt_hold_long_list_over_ordinary %.2f\n", holds[2] / holds[0]);
        std::printf("ratio excerpt_hold_longest_over_ordinary %.2f\n", longest / holds[0]);
        std::printf("ratio excerpt_hold_longest_ms %.1f\n", longest * 1e3);
        if (longest > 0.1) {
            std::fprintf(stderr, "reply_excerpt_main_loop_bench: the main loop was held longer than 100 ms\n");
        }
        UserDefaults::setStandard(nullptr);
    }
    fs::remove_all(folder);
    return 0;
}
