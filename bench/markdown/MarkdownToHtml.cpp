// Markdown to HTML as a user's process pays for it, start-up included: reads the file named on the
// command line, parses it into the document tree and writes the tree rendered as HTML to standard
// output; the tree goes when the program ends, as the cmark-gfm command frees its own tree after
// writing. It links the Markdown core alone, as that command links cmark-gfm alone, so it reads the
// file with the C library rather than through the platform layer.
//
// Usage: markdown_to_html FILE

#include "RidadoziRI/Content/MarkdownContent.h"

#include <cstdio>
#include <memory>
#include <string>

#include <sys/stat.h>

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool readWhole(const char* path, std::string& text) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return false;
    struct stat status {};
    if (::fstat(fileno(file.get()), &status) == 0 && status.st_size > 0) text.reserve(static_cast<std::size_t>(status.st_size));
    char buffer[1 << 16];
    while (const std::size_t count = std::fread(buffer, 1, sizeof buffer, file.get())) text.append(buffer, count);
    return !std::ferror(file.get());
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: markdown_to_html FILE\n", stderr);
        return 2;
    }
    std::string markdown;
    if (!readWhole(argv[1], markdown)) {
        std::fprintf(stderr, "markdown_to_html: cannot read '%s'\n", argv[1]);
        return 1;
    }
    const ridadozi::MarkdownContent content(markdown);
    const std::string html = content.htmlText();
    const bool written = std::fwrite(html.data(), 1, html.size(), stdout) == html.size();
    return written && std::fflush(stdout) == 0 ? 0 : 1;
}
