// Parsing a 1 MB Markdown document into the document tree, next to cmark-gfm turning the same text
// into HTML on its own (the baseline), then rendering the tree back to HTML and CommonMark.
// Prints the ratio of the tree's parse to the baseline at the end.

#include "RidadoziRI/CmarkSupport.h"
#include "RidadoziRI/MarkdownParser.h"
#include "RidadoziRI/MarkdownRendering.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

namespace {

// A deterministic document of about `bytes` bytes that uses every construct the tree knows.
std::string makeDocument(std::size_t bytes) {
    std::string text;
    text.reserve(bytes + 4096);
    for (int section = 0; text.size() < bytes; ++section) {
        const std::string n = std::to_string(section);
        text += "## Section " + n + " with *emphasis* and `code`\n\n";
        text += "A paragraph about item " + n + " with **strong words**, ~~old text~~, a [link](https://example.com/" + n +
                ") and an image ![alt " + n + "](https://example.com/" + n + ".png). It goes on\nacross a soft break "
                "and ends with a hard one  \nright here, visiting www.example.org/" + n + " on the way.\n\n";
        text += "- first point " + n + "\n- second point with *style*\n  - nested point\n\n";
        text += "1. one\n2. two\n3. three\n\n";
        text += "- [x] done " + n + "\n- [ ] open " + n + "\n\n";
        text += "| Name | Count | Price |\n| :--- | :---: | ---: |\n| apple | " + n + " | 0.5 |\n| pear | 2 | 1.25 |\n\n";
        text += "> A quotation with <b>inline html</b>\n> over two lines.\n\n";
        text += "```swift\nlet value = " + n + "\nprint(value)\n```\n\n";
        text += "<div>raw block " + n + "</div>\n\n---\n\n";
    }
    return text;
}

const std::string& document() {
    static const std::string text = makeDocument(1 << 20);
    return text;
}

void CmarkParseToHtml(benchmark::State& state) {
    const std::string& text = document();
    for (auto _ : state) {
        ridadozi::cmark::NodePtr root;
        {
            const auto lock = ridadozi::cmark::lockParsing();
            const ridadozi::cmark::ParserPtr parser = ridadozi::cmark::makeParser();
            cmark_parser_feed(parser.get(), text.data(), text.size());
            root.reset(cmark_parser_finish(parser.get()));
        }
        std::string html = ridadozi::cmark::takeRenderedText(cmark_render_html(root.get(), CMARK_OPT_DEFAULT, nullptr));
        benchmark::DoNotOptimize(html);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(CmarkParseToHtml)->Unit(benchmark::kMillisecond);

void ParseIntoDocumentTree(benchmark::State& state) {
    const std::string& text = document();
    for (auto _ : state) {
        auto blocks = ridadozi::MarkdownParser::parse(text);
        benchmark::DoNotOptimize(blocks);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(ParseIntoDocumentTree)->Unit(benchmark::kMillisecond);

void RenderTreeBack(benchmark::State& state, ridadozi::CmarkRenderer renderer) {
    const auto blocks = ridadozi::MarkdownParser::parse(document()).value();
    for (auto _ : state) {
        std::string text = ridadozi::renderCmarkDocument(blocks, renderer);
        benchmark::DoNotOptimize(text);
    }
}
BENCHMARK_CAPTURE(RenderTreeBack, Html, ridadozi::CmarkRenderer::html)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RenderTreeBack, CommonMark, ridadozi::CmarkRenderer::commonMark)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's mean real time per iteration so the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                times[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("Document: %zu bytes of Markdown\n", document().size());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto baseline = reporter.times.find("CmarkParseToHtml");
    const auto tree = reporter.times.find("ParseIntoDocumentTree");
    if (baseline != reporter.times.end() && tree != reporter.times.end() && baseline->second > 0) {
        std::printf("cmark-gfm parse + HTML: %.2f ms, parse into the document tree: %.2f ms, ratio %.2f\n",
                    baseline->second * 1e3, tree->second * 1e3, tree->second / baseline->second);
    }
    benchmark::Shutdown();
    return 0;
}
