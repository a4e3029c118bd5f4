// The GitHub Flavored Markdown conformance examples, run through the parser bridge and the HTML
// rendering back, compared with what the installed cmark-gfm writes for the same input with the same
// options (the extensions of the parser bridge, options 0, no extension list for the HTML renderer),
// in all three forms that the content renders back to.

#include "RidadoziRI/CmarkSupport.h"
#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/MarkdownRendering.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace ridadozi {
namespace {

struct Example {
    std::string file;
    int number = 0;
    int line = 0;
    std::string markdown;
};

std::string replaceAll(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// Examples sit between a fence of 32 backquotes followed by "example" and a closing fence; a line
// holding a single "." separates the Markdown from the expected HTML; "→" stands for a tab.
std::vector<Example> loadExamples(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<Example> examples;
    const std::string fence(32, '`');
    std::string line;
    int lineNumber = 0;
    enum { outside, markdown, html } state = outside;
    Example current;
    while (std::getline(in, line)) {
        ++lineNumber;
        if (state == outside && line.rfind(fence + " example", 0) == 0) {
            current = Example{path.filename().string(), static_cast<int>(examples.size()) + 1, lineNumber, {}};
            state = markdown;
        } else if (state == markdown && line == ".") {
            state = html;
        } else if (state == markdown) {
            current.markdown += replaceAll(line, "\xE2\x86\x92", "\t") + "\n";
        } else if (state == html && line == fence) {
            examples.push_back(current);
            state = outside;
        }
    }
    return examples;
}

// What the installed cmark-gfm writes for `markdown` on its own. The document tree keeps no link or
// image titles and no list delimiters, so `normalised` clears the titles in cmark-gfm's tree and
// gives every ordered list the period delimiter before it is rendered.
std::string referenceRendering(const std::string& markdown, CmarkRenderer renderer, bool normalised) {
    cmark::NodePtr document;
    {
        const auto lock = cmark::lockParsing();
        const cmark::ParserPtr parser = cmark::makeParser();
        cmark_parser_feed(parser.get(), markdown.data(), markdown.size());
        document.reset(cmark_parser_finish(parser.get()));
    }
    if (normalised) {
        const std::unique_ptr<cmark_iter, decltype(&cmark_iter_free)> iterator(cmark_iter_new(document.get()), &cmark_iter_free);
        for (auto event = cmark_iter_next(iterator.get()); event != CMARK_EVENT_DONE; event = cmark_iter_next(iterator.get())) {
            cmark_node* node = cmark_iter_get_node(iterator.get());
            const auto type = cmark_node_get_type(node);
            if (event == CMARK_EVENT_ENTER && (type == CMARK_NODE_LINK || type == CMARK_NODE_IMAGE)) {
                cmark_node_set_title(node, "");
            }
            if (event == CMARK_EVENT_ENTER && type == CMARK_NODE_LIST && cmark_node_get_list_type(node) == CMARK_ORDERED_LIST) {
                cmark_node_set_list_delim(node, CMARK_PERIOD_DELIM);
            }
        }
    }
    switch (renderer) {
    case CmarkRenderer::commonMark:
        return cmark::takeRenderedText(cmark_render_commonmark(document.get(), CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::plainText:
        return cmark::takeRenderedText(cmark_render_plaintext(document.get(), CMARK_OPT_DEFAULT, 0));
    case CmarkRenderer::html:
        return cmark::takeRenderedText(cmark_render_html(document.get(), CMARK_OPT_DEFAULT, nullptr));
    }
    return {};
}

std::optional<std::filesystem::path> testDataFolder() {
    const char* root = std::getenv("GLIMMO_TESTDATA_DIR");
    if (!root) return std::nullopt;
    return std::filesystem::path(root) / "gfm";
}

class GfmConformance : public ::testing::Test {
protected:
    void SetUp() override {
        const auto folder = testDataFolder();
        ASSERT_TRUE(folder.has_value())
            << "GLIMMO_TESTDATA_DIR is not set; it must name the shared test data folder (shared/testdata beside the "
               "repository).";
        for (const char* name : {"spec.txt", "extensions.txt", "regression.txt"}) {
            const auto path = *folder / name;
            ASSERT_TRUE(std::filesystem::is_regular_file(path))
                << "The GFM conformance examples are missing: " << path
                << " does not exist. Copy shared/testdata beside the repository.";
            auto loaded = loadExamples(path);
            ASSERT_FALSE(loaded.empty()) << "No examples found in " << path;
            examples.insert(examples.end(), loaded.begin(), loaded.end());
        }
    }

    std::vector<Example> examples;
};

struct Tally {
    int identical = 0;
    int identicalButForUnkept = 0;
    int different = 0;
    std::ostringstream differences;
};

Tally compareWithCmark(const std::vector<Example>& examples, CmarkRenderer renderer) {
    Tally tally;
    for (const auto& example : examples) {
        // The tree renders through the same cmark-gfm renderer as the reference.
        const std::string ours = renderCmarkDocument(MarkdownContent(std::string_view(example.markdown)).blocks, renderer);
        const std::string expected = referenceRendering(example.markdown, renderer, false);
        if (ours == expected) {
            ++tally.identical;
        } else if (ours == referenceRendering(example.markdown, renderer, true)) {
            ++tally.identicalButForUnkept;
        } else {
            ++tally.different;
            tally.differences << example.file << " example " << example.number << " (line " << example.line
                              << ")\n--- input\n" << example.markdown << "--- cmark-gfm\n" << expected << "\n--- ours\n"
                              << ours << "\n";
        }
    }
    return tally;
}

void report(const char* form, std::size_t total, const Tally& tally) {
    std::cout << "GFM conformance, " << form << ": " << total << " examples, " << tally.identical << " identical, "
              << tally.identicalButForUnkept << " identical but for what the tree does not keep (link and image titles, list delimiters), " << tally.different
              << " different\n";
}

TEST_F(GfmConformance, HtmlRenderedBackMatchesCmark) {
    const Tally tally = compareWithCmark(examples, CmarkRenderer::html);
    report("HTML", examples.size(), tally);
    EXPECT_EQ(tally.different, 0) << tally.differences.str();
    EXPECT_EQ(tally.identical + tally.identicalButForUnkept, static_cast<int>(examples.size()));
}

TEST_F(GfmConformance, CommonMarkRenderedBackMatchesCmark) {
    const Tally tally = compareWithCmark(examples, CmarkRenderer::commonMark);
    report("CommonMark", examples.size(), tally);
    EXPECT_EQ(tally.different, 0) << tally.differences.str();
}

TEST_F(GfmConformance, PlainTextRenderedBackMatchesCmark) {
    const Tally tally = compareWithCmark(examples, CmarkRenderer::plainText);
    report("plain text", examples.size(), tally);
    EXPECT_EQ(tally.different, 0) << tally.differences.str();
}

} // namespace
} // namespace ridadozi
