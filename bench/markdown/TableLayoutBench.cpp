// A long Markdown table shown as the journal shows a reply: the text parsed, the Markdown view made
// with the default theme inside a scroll view, laid out and drawn in a hosted graph measuring text with
// Qt (offscreen), and the main loop run until the view is settled. Tables of 1k, 4k and 16k rows, each size in child processes of its own so that the
// peak resident memory the work adds is that size's alone. The 1k-row run is the baseline of the
// growth ratios; cmark-gfm parsing the same document is printed for context. Prints each figure and
//   ratio table_time_per_row_4k_over_1k, table_time_per_row_16k_over_1k
//   ratio table_memory_per_row_16k_over_1k
//   ratio table_16k_seconds <seconds for the 16k-row table>
//
// Usage: table_layout_bench [runs]   (default 3; medians of the runs)
//        table_layout_bench --rows N (one table of N rows in this process, for a profiler)

#include "RidadoziRI/Views/Markdown.h"
#include "bench/BenchProgram.h"
#include "platform/qt/QtApplication.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ScrollView.h"
#include "platform/view/ViewHost.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using glimmo::bench::median;
using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A day's log as the reply that stalled the journal tabulated it: a narrow table of about 17 bytes a
// row (time and application) under a heading and a paragraph.
std::string tableDocument(int rows) {
    static const char* const apps[] = {"Xcode", "Safari", "Mail", "Slack", "Terminal", "Figma", "Notes"};
    std::string text = "## The day in detail\n\nWhere the time went, entry by entry:\n\n| Time | Application |\n| :--- | :--- |\n";
    for (int i = 0; i < rows; ++i) {
        const int minute = 8 * 60 + i % (12 * 60);
        char time[8];
        std::snprintf(time, sizeof time, "%02d:%02d", minute / 60, minute % 60);
        text += std::string("| ") + time + " | " + apps[i % std::size(apps)] + " |\n";
    }
    return text + "\nThat was the day.\n";
}

// cmark-gfm alone, with the extensions our parser attaches, parsing to its own tree.
double cmarkParseSeconds(const std::string& text) {
    cmark_gfm_core_extensions_ensure_registered();
    const auto start = Clock::now();
    cmark_parser* parser = cmark_parser_new(CMARK_OPT_DEFAULT);
    for (const char* name : {"autolink", "strikethrough", "tagfilter", "tasklist", "table"}) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) cmark_parser_attach_syntax_extension(parser, extension);
    }
    cmark_parser_feed(parser, text.data(), text.size());
    cmark_node* document = cmark_parser_finish(parser);
    const double seconds = since(start);
    cmark_node_free(document);
    cmark_parser_free(parser);
    return seconds;
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    const std::string wanted = std::string(field) + ":";
    for (std::string word; status >> word;) {
        if (word == wanted) {
            long kilobytes = 0;
            status >> kilobytes;
            return kilobytes;
        }
    }
    return 0;
}

// Shown as the window shows it: made, laid out and drawn, then the main loop runs what the views
// started (every cell's image load) until a round of it leaves the view as it was. The host stays with
// the caller: taking the tree down is not part of showing it.
std::size_t show(std::optional<glimmo::ViewHost>& host, const std::string& text,
                 const std::shared_ptr<const glimmo::TextMeasurer>& measurer) {
    using namespace glimmo;
    host.emplace(AnyView(ScrollView(AnyView(ridadozi::Markdown(text)).font(Font::system(13)))), measurer);
    host->setSize({640, 800});
    std::size_t items = host->displayList().items.size();
    for (std::size_t before = 0; before != host->bodyEvaluationCount();) {
        before = host->bodyEvaluationCount();
        bool reached = false;
        RunLoop::main().post([&reached] { reached = true; });
        RunLoop::main().driveUntil([&reached] { return reached; }, 60);
        items = host->displayList().items.size();
    }
    return items;
}

struct Figures {
    double seconds = 0;
    double megabytes = 0;
};

// In a child of its own: the Qt application and the fonts first, a small table to warm them, then the
// timed work with the peak resident size reset just before it.
Figures measureInChild(int rows) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        int argc = 1;
        char name[] = "table_layout_bench";
        char* argv[] = {name, nullptr};
        const glimmo::QtApplication application(argc, argv);
        const auto measurer = std::make_shared<glimmo::QtTextMeasurer>();
        std::optional<glimmo::ViewHost> host;
        show(host, tableDocument(20), measurer);
        host.reset();
        const std::string text = tableDocument(rows);
        std::ofstream("/proc/self/clear_refs") << "5"; // the peak resident size starts again from now
        const long before = statusKilobytes("VmRSS");
        const auto start = Clock::now();
        const std::size_t items = show(host, text, measurer);
        const Figures figures{since(start), static_cast<double>(statusKilobytes("VmHWM") - before) / 1024};
        const bool written = items > 0 && ::write(pipeEnds[1], &figures, sizeof figures) == sizeof figures;
        ::_exit(written ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    Figures figures;
    const bool read = ::read(pipeEnds[0], &figures, sizeof figures) == sizeof figures;
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "table_layout_bench: the child laying out %d rows failed\n", rows);
        std::exit(1);
    }
    return figures;
}

Figures measure(int rows, int runs) {
    std::vector<double> seconds, megabytes, cmarkSeconds;
    const std::string text = tableDocument(rows);
    for (int run = 0; run < runs; ++run) {
        const Figures figures = measureInChild(rows);
        seconds.push_back(figures.seconds);
        megabytes.push_back(figures.megabytes);
        cmarkSeconds.push_back(cmarkParseSeconds(text));
    }
    const Figures figures{median(seconds), median(megabytes)};
    std::printf("%6d rows (%zu KB): parse, layout, drawing and settling %.1f ms (%.1f us a row), peak memory added %.1f MB "
                "(%.1f KB a row); cmark-gfm parsing alone %.1f ms\n",
                rows, text.size() / 1024, figures.seconds * 1e3, figures.seconds * 1e6 / rows, figures.megabytes,
                figures.megabytes * 1024 / rows, median(cmarkSeconds) * 1e3);
    std::fflush(stdout);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 2 && std::string(argv[1]) == "--rows") {
        const glimmo::QtApplication application(argc, argv);
        const std::string text = tableDocument(std::atoi(argv[2]));
        const auto measurer = std::make_shared<glimmo::QtTextMeasurer>();
        std::optional<glimmo::ViewHost> host;
        const auto start = Clock::now();
        const std::size_t items = show(host, text, measurer);
        std::printf("%zu items drawn in %.3f s\n", items, since(start));
        // The tree is left standing: taking it down is not the work measured, and would be most of a
        // profile of this run.
        std::fflush(stdout);
        std::_Exit(0);
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    const Figures small = measure(1024, runs);
    const Figures medium = measure(4096, runs);
    const Figures large = measure(16384, runs);
    std::printf("ratio table_time_per_row_4k_over_1k %.2f\n", medium.seconds / small.seconds / 4);
    std::printf("ratio table_time_per_row_16k_over_1k %.2f\n", large.seconds / small.seconds / 16);
    std::printf("ratio table_memory_per_row_16k_over_1k %.2f\n", large.megabytes / small.megabytes / 16);
    std::printf("ratio table_16k_seconds %.3f\n", large.seconds);
    return 0;
}
