// Markdown to HTML through the document tree (parse, convert, render back) next to the `cmark-gfm`
// command doing the same on the same file with the extensions our parser attaches. Both read the
// document from a file. Prints each figure and
//   ratio markdown_html_1mb <ours / cmark-gfm>
//   ratio markdown_html_10mb <ours / cmark-gfm>
//   ratio markdown_html_10mb_over_1mb <our 10 MB time / our 1 MB time>
//
// Usage: markdown_bench [runs] (default 7; the median of the runs is taken)

#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/MarkdownParser.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Kept in step with the parser's extension list.
constexpr const char* cmarkCommand = "cmark-gfm -e autolink -e strikethrough -e tagfilter -e tasklist -e table";

// A deterministic document of about `bytes` bytes that reads like real notes: headings, paragraphs
// with emphasis, links and code spans, nested lists, task lists, tables, quotes and code blocks.
std::string makeDocument(std::size_t bytes) {
    static const char* const words[] = {"time",  "focus", "review", "meeting", "design", "build",  "notes",
                                        "plan",  "email", "report", "draft",   "sprint", "deploy", "tests"};
    std::string text;
    text.reserve(bytes + 4096);
    for (unsigned section = 0; text.size() < bytes; ++section) {
        const std::string n = std::to_string(section);
        const std::string word = words[section % std::size(words)];
        text += "## " + n + ". The " + word + " of the day\n\n";
        for (int paragraph = 0; paragraph < 3; ++paragraph) {
            text += "Most of the morning went to *" + word + "* and **careful " + word + "**, with a look at the " +
                    "[dashboard](https://example.com/" + word + "/" + n + ") and the `" + word + "()` call. ";
            text += "Some of it was ~~wasted~~ spent reading https://www.example.org/" + n +
                    " and the notes that came\nafter it, which took longer than planned.\n\n";
        }
        text += "- " + word + " for the team\n- a second point with _emphasis_\n  - a nested point\n  - and another\n\n";
        text += "1. first step\n2. second step\n3. third step\n\n";
        text += "- [x] finished " + word + "\n- [ ] open " + word + "\n\n";
        text += "| Task | Minutes | Share |\n| :--- | :---: | ---: |\n| " + word + " | " + n + " | 12% |\n" +
                "| email | 35 | 8% |\n| review | 50 | 20% |\n\n";
        text += "> A quotation about " + word + "\n> over two lines.\n\n";
        text += "```cpp\nint minutes = " + n + ";\nreport(minutes);\n```\n\n";
        if (section % 5 == 4) text += "---\n\n";
    }
    return text;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

double secondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

struct Figures {
    double ours = 0;
    double baseline = 0;
};

// One untimed run of each first (page cache, allocator, the command's first start), then the two
// alternate, so a drift of the shared machine's speed falls on both alike.
Figures measure(const fs::path& file, int runs) {
    std::size_t htmlBytes = 0;
    const auto ours = [&] {
        const std::string text = readFile(file);
        const ridadozi::MarkdownContent content(ridadozi::MarkdownParser::parse(text).value());
        htmlBytes = content.htmlText().size();
    };
    const std::string command = std::string(cmarkCommand) + " '" + file.string() + "' > /dev/null";
    const auto baseline = [&] {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "markdown_bench: '%s' failed\n", command.c_str());
            std::exit(1);
        }
    };
    ours();
    baseline();
    std::vector<double> oursTimes, baselineTimes;
    for (int run = 0; run < runs; ++run) {
        oursTimes.push_back(secondsOf(ours));
        baselineTimes.push_back(secondsOf(baseline));
    }
    const Figures figures{median(oursTimes), median(baselineTimes)};
    std::printf("%s: %zu bytes of Markdown, %zu bytes of HTML; ours %.1f ms, cmark-gfm %.1f ms\n",
                file.filename().c_str(), static_cast<std::size_t>(fs::file_size(file)), htmlBytes, figures.ours * 1e3,
                figures.baseline * 1e3);
    return figures;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const fs::path folder = fs::temp_directory_path() / ("markdown_bench." + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path small = folder / "document-1mb.md";
    const fs::path large = folder / "document-10mb.md";
    std::ofstream(small, std::ios::binary) << makeDocument(1 << 20);
    std::ofstream(large, std::ios::binary) << makeDocument(10 << 20);

    const Figures one = measure(small, runs);
    const Figures ten = measure(large, std::max(1, runs / 2 + 1));
    fs::remove_all(folder);

    std::printf("ratio markdown_html_1mb %.2f\n", one.ours / one.baseline);
    std::printf("ratio markdown_html_10mb %.2f\n", ten.ours / ten.baseline);
    std::printf("ratio markdown_html_10mb_over_1mb %.2f\n", ten.ours / one.ours);
    return 0;
}
