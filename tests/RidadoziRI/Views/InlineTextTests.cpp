#include "ViewTestHelpers.h"

#include "RidadoziRI/Views/InlineText.h"
#include "RidadoziRI/Views/RawImageData.h"

#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewHost.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using N = InlineNode;

glimmo::SharedPixels pixels(int w, int h) {
    auto image = std::make_shared<glimmo::PixelImage>();
    image->width = w;
    image->height = h;
    image->rgba.assign(static_cast<std::size_t>(w * h * 4), 200);
    return image;
}

// Answers at once; an address whose path contains "bad" fails.
struct CountingProvider final : InlineImageProvider {
    std::shared_ptr<std::vector<std::pair<std::string, std::string>>> calls =
        std::make_shared<std::vector<std::pair<std::string, std::string>>>();
    glimmo::Task<glimmo::Image> loadImage(glimmo::URL url, std::string label) const override {
        calls->push_back({url.absoluteString(), label});
        if (url.path().find("bad") != std::string::npos) throw std::runtime_error("no such image");
        co_return glimmo::Image(pixels(8, 8), 1, glimmo::ImageOrientation::up);
    }
};

// The inline text under a host whose tasks run on the main loop; `inlines` can be changed later.
struct Content : glimmo::ObservableObject {
    glimmo::Published<std::vector<InlineNode>> inlines{*this, {}};
};

struct Shown : glimmo::View<Shown> {
    glimmo::ObservedObject<Content> content;
    AnyView body() const { return InlineText(content->inlines.get()); }
};

class InlineTextTest : public ::testing::Test {
protected:
    void show(std::vector<InlineNode> inlines, std::optional<glimmo::URL> imageBase = glimmo::URL::parse("https://img.example/")) {
        content->inlines.set(std::move(inlines));
        AnyView root = markdownInlineImageProvider(AnyView(Shown{{}, content}), provider);
        root = root.environment<ImageBaseURLKey>(imageBase);
        host = std::make_unique<glimmo::ViewHost>(root, std::make_shared<glimmo::FixedAdvanceTextMeasurer>());
        host->setSize({400, 200});
        settle();
    }
    void settle() {
        for (int round = 0; round < 5; ++round) {
            host->update();
            glimmo::RunLoop::main().driveUntil([] { return false; }, 0.02);
        }
        host->update();
    }
    std::size_t inlineImagesDrawn() {
        std::size_t n = 0;
        for (const auto& item : host->displayList().items) {
            if (const auto* text = std::get_if<glimmo::TextItem>(&item)) {
                for (const auto& run : text->runs) n += run.image ? 1 : 0;
            }
        }
        return n;
    }

    std::shared_ptr<CountingProvider> provider = std::make_shared<CountingProvider>();
    std::shared_ptr<Content> content = std::make_shared<Content>();
    std::unique_ptr<glimmo::ViewHost> host;
};

TEST_F(InlineTextTest, ImageBetweenWordsAppearsOnceLoaded) {
    show({N::text("before "), N::image("a.png", {N::text("A")}), N::text(" after")});
    ASSERT_EQ(provider->calls->size(), 1U);
    EXPECT_EQ(provider->calls->front(), (std::pair<std::string, std::string>{"https://img.example/a.png", "A"}));
    EXPECT_EQ(inlineImagesDrawn(), 1U);
}

TEST_F(InlineTextTest, NoImagesAsksNothing) {
    show({N::text("plain "), N::strong({N::text("text")})});
    EXPECT_TRUE(provider->calls->empty());
    EXPECT_EQ(inlineImagesDrawn(), 0U);
}

TEST_F(InlineTextTest, EqualImagesAreRequestedOnceAndOtherAltTextsAgain) {
    const auto a = N::image("a.png", {N::text("A")});
    show({a, N::text(" "), a, N::text(" "), N::image("a.png", {N::text("other")})});
    EXPECT_EQ(provider->calls->size(), 2U);
    EXPECT_EQ(inlineImagesDrawn(), 3U);
}

TEST_F(InlineTextTest, OneFailureHidesEveryImage) {
    show({N::image("a.png", {}), N::text(" "), N::image("bad.png", {}), N::text(" "), N::image("c.png", {})});
    EXPECT_GE(provider->calls->size(), 2U);
    EXPECT_EQ(inlineImagesDrawn(), 0U);
}

TEST_F(InlineTextTest, OnlyTopLevelImagesAndSingleImageLinksAreRequested) {
    show({N::emphasis({N::image("hidden.png", {})}), N::text(" "), N::link("https://x.example/", {N::image("linked.png", {})})});
    ASSERT_EQ(provider->calls->size(), 1U);
    EXPECT_EQ(provider->calls->front().first, "https://img.example/linked.png");
}

TEST_F(InlineTextTest, SourcesThatFormNoAddressAreSkipped) {
    show({N::image("relative.png", {}), N::text(" "), N::image("https://abs.example/x.png", {})}, std::nullopt);
    ASSERT_EQ(provider->calls->size(), 1U);
    EXPECT_EQ(provider->calls->front().first, "https://abs.example/x.png");
    EXPECT_EQ(inlineImagesDrawn(), 1U);
}

TEST_F(InlineTextTest, NewContentLoadsAgain) {
    show({N::text("x "), N::image("a.png", {})});
    content->inlines.set({N::text("y "), N::image("b.png", {})});
    settle();
    ASSERT_EQ(provider->calls->size(), 2U);
    EXPECT_EQ(provider->calls->back().first, "https://img.example/b.png");
}

TEST(AltTextTest, PlainWordsCodeAndOneSpacePerSoftBreak) {
    EXPECT_EQ(imageData(N::image("s", {N::text("big "), N::emphasis({N::text("cat")}), N::softBreak(), N::code("x")}))->alt,
              "big cat x");
}

} // namespace
} // namespace ridadozi
