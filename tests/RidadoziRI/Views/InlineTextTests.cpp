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

// Holds every load until the test answers it; a cancelled load ends with CancellationError.
struct GatedProvider final : InlineImageProvider {
    struct Pending {
        std::string url;
        glimmo::Continuation<glimmo::Image> answer;
    };
    std::shared_ptr<std::vector<Pending>> pending = std::make_shared<std::vector<Pending>>();
    std::shared_ptr<int> cancelled = std::make_shared<int>(0);
    glimmo::Task<glimmo::Image> loadImage(glimmo::URL url, std::string) const override {
        auto waiting = pending;
        auto cancellations = cancelled;
        const std::string address = url.absoluteString();
        auto wait = glimmo::withContinuation<glimmo::Image>(
            [waiting, address](glimmo::Continuation<glimmo::Image> answer) { waiting->push_back({address, answer}); },
            [waiting, cancellations, address] {
                ++*cancellations;
                for (const auto& p : *waiting) {
                    if (p.url == address) p.answer.resumeThrowing(std::make_exception_ptr(glimmo::CancellationError{}));
                }
            });
        co_return co_await std::move(wait);
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

    std::shared_ptr<CountingProvider> counting = std::make_shared<CountingProvider>();
    std::shared_ptr<const InlineImageProvider> provider = counting;
    std::shared_ptr<Content> content = std::make_shared<Content>();
    std::unique_ptr<glimmo::ViewHost> host;
};

TEST_F(InlineTextTest, ImageBetweenWordsAppearsOnceLoaded) {
    show({N::text("before "), N::image("a.png", {N::text("A")}), N::text(" after")});
    ASSERT_EQ(counting->calls->size(), 1U);
    EXPECT_EQ(counting->calls->front(), (std::pair<std::string, std::string>{"https://img.example/a.png", "A"}));
    EXPECT_EQ(inlineImagesDrawn(), 1U);
}

// The load of a text without images finds nothing to store, so the text is built once.
TEST_F(InlineTextTest, NoImagesAsksNothingAndBuildsTheTextOnce) {
    content->inlines.set({N::text("plain "), N::strong({N::text("text")})});
    host = std::make_unique<glimmo::ViewHost>(markdownInlineImageProvider(AnyView(Shown{{}, content}), provider),
                                              std::make_shared<glimmo::FixedAdvanceTextMeasurer>());
    host->setSize({400, 200});
    host->update();
    const std::size_t built = host->bodyEvaluationCount();
    settle();
    EXPECT_TRUE(counting->calls->empty());
    EXPECT_EQ(inlineImagesDrawn(), 0U);
    EXPECT_EQ(host->bodyEvaluationCount(), built);
}

TEST_F(InlineTextTest, EqualImagesAreRequestedOnceAndOtherAltTextsAgain) {
    const auto a = N::image("a.png", {N::text("A")});
    show({a, N::text(" "), a, N::text(" "), N::image("a.png", {N::text("other")})});
    EXPECT_EQ(counting->calls->size(), 2U);
    EXPECT_EQ(inlineImagesDrawn(), 3U);
}

TEST_F(InlineTextTest, OneFailureHidesEveryImage) {
    show({N::image("a.png", {}), N::text(" "), N::image("bad.png", {}), N::text(" "), N::image("c.png", {})});
    EXPECT_GE(counting->calls->size(), 2U);
    EXPECT_EQ(inlineImagesDrawn(), 0U);
}

TEST_F(InlineTextTest, OnlyTopLevelImagesAndSingleImageLinksAreRequested) {
    show({N::emphasis({N::image("hidden.png", {})}), N::text(" "), N::link("https://x.example/", {N::image("linked.png", {})})});
    ASSERT_EQ(counting->calls->size(), 1U);
    EXPECT_EQ(counting->calls->front().first, "https://img.example/linked.png");
}

TEST_F(InlineTextTest, SourcesThatFormNoAddressAreSkipped) {
    show({N::image("relative.png", {}), N::text(" "), N::image("https://abs.example/x.png", {})}, std::nullopt);
    ASSERT_EQ(counting->calls->size(), 1U);
    EXPECT_EQ(counting->calls->front().first, "https://abs.example/x.png");
    EXPECT_EQ(inlineImagesDrawn(), 1U);
}

TEST_F(InlineTextTest, NewContentLoadsAgain) {
    show({N::text("x "), N::image("a.png", {})});
    content->inlines.set({N::text("y "), N::image("b.png", {})});
    settle();
    ASSERT_EQ(counting->calls->size(), 2U);
    EXPECT_EQ(counting->calls->back().first, "https://img.example/b.png");
}

TEST_F(InlineTextTest, ImagesLoadConcurrentlyAndShowWhenAllArrived) {
    auto gated = std::make_shared<GatedProvider>();
    provider = gated;
    show({N::image("a.png", {}), N::text(" and "), N::image("b.png", {})});
    ASSERT_EQ(gated->pending->size(), 2U) << "both requests are out before either is answered";
    (*gated->pending)[0].answer.resume(glimmo::Image(pixels(8, 8), 1, glimmo::ImageOrientation::up));
    settle();
    EXPECT_EQ(inlineImagesDrawn(), 0U) << "the map is replaced whole, once every image is in";
    (*gated->pending)[1].answer.resume(glimmo::Image(pixels(8, 8), 1, glimmo::ImageOrientation::up));
    settle();
    EXPECT_EQ(inlineImagesDrawn(), 2U);
}

TEST_F(InlineTextTest, AFailureCancelsTheOtherLoads) {
    auto gated = std::make_shared<GatedProvider>();
    provider = gated;
    show({N::image("a.png", {}), N::text(" and "), N::image("b.png", {})});
    ASSERT_EQ(gated->pending->size(), 2U);
    (*gated->pending)[0].answer.resumeThrowing(std::make_exception_ptr(std::runtime_error("gone")));
    settle();
    EXPECT_EQ(*gated->cancelled, 1);
    EXPECT_EQ(inlineImagesDrawn(), 0U);
}

TEST(AltTextTest, PlainWordsCodeAndOneSpacePerSoftBreak) {
    EXPECT_EQ(imageData(N::image("s", {N::text("big "), N::emphasis({N::text("cat")}), N::softBreak(), N::code("x")}))->alt,
              "big cat x");
}

} // namespace
} // namespace ridadozi
