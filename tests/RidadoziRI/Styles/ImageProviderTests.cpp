#include "tests/platform/imaging/TestImageFiles.h"
#include "tests/platform/view/ViewTestSupport.h"
#include "tests/support/ForkedRun.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/SpecialFiles.h"
#include "tests/support/TemporaryDirectory.h"

#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/RemoteImageLoaderEnvironment.h"
#include "RemoteImage/URLError.h"
#include "RidadoziRI/Styles/ImageProviders.h"

#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <fstream>
#include <memory>

namespace ridadozi {
namespace {

using glimmo::AnyView;
using glimmo::CGRect;

constexpr double waitLimit = 20;

// A loopback server with one 80 × 40 picture, a real-time main loop, and a loader of its own.
class ImageProviderTest : public ::testing::Test {
protected:
    ImageProviderTest() {
        glimmo::RunLoop::setMain(std::shared_ptr<glimmo::RunLoop>(&loop, [](glimmo::RunLoop*) {}));
        const std::string png = glimmo::testing::encodePNG(glimmo::testing::patternImage(80, 40));
        server.on("GET", "/picture.png", [png](const glimmo::testing::RecordedRequest&, glimmo::testing::ServerReply& reply) {
            reply.headers = {{"Content-Type", "image/png"}};
            reply.body = png;
        });
        server.on("GET", "/missing.png", [](const glimmo::testing::RecordedRequest&, glimmo::testing::ServerReply& reply) {
            reply.status = 404;
        });
    }
    ~ImageProviderTest() override {
        host.reset();
        loop.runUntil([] { return false; }, 0.05);
        glimmo::RunLoop::setMain(nullptr);
    }

    glimmo::URL url(const std::string& path) const { return *glimmo::URL::parse(server.url(path)); }

    // Hosts a block image beside a fixed box, so that its frame can be read.
    void show(const std::optional<glimmo::URL>& address) {
        const AnyView image = DefaultImageProvider().makeImage(address).accessibilityLabel("image");
        const AnyView root = remoteimage::remoteImageLoader(
            AnyView(glimmo::VStack({image, glimmo::Rectangle().frame(10, 10).accessibilityLabel("after")})), loader);
        host = std::make_unique<glimmo::testing::TestHost>(root, glimmo::CGSize{400, 300});
    }
    // Runs the loop and the view updates until `done` holds; false when the limit passed first.
    bool settleUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(waitLimit);
        while (std::chrono::steady_clock::now() < deadline) {
            host->host().update();
            if (done()) return true;
            loop.runUntil([] { return false; }, 0.02);
        }
        return false;
    }
    std::size_t requestsFor(const std::string& path) const {
        std::size_t count = 0;
        for (const auto& request : server.requests()) count += request.path == path ? 1 : 0;
        return count;
    }

    glimmo::testing::LoopbackServer server;
    glimmo::testing::TemporaryDirectory cacheDirectory;
    glimmo::RealTimeRunLoop loop;
    std::shared_ptr<remoteimage::DefaultRemoteImageLoader> loader = std::make_shared<remoteimage::DefaultRemoteImageLoader>(
        std::make_shared<remoteimage::DefaultRemoteImageCache>(10),
        remoteimage::makeImageLoadingSession(10'485'760, 104'857'600, 15, cacheDirectory.path()), loop);
    std::unique_ptr<glimmo::testing::TestHost> host;
};

TEST_F(ImageProviderTest, TheBlockImageTakesNoRoomUntilLoadedThenItsOwnSize) {
    show(url("/picture.png"));
    EXPECT_EQ(host->frame("image").size, (glimmo::CGSize{0, 0}));
    ASSERT_TRUE(settleUntil([&] { return host->frame("image").width() > 0; })) << "the image never showed";
    EXPECT_EQ(host->frame("image").size, (glimmo::CGSize{80, 40}));
    bool drawn = false;
    for (const auto& item : host->host().displayList().items) drawn = drawn || std::holds_alternative<glimmo::ImageItem>(item);
    EXPECT_TRUE(drawn);
}

TEST_F(ImageProviderTest, AFailedOrAbsentImageTakesNoRoom) {
    show(url("/missing.png"));
    ASSERT_TRUE(settleUntil([&] { return requestsFor("/missing.png") > 0 && loader->ongoingTaskCount() == 0; }));
    // The failure has reached the view once the loader is idle; a few more updates change nothing.
    for (int round = 0; round < 5; ++round) {
        host->host().update();
        loop.runUntil([] { return false; }, 0.02);
    }
    EXPECT_EQ(host->frame("image").size, (glimmo::CGSize{0, 0}));

    show(std::nullopt);
    EXPECT_EQ(host->frame("image").size, (glimmo::CGSize{0, 0}));
}

TEST_F(ImageProviderTest, AnyImageProviderShowsWhatTheWrappedProviderMakes) {
    struct Labelled {
        AnyView makeImage(const std::optional<glimmo::URL>& address) const {
            return glimmo::Rectangle().frame(5, 5).accessibilityLabel(address ? address->absoluteString() : "none");
        }
    };
    const AnyImageProvider erased(Labelled{});
    host = std::make_unique<glimmo::testing::TestHost>(AnyView(glimmo::VStack({erased.makeImage(url("/a.png")), erased.makeImage(std::nullopt)})));
    EXPECT_TRUE(host->has(url("/a.png").absoluteString()));
    EXPECT_TRUE(host->has("none"));
}

struct InlineOutcome {
    std::optional<glimmo::Image> image;
    std::exception_ptr error;
    bool finished = false;
};

glimmo::Task<void> collect(glimmo::Task<glimmo::Image> load, std::shared_ptr<InlineOutcome> outcome) {
    try {
        outcome->image = co_await std::move(load);
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->finished = true;
}

TEST_F(ImageProviderTest, TheInlineProviderLoadsThroughTheSharedLoaderAndPassesItsErrorsOn) {
    const DefaultInlineImageProvider provider;
    const auto load = [&](const std::string& path) {
        auto outcome = std::make_shared<InlineOutcome>();
        auto task = provider.loadImage(url(path), "a picture");
        auto handle = glimmo::startTask(loop, collect(std::move(task), outcome));
        loop.runUntil([&] { return outcome->finished; }, waitLimit);
        EXPECT_TRUE(outcome->finished) << "the load did not finish";
        return outcome;
    };

    const auto loaded = load("/picture.png");
    ASSERT_TRUE(loaded->image.has_value());
    ASSERT_TRUE(loaded->image->pixels());
    EXPECT_EQ(loaded->image->pixels()->pointWidth(), 80);
    EXPECT_EQ(loaded->image->pixels()->pointHeight(), 40);
    // The alternative text labels the image for accessibility.
    EXPECT_EQ(loaded->image->label(), "a picture");
    host = std::make_unique<glimmo::testing::TestHost>(AnyView(glimmo::VStack({AnyView(*loaded->image)})));
    EXPECT_TRUE(host->has("a picture"));

    const auto failed = load("/missing.png");
    EXPECT_FALSE(failed->image.has_value());
    ASSERT_TRUE(failed->error);
    EXPECT_THROW(std::rethrow_exception(failed->error), remoteimage::URLError);
}

TEST_F(ImageProviderTest, AssetImagesComeFromTheResourceFolderByName) {
    glimmo::testing::TemporaryDirectory resources;
    std::ofstream(resources.path() / "pic.png", std::ios::binary) << glimmo::testing::encodePNG(glimmo::testing::patternImage(30, 20));
    std::ofstream(resources.path() / "logo.png", std::ios::binary) << glimmo::testing::encodePNG(glimmo::testing::patternImage(12, 6));
    std::ofstream(resources.path() / "broken.png", std::ios::binary) << "not an image";
    const AssetImageProvider provider{lastPathComponent, resources.path()};

    const auto shown = [&](const std::optional<glimmo::URL>& address) {
        host = std::make_unique<glimmo::testing::TestHost>(
            AnyView(glimmo::VStack({provider.makeImage(address).accessibilityLabel("asset")})));
        return host->has("asset") ? host->frame("asset").size : glimmo::CGSize{0, 0};
    };
    EXPECT_EQ(shown(*glimmo::URL::parse("https://example.com/images/pic.png")), (glimmo::CGSize{30, 20}));
    EXPECT_EQ(shown(*glimmo::URL::parse("https://example.com/logo")), (glimmo::CGSize{12, 6}));
    EXPECT_EQ(shown(*glimmo::URL::parse("https://example.com/none.png")), (glimmo::CGSize{0, 0}));
    EXPECT_EQ(shown(*glimmo::URL::parse("https://example.com/broken.png")), (glimmo::CGSize{0, 0}));
    EXPECT_EQ(shown(std::nullopt), (glimmo::CGSize{0, 0}));

    // A name that leaves the folder finds nothing, even when the file exists above it.
    const AssetImageProvider climbing{[](const glimmo::URL&) { return std::string("../pic.png"); }, resources.path() / "inner"};
    std::filesystem::create_directory(resources.path() / "inner");
    host = std::make_unique<glimmo::testing::TestHost>(
        AnyView(glimmo::VStack({climbing.makeImage(*glimmo::URL::parse("https://example.com/x")).accessibilityLabel("asset")})));
    EXPECT_FALSE(host->has("asset") && host->frame("asset").width() > 0);

    AssetInlineImageProvider inlineProvider;
    inlineProvider.bundle = resources.path();
    auto outcome = std::make_shared<InlineOutcome>();
    auto task = inlineProvider.loadImage(*glimmo::URL::parse("https://example.com/pic.png"), "label");
    auto handle = glimmo::startTask(loop, collect(std::move(task), outcome));
    loop.runUntil([&] { return outcome->finished; }, waitLimit);
    ASSERT_TRUE(outcome->image.has_value());
    ASSERT_TRUE(outcome->image->pixels());
    EXPECT_EQ(outcome->image->pixels()->pointWidth(), 30);
    EXPECT_EQ(outcome->image->label(), "label");
}

// Reading a FIFO would wait for a writer and reading /dev/zero would never end: such a file in an
// asset's place is passed over for the next candidate, in a child that is killed if it hangs.
TEST(AssetImages, AFifoDeviceOrSocketInPlaceOfAnAssetIsPassedOverWithoutWaiting) {
    for (const glimmo::testing::SpecialFile kind : glimmo::testing::specialFiles) {
        const glimmo::testing::TemporaryDirectory resources;
        glimmo::testing::makeSpecialFile(resources.path() / "pic", kind);
        std::ofstream(resources.path() / "pic.png", std::ios::binary)
            << glimmo::testing::encodePNG(glimmo::testing::patternImage(3, 2));
        const auto code = glimmo::testing::exitCodeInForkedChild(
            [&] {
                const auto image = assetImage("pic", resources.path());
                return image && image->pixels() && image->pixels()->width == 3 ? 0 : 1;
            },
            std::chrono::seconds(20));
        EXPECT_EQ(code, 0) << glimmo::testing::describe(kind);
    }
}

} // namespace
} // namespace ridadozi
