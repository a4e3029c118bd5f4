// Markdown to HTML through the document tree (parse, convert, render back) on generated documents of
// 1 MB and 10 MB, each against cmark-gfm doing the same with the extensions our parser attaches:
// - as whole processes, what a user's process pays, start-up and exit included: markdown_to_html
//   against the cmark-gfm command, both reading the file and writing the HTML to /dev/null, in turn;
//   the figure is each process's CPU time (user and system);
// - inside this process: MarkdownContent(text).htmlText() against cmark-gfm's library parsing and
//   rendering the same text, which shows what the document tree itself costs; here also a document
//   of 2 KB, a thousand times a run, the size the application itself meets.
// Both sides must write the same HTML. Prints each figure and
//   ratio markdown_html_process_1mb <ours / cmark-gfm>
//   ratio markdown_html_process_10mb <ours / cmark-gfm>
//   ratio markdown_html_1mb <ours / cmark-gfm, in process>
//   ratio markdown_html_10mb <ours / cmark-gfm, in process>
//   ratio markdown_html_2kb <ours / cmark-gfm, in process>
//   ratio markdown_html_10mb_over_1mb <our in-process 10 MB time / 1 MB time>
//
// Usage: markdown_bench [runs] (default 7 at 1 MB and half as many at 10 MB; medians are taken)

#include "RidadoziRI/Content/MarkdownContent.h"
#include "bench/BenchProgram.h"
#include "bench/markdown/CmarkCommand.h"
#include "bench/markdown/NotesDocument.h"
#include "bench/markdown/WholeProcess.h"

#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>
#include <cmark-gfm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using glimmo::bench::median;
namespace fs = std::filesystem;

constexpr const char* cmarkExtensions[] = {"autolink", "strikethrough", "tagfilter", "tasklist", "table"};

struct Figures {
    double ours = 0;
    double baseline = 0;
    double ratio() const { return ours / baseline; }
};

// One untimed run of each first (page cache, the first start), then the two alternate, so a drift of
// the shared machine's speed falls on both alike. Each run returns its own figure.
Figures alternate(int runs, const std::function<double()>& ours, const std::function<double()>& baseline) {
    ours();
    baseline();
    std::vector<double> oursFigures, baselineFigures;
    for (int run = 0; run < runs; ++run) {
        oursFigures.push_back(ours());
        baselineFigures.push_back(baseline());
    }
    return {median(oursFigures), median(baselineFigures)};
}

std::string readWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

Figures measureProcesses(const fs::path& file, int runs) {
    const std::vector<std::string> ours{GLIMMO_MARKDOWN_TO_HTML, file.string()};
    std::vector<std::string> baseline = cmarkCommand;
    baseline.push_back(file.string());
    const fs::path oursOutput = fs::path(file).replace_extension("ours.html");
    const fs::path baselineOutput = fs::path(file).replace_extension("cmark.html");
    runWholeProcess(ours, oursOutput);
    runWholeProcess(baseline, baselineOutput);
    if (readWhole(oursOutput) != readWhole(baselineOutput)) {
        throw std::runtime_error(file.filename().string() + ": markdown_to_html and cmark-gfm write different HTML");
    }
    std::vector<double> oursWall, baselineWall;
    const auto timed = [](const std::vector<std::string>& command, std::vector<double>& walls) {
        const ProcessTimes times = runWholeProcess(command);
        walls.push_back(times.wallSeconds);
        return times.cpuSeconds;
    };
    const Figures figures = alternate(
        runs, [&] { return timed(ours, oursWall); }, [&] { return timed(baseline, baselineWall); });
    std::printf("%s as whole processes: markdown_to_html %.1f ms of CPU (%.1f ms wall), cmark-gfm %.1f ms (%.1f ms)\n",
                file.filename().c_str(), figures.ours * 1e3, median(oursWall) * 1e3, figures.baseline * 1e3,
                median(baselineWall) * 1e3);
    return figures;
}

struct ParserDeleter {
    void operator()(cmark_parser* parser) const { cmark_parser_free(parser); }
};
struct NodeDeleter {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct TextDeleter {
    void operator()(char* text) const { cmark_get_default_mem_allocator()->free(text); }
};

// cmark-gfm on its own, as its command does it: parse with the extensions, render, free.
std::size_t cmarkLibraryHtmlSize(const std::string& text) {
    const std::unique_ptr<cmark_parser, ParserDeleter> parser(cmark_parser_new(CMARK_OPT_DEFAULT));
    for (const char* name : cmarkExtensions) {
        if (cmark_syntax_extension* extension = cmark_find_syntax_extension(name)) {
            cmark_parser_attach_syntax_extension(parser.get(), extension);
        }
    }
    cmark_parser_feed(parser.get(), text.data(), text.size());
    const std::unique_ptr<cmark_node, NodeDeleter> document(cmark_parser_finish(parser.get()));
    const std::unique_ptr<char, TextDeleter> html(
        cmark_render_html(document.get(), CMARK_OPT_DEFAULT, cmark_parser_get_syntax_extensions(parser.get())));
    return std::char_traits<char>::length(html.get());
}

template <class Work>
double secondsOf(const Work& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each timed run converts `text` `repetitions` times.
Figures measureInProcess(const std::string& name, const std::string& text, int runs, int repetitions = 1) {
    std::size_t oursBytes = 0, baselineBytes = 0;
    const auto repeated = [repetitions](const auto& work) {
        return secondsOf([&] {
            for (int repetition = 0; repetition < repetitions; ++repetition) work();
        });
    };
    const Figures figures = alternate(
        runs, [&] { return repeated([&] { oursBytes = ridadozi::MarkdownContent(text).htmlText().size(); }); },
        [&] { return repeated([&] { baselineBytes = cmarkLibraryHtmlSize(text); }); });
    if (oursBytes != baselineBytes) throw std::runtime_error(name + ": the HTML sizes differ");
    std::printf("%s in process (%d a run): %zu bytes of HTML; ours %.1f ms, cmark-gfm %.1f ms\n", name.c_str(),
                repetitions, oursBytes, figures.ours * 1e3, figures.baseline * 1e3);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    cmark_gfm_core_extensions_ensure_registered();
    const fs::path folder = fs::temp_directory_path() / ("markdown_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path small = folder / "document-1mb.md";
    const fs::path large = folder / "document-10mb.md";
    std::ofstream(small, std::ios::binary) << makeNotesDocument(1 << 20);
    std::ofstream(large, std::ios::binary) << makeNotesDocument(10 << 20);

    int status = 0;
    try {
        const Figures smallProcess = measureProcesses(small, runs);
        const Figures largeProcess = measureProcesses(large, runs / 2 + 1);
        const Figures smallInProcess = measureInProcess(small.filename(), readWhole(small), runs);
        const Figures largeInProcess = measureInProcess(large.filename(), readWhole(large), runs / 2 + 1);
        const Figures tinyInProcess = measureInProcess("a 2 KB document", makeNotesDocument(2048), runs, 1000);
        std::printf("ratio markdown_html_process_1mb %.2f\n", smallProcess.ratio());
        std::printf("ratio markdown_html_process_10mb %.2f\n", largeProcess.ratio());
        std::printf("ratio markdown_html_1mb %.2f\n", smallInProcess.ratio());
        std::printf("ratio markdown_html_10mb %.2f\n", largeInProcess.ratio());
        std::printf("ratio markdown_html_2kb %.2f\n", tinyInProcess.ratio());
        std::printf("ratio markdown_html_10mb_over_1mb %.2f\n", largeInProcess.ours / smallInProcess.ours);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "markdown_bench: %s\n", error.what());
        status = 1;
    }
    fs::remove_all(folder);
    return status;
}
