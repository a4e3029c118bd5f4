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

#include "analysis/JournalPromptCache.h"
#include "app/UnifiedActivityService.h"
#include "bench/MainLoopHold.h"
#include "bench/markdown/CmarkCommand.h"
#include "bench/markdown/SampleReplies.h"
#include "bench/markdown/WholeProcess.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/ChatView.h"
#include "ui/Panels/JournalHighlightsView.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
using bench::ordinaryJournal;
using bench::plainReply;
using bench::SteadyClock;
using bench::seconds;

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

struct Figures {
    double longestHold = 0; // seconds
    double shownAfter = 0;  // seconds from the start until the first words were drawn
};

// Builds a 400 by 700 window with the view and drives the main loop until `firstWords` are drawn and
// the views have settled. A turn of ours runs after whatever the loop ran before it, so the gap
// since our last turn is the time the loop spent on other work.
Figures showOnce(const std::function<AnyView()>& makeView, const std::string& firstWords,
                 const std::shared_ptr<const TextMeasurer>& measurer) {
    Figures figures;
    const auto start = SteadyClock::now();
    std::optional<ViewHost> host;
    host.emplace(makeView(), measurer);
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
            const DisplayList& list = host->displayList();
            if (!shown && shows(list, firstWords)) {
                shown = true;
                figures.shownAfter = seconds(SteadyClock::now() - start);
            }
            const std::size_t now = host->bodyEvaluationCount();
            quietTurns = now == evaluations ? quietTurns + 1 : 0;
            evaluations = now;
            settled = shown && quietTurns >= 20;
        });
        if (!settled) RunLoop::main().post(turn);
    };
    RunLoop::main().post(turn);
    if (!RunLoop::main().driveUntil([&] { return settled; }, 120)) {
        std::fprintf(stderr, "journal_main_loop_bench: \"%s\" was not shown within 120 s\n", firstWords.c_str());
        std::exit(1);
    }
    host.reset();
    figures.longestHold = hold.seconds();
    return figures;
}

// The journal's view as the journal layout places it, showing `reply` from the cache.
Figures showJournal(const Reply& reply, const std::shared_ptr<const TextMeasurer>& measurer,
                    const std::shared_ptr<UnifiedActivityService>& service) {
    const Date day = RunLoop::main().now();
    JournalPromptCache::shared().saveResponse(reply.text, day);
    auto journalText = std::make_shared<std::string>();
    const Binding<std::string> binding([journalText] { return *journalText; },
                                       [journalText](std::string text) { *journalText = std::move(text); });
    return showOnce([&] { return AnyView(ScrollView(AnyView(JournalHighlightsView(day, service, nullptr, binding)))); },
                    reply.firstWords, measurer);
}

// The chat page with a question and `reply` as the assistant's answer.
Figures showChat(const Reply& reply, const std::shared_ptr<const TextMeasurer>& measurer,
                 const std::shared_ptr<UnifiedActivityService>& service) {
    const auto model = std::make_shared<ChatViewModel>(service, "TODAY");
    model->messages = std::vector<ChatMessage>{{UUID::random(), ChatMessage::SenderRole::user, "What did I do?", false},
                                               {UUID::random(), ChatMessage::SenderRole::assistant, reply.text, false}};
    return showOnce([&] { return AnyView(ChatView([model] { return model; }, "TODAY")); }, reply.firstWords, measurer);
}

// The whole reply laid out as one text, as wide as a bubble.
Figures showWholeText(const Reply& reply, const std::shared_ptr<const TextMeasurer>& measurer) {
    return showOnce(
        [&] {
            const AnyView bubble = Text::verbatim(reply.text).padding(10).frame({.maxWidth = MessageView::maxBubbleWidth});
            return AnyView(ScrollView(bubble));
        },
        reply.firstWords, measurer);
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = fs::temp_directory_path() / ("journal_main_loop_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        int qtArgc = 1;
        char name[] = "journal_main_loop_bench";
        char* qtArgv[] = {name, nullptr};
        const QtApplication application(qtArgc, qtArgv);
        UserDefaults::setStandard(std::make_shared<UserDefaults>(folder / "defaults.json"));
        const auto measurer = std::make_shared<QtTextMeasurer>();
        const auto service = std::make_shared<UnifiedActivityService>(nullptr, nullptr, nullptr);

        const std::vector<Reply> replies{
            {"ordinary", ordinaryJournal(), "Quarterly report"},
            {"images", repeated("![[]()", 40000), "![![!["},
            {"table", "|" + repeated(" a |", 20000) + "\n|" + repeated(" - |", 20000) + "\n", "| a | a |"},
            {"code_spans", repeated("`a` ", 16000), "a a a"},
            {"list_items", repeated("- item\n", 16000), "item"},
        };
        showJournal(replies.front(), measurer, service); // fonts and caches warm
        std::vector<Figures> figures;
        std::vector<double> baselines;
        for (const Reply& reply : replies) {
            std::vector<double> holds, shownAfter;
            for (int run = 0; run < runs; ++run) {
                const Figures once = showJournal(reply, measurer, service);
                holds.push_back(once.longestHold);
                shownAfter.push_back(once.shownAfter);
            }
            figures.push_back({median(holds), median(shownAfter)});
            // Once: on the quadratic replies it takes seconds.
            const fs::path file = folder / (reply.name + ".md");
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
            std::printf("ratio journal_hold_%s_over_ordinary %.2f\n", replies[i].name.c_str(),
                        figures[i].longestHold / figures[0].longestHold);
            std::printf("ratio journal_hold_%s_over_cmark_gfm %.3f\n", replies[i].name.c_str(),
                        figures[i].longestHold / baselines[i]);
        }
        std::printf("ratio journal_hold_longest_ms %.1f\n", longest * 1e3);

        const Reply ordinaryAnswer{"ordinary", plainReply(1000), "Paragraph 0:"};
        const Reply longAnswer{"plain_1mb", plainReply(1000000), "Paragraph 0:"};
        const auto medianHold = [&](const std::function<Figures()>& show) {
            std::vector<double> holds;
            for (int run = 0; run < runs; ++run) holds.push_back(show().longestHold);
            return median(holds);
        };
        const double ordinaryChat = medianHold([&] { return showChat(ordinaryAnswer, measurer, service); });
        const double longChat = medianHold([&] { return showChat(longAnswer, measurer, service); });
        const double wholeText = medianHold([&] { return showWholeText(longAnswer, measurer); });
        std::printf("chat bubble, plain reply of 1 KB: held at most %7.1f ms; of 1 MB: %7.1f ms; the whole 1 MB as one "
                    "text: %7.1f ms\n",
                    ordinaryChat * 1e3, longChat * 1e3, wholeText * 1e3);
        std::printf("ratio chat_hold_plain_1mb_over_ordinary %.2f\n", longChat / ordinaryChat);
        std::printf("ratio chat_hold_plain_1mb_over_whole_text %.3f\n", longChat / wholeText);
        std::printf("ratio chat_hold_longest_ms %.1f\n", std::max(ordinaryChat, longChat) * 1e3);
        longest = std::max({longest, ordinaryChat, longChat});
        if (longest > 0.1) std::fprintf(stderr, "journal_main_loop_bench: the main loop was held longer than 100 ms\n");
        UserDefaults::setStandard(nullptr);
    }
    fs::remove_all(folder);
    return 0;
}
