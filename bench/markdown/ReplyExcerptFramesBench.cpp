// How long the frames of a long reply's excerpt take, in the journal (Markdown) and in a chat bubble
// (plain text): the first frame, the longest hold of the main loop from the window's making until the
// reply's first words are painted and nothing changes any more, and the worst frame while the wheel
// scrolls through the reply from top to bottom over the middle of the window. A frame is what the
// window does: an update of its views, its display list, and the list painted offscreen as a window
// paints it. The reply runs to 1 MB, so both show its 64 KiB excerpt. The independent baseline is an
// ordinary 8 KB journal shown and scrolled the same way in the same run. Prints each figure and
//   ratio excerpt_first_frame_<journal|chat>_over_ordinary <first frame / that of the ordinary journal>
//   ratio excerpt_scroll_frame_<journal|chat>_over_ordinary <worst scroll frame / that of the ordinary journal>
//   ratio excerpt_first_frame_longest_ms <the longest first frame, in milliseconds; the goal is at most 100>
//   ratio excerpt_scroll_frame_longest_ms <the worst scroll frame, in milliseconds; the goal is at most 33>
//
// Usage: reply_excerpt_frames_bench [runs]   (default 5; medians of the runs)

#include "app/UnifiedActivityService.h"
#include "analysis/JournalPromptCache.h"
#include "bench/MainLoopHold.h"
#include "bench/markdown/SampleReplies.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewHost.h"
#include "ui/Panels/ChatView.h"
#include "ui/Panels/JournalHighlightsView.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace glimmo;
using bench::LongestHold;
using bench::median;
using bench::SteadyClock;
using bench::seconds;

constexpr CGSize windowSize{400, 700};

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

// Where the first line of text is drawn: it stops moving once the wheel reaches the end.
std::optional<CGFloat> firstLineTop(const DisplayList& list) {
    for (const DisplayItem& item : list.items) {
        if (const auto* text = std::get_if<TextItem>(&item)) return text->origin.y;
    }
    return std::nullopt;
}

struct Frames {
    double first = 0;  // seconds
    double scroll = 0; // seconds, the worst
};

// A frame as the window makes it: the update, its display list, painted.
void frame(ViewHost& host) { (void)renderDisplayList(host.displayList(), 1); }

// Builds the window with the view and drives the main loop until `firstWords` are painted and the
// views have settled, then turns the wheel over `wheelAt` a notch at a time until the reply stops
// moving.
Frames showAndScroll(const std::function<AnyView()>& makeView, const std::string& firstWords, CGPoint wheelAt,
                     const std::shared_ptr<const TextMeasurer>& measurer) {
    Frames frames;
    const auto start = SteadyClock::now();
    std::optional<ViewHost> host;
    host.emplace(makeView(), measurer);
    host->setSize(windowSize);
    frame(*host);
    LongestHold hold;
    hold.note(SteadyClock::now() - start);

    bool shown = false;
    bool settled = false;
    int quietTurns = 0;
    std::size_t evaluations = host->bodyEvaluationCount();
    std::function<void()> turn = [&] {
        hold.turn([&] {
            if (host->update()) frame(*host);
            shown = shown || shows(host->displayList(), firstWords);
            const std::size_t now = host->bodyEvaluationCount();
            quietTurns = now == evaluations ? quietTurns + 1 : 0;
            evaluations = now;
            settled = shown && quietTurns >= 20;
        });
        if (!settled) RunLoop::main().post(turn);
    };
    RunLoop::main().post(turn);
    if (!RunLoop::main().driveUntil([&] { return settled; }, 120)) {
        std::fprintf(stderr, "reply_excerpt_frames_bench: \"%s\" was not shown within 120 s\n", firstWords.c_str());
        std::exit(1);
    }
    frames.first = hold.seconds();

    // Three lines of body text a notch, as a wheel scrolls.
    const CGFloat notch = 3 * 16;
    std::optional<CGFloat> top = firstLineTop(host->displayList());
    for (int still = 0; still < 3;) {
        const auto begin = SteadyClock::now();
        host->handleWheel({wheelAt, 0, -notch, {}});
        frame(*host);
        frames.scroll = std::max(frames.scroll, seconds(SteadyClock::now() - begin));
        const std::optional<CGFloat> now = firstLineTop(host->displayList());
        still = now == top ? still + 1 : 0;
        top = now;
    }
    host.reset();
    return frames;
}

// The journal's view as the journal layout places it, showing `reply` from the cache.
Frames journal(const std::string& reply, const std::string& firstWords, const std::shared_ptr<const TextMeasurer>& measurer,
               const std::shared_ptr<UnifiedActivityService>& service) {
    const Date day = RunLoop::main().now();
    JournalPromptCache::shared().saveResponse(reply, day);
    auto journalText = std::make_shared<std::string>();
    const Binding<std::string> binding([journalText] { return *journalText; },
                                       [journalText](std::string text) { *journalText = std::move(text); });
    return showAndScroll([&] { return AnyView(ScrollView(AnyView(JournalHighlightsView(day, service, nullptr, binding)))); },
                         firstWords, {windowSize.width / 2, windowSize.height / 2}, measurer);
}

// The chat page with a question and `reply` as the assistant's answer.
Frames chat(const std::string& reply, const std::string& firstWords, const std::shared_ptr<const TextMeasurer>& measurer,
            const std::shared_ptr<UnifiedActivityService>& service) {
    const auto model = std::make_shared<ChatViewModel>(service, "TODAY");
    model->messages = std::vector<ChatMessage>{{UUID::random(), ChatMessage::SenderRole::user, "What did I do?", false},
                                               {UUID::random(), ChatMessage::SenderRole::assistant, reply, false}};
    return showAndScroll([&] { return AnyView(ChatView([model] { return model; }, "TODAY")); }, firstWords,
                         {MessageView::maxBubbleWidth / 2, ChatView::conversationHeight / 2}, measurer);
}

Frames medianOf(int runs, const std::function<Frames()>& measure) {
    std::vector<double> first, scroll;
    for (int run = 0; run < runs; ++run) {
        const Frames once = measure();
        first.push_back(once.first);
        scroll.push_back(once.scroll);
    }
    return {median(first), median(scroll)};
}

void print(const char* name, const Frames& frames) {
    std::printf("%-32s first frame %7.1f ms, worst scroll frame %7.1f ms\n", name, frames.first * 1e3, frames.scroll * 1e3);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path folder = fs::temp_directory_path() / ("reply_excerpt_frames_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    {
        int qtArgc = 1;
        char name[] = "reply_excerpt_frames_bench";
        char* qtArgv[] = {name, nullptr};
        const QtApplication application(qtArgc, qtArgv);
        UserDefaults::setStandard(std::make_shared<UserDefaults>(folder / "defaults.json"));
        const auto measurer = std::make_shared<QtTextMeasurer>();
        const auto service = std::make_shared<UnifiedActivityService>(nullptr, nullptr, nullptr);

        const std::string ordinary = bench::ordinaryJournal();
        const std::string longReply = bench::plainReply(1000000);
        journal(ordinary, "Quarterly report", measurer, service); // fonts and caches warm
        const Frames baseline = medianOf(runs, [&] { return journal(ordinary, "Quarterly report", measurer, service); });
        print("ordinary journal (8 KB)", baseline);
        const Frames inJournal = medianOf(runs, [&] { return journal(longReply, "Paragraph 0:", measurer, service); });
        print("64 KiB excerpt in the journal", inJournal);
        const Frames inChat = medianOf(runs, [&] { return chat(longReply, "Paragraph 0:", measurer, service); });
        print("64 KiB excerpt in a chat bubble", inChat);

        std::printf("ratio excerpt_first_frame_journal_over_ordinary %.2f\n", inJournal.first / baseline.first);
        std::printf("ratio excerpt_scroll_frame_journal_over_ordinary %.2f\n", inJournal.scroll / baseline.scroll);
        std::printf("ratio excerpt_first_frame_chat_over_ordinary %.2f\n", inChat.first / baseline.first);
        std::printf("ratio excerpt_scroll_frame_chat_over_ordinary %.2f\n", inChat.scroll / baseline.scroll);
        const double first = std::max(inJournal.first, inChat.first);
        const double scroll = std::max(inJournal.scroll, inChat.scroll);
        std::printf("ratio excerpt_first_frame_longest_ms %.1f\n", first * 1e3);
        std::printf("ratio excerpt_scroll_frame_longest_ms %.1f\n", scroll * 1e3);
        if (first > 0.1) std::fprintf(stderr, "reply_excerpt_frames_bench: a first frame took longer than 100 ms\n");
        if (scroll > 0.033) std::fprintf(stderr, "reply_excerpt_frames_bench: a scroll frame took longer than 33 ms\n");
        UserDefaults::setStandard(nullptr);
    }
    fs::remove_all(folder);
    return 0;
}
