#include "tests/RemoteImage/LoaderTestSupport.h"

#include "platform/imaging/ImageDecoding.h"
#include "tests/platform/imaging/DemandingImageFiles.h"

namespace remoteimage::testing {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerReply;

const glimmo::DecodedImage picture = glimmo::testing::patternImage(20, 10, true);
const std::string pictureBytes = glimmo::testing::encodePNG(picture);

TEST_F(LoaderTest, ConcurrentRequestsForOneURLShareOneTransferAndOneImage) {
    server.on("GET", "/shared.png", [](const RecordedRequest&, ServerReply& reply) {
        reply.stallSeconds = 0.2;  // keeps the first transfer open while the others ask
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
    });
    const auto first = start(url("/shared.png"));
    const auto second = start(url("/shared.png"));
    const auto third = start(url("/shared.png"));
    const LoadOutcome a = await(first);
    const LoadOutcome b = await(second);
    const LoadOutcome c = await(third);

    ASSERT_TRUE(a.image) << urlErrorCode(a.error).has_value();
    EXPECT_EQ(a.image, b.image);
    EXPECT_EQ(a.image, c.image);
    EXPECT_EQ(a.image->rgba, picture.rgba);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(loader->ongoingTaskCount(), 0u);
    EXPECT_EQ(cache->image(url("/shared.png")), a.image);
}

TEST_F(LoaderTest, CachedImageIsReturnedWithoutATransfer) {
    serveImage("/cached.png", pictureBytes);
    const LoadOutcome first = load("/cached.png");
    ASSERT_TRUE(first.image);
    const LoadOutcome again = load("/cached.png");
    EXPECT_EQ(again.image, first.image);
    EXPECT_EQ(server.requestCount(), 1u);

    // Whatever the cache holds is answered, even for an address the server does not know.
    const auto placed = std::make_shared<const glimmo::PixelImage>(glimmo::PixelImage{1, 1, 1, glimmo::ImageOrientation::up, {1, 2, 3, 4}});
    cache->setImage(placed, url("/never-served.png"));
    EXPECT_EQ(load("/never-served.png").image, placed);
    EXPECT_EQ(server.requestCount(), 1u);
}

TEST_F(LoaderTest, AsksForImagesInTheAcceptHeader) {
    serveImage("/accept.png", pictureBytes);
    ASSERT_TRUE(load("/accept.png").image);
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].header("Accept"), "image/*");
}

TEST_F(LoaderTest, NotFoundIsABadServerResponseAndTheNextRequestTriesAgain) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    server.on("GET", "/flaky.png", [calls](const RecordedRequest&, ServerReply& reply) {
        if (calls->fetch_add(1) == 0) {
            reply.status = 404;
            reply.body = "missing";
            return;
        }
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
    });
    const LoadOutcome missing = load("/flaky.png");
    EXPECT_FALSE(missing.image);
    EXPECT_EQ(urlErrorCode(missing.error), URLError::Code::badServerResponse);
    EXPECT_EQ(cache->count(), 0u);

    // The 404 was kept neither by the loader nor by the response cache.
    const LoadOutcome retried = load("/flaky.png");
    ASSERT_TRUE(retried.image);
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(LoaderTest, TextBodyCannotBeDecodedAndIsNotCached) {
    server.on("GET", "/page.png", [](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"Content-Type", "text/html"}};
        reply.body = "<html><body>Sorry</body></html>";
    });
    const LoadOutcome outcome = load("/page.png");
    EXPECT_EQ(urlErrorCode(outcome.error), URLError::Code::cannotDecodeContentData);
    EXPECT_EQ(cache->count(), 0u);
    EXPECT_EQ(loader->ongoingTaskCount(), 0u);
}

TEST_F(LoaderTest, DroppedConnectionReachesEveryWaiterAndFreesTheURL) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    server.on("GET", "/dropped.png", [calls](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
        if (calls->fetch_add(1) == 0) {
            reply.stallSeconds = 0.2;
            reply.dropAfterBytes = 10;
        }
    });
    const auto first = start(url("/dropped.png"));
    const auto second = start(url("/dropped.png"));
    const LoadOutcome a = await(first);
    const LoadOutcome b = await(second);
    EXPECT_EQ(httpErrorKind(a.error), glimmo::HttpError::Kind::transport);
    EXPECT_EQ(httpErrorKind(b.error), glimmo::HttpError::Kind::transport);
    EXPECT_EQ(server.requestCount(), 1u);
    EXPECT_EQ(loader->ongoingTaskCount(), 0u);

    const LoadOutcome retried = load("/dropped.png");
    ASSERT_TRUE(retried.image);
    EXPECT_EQ(server.requestCount(), 2u);
}

// A transfer cancelled under the loader (its client going away, say) frees the URL like any failure.
TEST_F(LoaderTest, CancelledTransferFreesTheURL) {
    serveImage("/cancelled.png", pictureBytes);
    auto firstCall = std::make_shared<bool>(true);
    const auto session = this->session;
    DefaultRemoteImageLoader::DataFunction data = [firstCall, session](const glimmo::URL& address) {
        if (*firstCall) {
            *firstCall = false;
            return glimmo::withContinuation<glimmo::HttpResponse>([](glimmo::Continuation<glimmo::HttpResponse> reply) {
                reply.resumeThrowing(std::make_exception_ptr(glimmo::CancellationError{}));
            });
        }
        return session->data(address);
    };
    const auto cancelling = std::make_shared<DefaultRemoteImageLoader>(cache, std::move(data), loop);
    const LoadOutcome cancelled = await(start(url("/cancelled.png"), cancelling.get()));
    ASSERT_TRUE(cancelled.error);
    EXPECT_THROW(std::rethrow_exception(cancelled.error), glimmo::CancellationError);
    EXPECT_FALSE(cancelled.image);
    EXPECT_EQ(cancelling->ongoingTaskCount(), 0u);
    EXPECT_EQ(server.requestCount(), 0u);

    const LoadOutcome retried = await(start(url("/cancelled.png"), cancelling.get()));
    ASSERT_TRUE(retried.image);
    EXPECT_EQ(server.requestCount(), 1u);
}

class ShortTimeoutLoaderTest : public LoaderTest {
protected:
    ShortTimeoutLoaderTest() : LoaderTest(0.3) {}
};

TEST_F(ShortTimeoutLoaderTest, TimeOutFreesTheURLForTheNextTry) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    server.on("GET", "/slow.png", [calls](const RecordedRequest&, ServerReply& reply) {
        if (calls->fetch_add(1) == 0) reply.stallSeconds = 10;
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
    });
    const LoadOutcome timedOut = load("/slow.png");
    EXPECT_EQ(httpErrorKind(timedOut.error), glimmo::HttpError::Kind::timedOut);
    EXPECT_EQ(loader->ongoingTaskCount(), 0u);

    const LoadOutcome retried = load("/slow.png");
    ASSERT_TRUE(retried.image);
    EXPECT_EQ(server.requestCount(), 2u);
}

TEST_F(LoaderTest, OversizedDownloadAndOversizedImageAreRefusedAsUndecodable) {
    serveImage("/huge-download.png", pictureBytes + std::string(maximumImageDownloadBytes, '\0'));
    const LoadOutcome download = load("/huge-download.png");
    EXPECT_EQ(urlErrorCode(download.error), URLError::Code::cannotDecodeContentData);

    // A few dozen bytes that claim 20,000 x 20,000 pixels.
    serveImage("/huge-image.png", glimmo::testing::pngHeaderClaiming(20000, 20000));
    const LoadOutcome image = load("/huge-image.png");
    EXPECT_EQ(urlErrorCode(image.error), URLError::Code::cannotDecodeContentData);
    EXPECT_EQ(cache->count(), 0u);
}

// Every load decodes on one thread. A JPEG of thousands of scans would hold it for seconds: the
// decode stops at the bound on scans, the load fails as undecodable for that reason, and the image
// asked for next arrives.
TEST_F(LoaderTest, ManyScanJPEGIsRefusedAndTheImageAskedForNextArrives) {
    serveImage("/scans.jpg", glimmo::testing::manyScanJPEG(2048, 2048, 5000), "image/jpeg");
    server.on("GET", "/next.png", [](const RecordedRequest&, ServerReply& reply) {
        reply.stallSeconds = 0.1;  // so that its decode is queued behind the other one's
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
    });
    const auto scans = start(url("/scans.jpg"));
    const auto next = start(url("/next.png"));
    const LoadOutcome refused = await(scans);
    const LoadOutcome arrived = await(next);
    const auto failure = errorAs<URLError>(refused.error);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->errorCode(), URLError::Code::cannotDecodeContentData);
    EXPECT_EQ(failure->decodingFailure(), glimmo::ImageDecodingError::Kind::tooMuchWork);
    ASSERT_TRUE(arrived.image);
    EXPECT_EQ(arrived.image->rgba, picture.rgba);
    EXPECT_EQ(cache->count(), 1u);
}

TEST_F(LoaderTest, OnlyHTTPAddressesAreFetched) {
    const auto file = await(start(*glimmo::URL::parse("file:///etc/hostname")));
    EXPECT_EQ(urlErrorCode(file.error), URLError::Code::badServerResponse);
    const auto ftp = await(start(*glimmo::URL::parse("ftp://127.0.0.1/picture.png")));
    EXPECT_EQ(urlErrorCode(ftp.error), URLError::Code::badServerResponse);
    EXPECT_EQ(loader->ongoingTaskCount(), 0u);
}

TEST_F(LoaderTest, DecodesEachSupportedFormat) {
    serveImage("/p.png", pictureBytes);
    serveImage("/p.webp", glimmo::testing::encodeWebP(picture), "image/webp");
    serveImage("/p.gif", glimmo::testing::encodeGIF(2, 1, {0, 0, 0, 255, 255, 255}, {{0, 0, 2, 1, {1, 0}}}), "image/gif");
    EXPECT_EQ(load("/p.png").image->rgba, picture.rgba);
    EXPECT_EQ(load("/p.webp").image->rgba, picture.rgba);
    const LoadOutcome gif = load("/p.gif");
    ASSERT_TRUE(gif.image);
    EXPECT_EQ(gif.image->rgba, (std::vector<std::uint8_t>{255, 255, 255, 255, 0, 0, 0, 255}));
}

class SmallCacheLoaderTest : public LoaderTest {
protected:
    SmallCacheLoaderTest() : LoaderTest(15, 1) {}
};

// An image pushed out of the image cache is decoded again from the response cache, in memory and on
// disk, without a transfer.
TEST_F(SmallCacheLoaderTest, EvictedImageComesBackFromTheResponseCache) {
    serveImage("/a.png", pictureBytes);
    serveImage("/b.png", glimmo::testing::encodePNG(glimmo::testing::patternImage(3, 3)));
    const LoadOutcome a = load("/a.png");
    ASSERT_TRUE(a.image);
    ASSERT_TRUE(load("/b.png").image);
    EXPECT_EQ(cache->image(url("/a.png")), nullptr);

    const LoadOutcome again = load("/a.png");
    ASSERT_TRUE(again.image);
    EXPECT_NE(again.image, a.image);
    EXPECT_EQ(again.image->rgba, picture.rgba);
    EXPECT_EQ(requestsFor("/a.png"), 1u);

    // Once this session is gone (its files written), a new one over the same folder finds the response
    // on disk.
    const std::weak_ptr<ImageLoadingSession> firstSession = session;
    loader.reset();
    session.reset();
    ASSERT_TRUE(firstSession.expired());
    auto otherCache = std::make_shared<DefaultRemoteImageCache>(10);
    auto otherSession = makeImageLoadingSession(10'485'760, 104'857'600, 15, cacheDirectory.path());
    DefaultRemoteImageLoader other(otherCache, otherSession, loop);
    const LoadOutcome fromDisk = await(start(url("/a.png"), &other));
    ASSERT_TRUE(fromDisk.image);
    EXPECT_EQ(requestsFor("/a.png"), 1u);
}

// Waiting is not tied to the caller: a cancelled caller does not stop the load, which still fills
// the cache for the next one.
TEST_F(LoaderTest, CancelledCallerLeavesTheLoadRunning) {
    server.on("GET", "/patient.png", [](const RecordedRequest&, ServerReply& reply) {
        reply.stallSeconds = 0.3;
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = pictureBytes;
    });
    const auto outcome = start(url("/patient.png"));
    loop.runUntil([] { return false; }, 0.05);
    handles.back().cancel();
    const LoadOutcome finished = await(outcome);
    EXPECT_TRUE(finished.image);
    EXPECT_TRUE(cache->image(url("/patient.png")));
    EXPECT_EQ(server.requestCount(), 1u);
}

// Decoded images of 1 MiB, in a budget whose caches keep 2 of them and that lets 4 be alive.
class BoundedLoaderTest : public LoaderTest {
protected:
    static constexpr std::size_t imageBytes = 512 * 512 * 4;

    BoundedLoaderTest() : LoaderTest(15, 100, std::make_shared<glimmo::PixelBudget>(2 * imageBytes, 4 * imageBytes)) {
        serveImage("/big/[0-9]+\\.png", glimmo::testing::encodePNG(glimmo::testing::patternImage(512, 512)));
    }

    // Loads /big/<number>.png and checks that the pixels alive stay within the bound.
    LoadOutcome loadBig(int number) {
        LoadOutcome outcome = load("/big/" + std::to_string(number) + ".png");
        EXPECT_LE(budget->liveBytes(), budget->liveByteLimit()) << "after image " << number;
        return outcome;
    }
};

// Views hold every image they show: past the bound the loads fail as undecodable, for a spent budget,
// and the cache keeps what it holds, since letting go of images still shown would free nothing. Images
// no view holds any more give their bytes back: those only the cache keeps stay counted until a new
// image needs their room, when the least recently used of them goes.
TEST_F(BoundedLoaderTest, ImagesPastTheLiveBoundFailAsTheBudgetSpentUntilImagesLetGoMakeRoom) {
    std::vector<LoadOutcome> held;
    for (int number = 1; number <= 6; ++number) held.push_back(loadBig(number));
    for (int number = 1; number <= 4; ++number) EXPECT_TRUE(held[number - 1].image) << number;
    for (int number = 5; number <= 6; ++number) {
        EXPECT_FALSE(held[number - 1].image) << number;
        const auto failure = errorAs<URLError>(held[number - 1].error);
        ASSERT_TRUE(failure) << number;
        EXPECT_EQ(failure->errorCode(), URLError::Code::cannotDecodeContentData) << number;
        EXPECT_EQ(failure->decodingFailure(), glimmo::ImageDecodingError::Kind::budgetSpent) << number;
    }
    EXPECT_EQ(budget->liveBytes(), 4 * imageBytes);
    EXPECT_EQ(cache->count(), 2u);

    held.resize(2);  // the cache keeps 3 and 4, which nothing else holds now
    EXPECT_EQ(budget->liveBytes(), 4 * imageBytes);
    EXPECT_TRUE(loadBig(7).image);
    EXPECT_FALSE(cache->image(url("/big/3.png")));
    EXPECT_TRUE(cache->image(url("/big/4.png")));
    held.clear();
    EXPECT_EQ(budget->liveBytes(), budget->heldBytes());
    EXPECT_EQ(budget->liveBytes(), 2 * imageBytes);
}

// A progressive JPEG of 512 x 512 pixels at full colour resolution takes 1 MiB of pixels, and while it
// decodes 1.5 MiB more of coefficients.
TEST_F(BoundedLoaderTest, ADecoderIsChargedForItsWorkingMemoryUntilTheDecodeEnds) {
    serveImage("/progressive/[ab]\\.jpg", glimmo::testing::largeJPEG(512, 512, true, false), "image/jpeg");
    const LoadOutcome first = load("/progressive/a.jpg");
    ASSERT_TRUE(first.image);
    EXPECT_EQ(budget->liveBytes(), imageBytes) << "the coefficients' charge ends with the decode";
    const LoadOutcome big = loadBig(1);
    // With two images held, the next one's pixels would fit, its pixels and coefficients not.
    const auto failure = errorAs<URLError>(load("/progressive/b.jpg").error);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->decodingFailure(), glimmo::ImageDecodingError::Kind::budgetSpent);
    EXPECT_EQ(budget->liveBytes(), 2 * imageBytes);
}

} // namespace
} // namespace remoteimage::testing
