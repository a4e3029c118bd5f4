// Full documents drawn through the real Qt backend and checked against the PNGs under
// docs/markdown-gallery/, with their pictures served by a loopback server; the checks here also make
// sure the pictures arrived and the table and lists were drawn.

#include "ViewTestHelpers.h"

#include "RidadoziRI/Styles/ListMarkers.h"
#include "tests/support/LoopbackServer.h"
#include "tests/ui/Gallery/GalleryReference.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewHost.h"

#include <gtest/gtest.h>

#include <random>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace ridadozi {
namespace {

using glimmo::AnyView;

glimmo::PixelImage solid(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    glimmo::PixelImage image;
    image.width = w;
    image.height = h;
    for (int i = 0; i < w * h; ++i) image.rgba.insert(image.rgba.end(), {r, g, b, 255});
    return image;
}

std::string pngBytes(const glimmo::PixelImage& image, const std::filesystem::path& scratch) {
    glimmo::writePNG(image, scratch.string());
    std::ifstream file(scratch, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class GalleryTest : public ::testing::Test {
protected:
    GalleryTest() {
        const auto scratch = std::filesystem::temp_directory_path() / ("markdown-gallery-" + std::to_string(::getpid()) + ".png");
        wide = pngBytes(solid(320, 80, 40, 120, 220), scratch);
        dot = pngBytes(solid(14, 14, 230, 80, 40), scratch);
        square = pngBytes(solid(60, 60, 60, 180, 90), scratch);
        std::filesystem::remove(scratch);
        for (const auto& entry : std::vector<std::pair<std::string, std::string*>>{{"/wide.png", &wide}, {"/dot.png", &dot}, {"/square.png", &square}}) {
            const std::string* body = entry.second;
            server.on("GET", entry.first, [body](const glimmo::testing::RecordedRequest&, glimmo::testing::ServerReply& reply) {
                reply.headers = {{"Content-Type", "image/png"}};
                reply.body = *body;
            });
        }
    }

    std::string document() const {
        const std::string base = server.baseURL();
        return "# Markdown gallery\n\n"
               "Running text with *emphasis*, **strong**, ~~strikethrough~~, `inline code` and a "
               "[link](https://example.com). An inline picture ![dot](" + base + "/dot.png" + fresh + ") sits between words.\\\n"
               "A hard break starts this line.\n\n"
               "## Lists\n\n"
               "8. eight\n9. nine\n10. ten\n11. eleven\n\n"
               "- bullet one\n- bullet two\n  - nested bullet\n    - deeper bullet\n\n"
               "Tasks:\n\n"
               "- [x] a finished task\n- [ ] an open task\n\n"
               "### Code\n\n"
               "```swift\nlet greeting = \"Hello\"\nprint(greeting)\n```\n\n"
               "#### A table\n\n"
               "| Left | Centre | Right |\n|:-----|:------:|------:|\n| a | b | c |\n| longer left | mid | 1,234 |\n\n"
               "> A block quote that holds a paragraph\n> over two lines.\n\n"
               "---\n\n"
               "![wide picture](" + base + "/wide.png" + fresh + ")\n\n"
               "![one](" + base + "/square.png" + fresh + ")\n![two](" + base + "/square.png" + fresh + ")\n";
    }

    // Lays the document out at `width`, waits until `images` pictures are drawn, and checks the drawing against the gallery.
    glimmo::PixelImage render(AnyView root, const std::string& name, std::size_t images, double width = 560) {
        glimmo::ViewHost host(root.padding(16).background(glimmo::Color::white()), std::make_shared<glimmo::QtTextMeasurer>());
        host.setSize({width, 2000});
        const bool arrived = glimmo::RunLoop::main().driveUntil(
            [&] {
                host.update();
                return countImages(host.displayList()) >= images;
            },
            20);
        EXPECT_TRUE(arrived) << name << ": " << countImages(host.displayList()) << " of " << images << " pictures drawn";
        host.setSize({width, host.sizeThatFits({width, std::nullopt}).height});
        host.update();
        last = host.displayList();
        const glimmo::PixelImage image = glimmo::renderDisplayList(last, 1);
        glimmo::testing::expectMatchesGallery(image, "markdown-gallery", std::filesystem::path(name).stem().string());
        return image;
    }

    static std::size_t countImages(const glimmo::DisplayList& list) {
        std::size_t n = 0;
        for (const auto& item : list.items) {
            if (std::holds_alternative<glimmo::ImageItem>(item)) ++n;
            if (const auto* text = std::get_if<glimmo::TextItem>(&item)) {
                for (const auto& run : text->runs) n += run.image ? 1 : 0;
            }
        }
        return n;
    }
    std::size_t count(std::string_view textPiece) const {
        std::size_t n = 0;
        for (const auto& item : last.items) {
            if (const auto* text = std::get_if<glimmo::TextItem>(&item)) {
                for (const auto& run : text->runs) n += run.text.find(textPiece) != std::string::npos ? 1 : 0;
            }
        }
        return n;
    }
    std::size_t strokes() const {
        std::size_t n = 0;
        for (const auto& item : last.items) n += std::holds_alternative<glimmo::StrokeItem>(item) ? 1 : 0;
        return n;
    }

    glimmo::testing::LoopbackServer server;
    // The image cache outlives a test and the process (on disk), and a later server may get the same
    // port: addresses of their own keep earlier answers from standing in for this server's.
    const std::string fresh = "?fixture=" + std::to_string(std::random_device{}()) + std::to_string(std::random_device{}());
    std::string wide, dot, square;
    glimmo::DisplayList last;
};

TEST_F(GalleryTest, StandardTheme) {
    render(Markdown(document()), "standard.png", 4);
    EXPECT_EQ(count("eleven"), 1U);
    EXPECT_EQ(count("longer left"), 1U);
    EXPECT_GE(strokes(), 3U) << "the table draws its borders";
    EXPECT_GE(server.requestCount(), 3U);
}

TEST_F(GalleryTest, RomanMarkersAndOtherThemes) {
    render(markdownNumberedListMarker(Markdown(document()), ListMarkers::upperRomanNumberMarker()), "roman-markers.png", 4);
    EXPECT_EQ(count("XI"), 1U);
    render(markdownTheme(Markdown(document()), Theme::cards()), "cards.png", 4);
    render(markdownTheme(Markdown(document()), Theme::ruled()), "ruled.png", 4);
}

TEST_F(GalleryTest, NarrowWidthShrinksTheWidePicture) {
    render(Markdown("![wide](" + server.baseURL() + "/wide.png" + fresh + ")"), "narrow-picture.png", 1, 200);
    bool found = false;
    for (const auto& item : last.items) {
        if (const auto* image = std::get_if<glimmo::ImageItem>(&item)) {
            EXPECT_EQ(image->rect.size, (glimmo::CGSize{168, 42}));
            found = true;
        }
    }
    EXPECT_TRUE(found);
}

} // namespace
} // namespace ridadozi
