#include "platform/net/URLCache.h"

#include "NetTestFixture.h"
#include "platform/foundation/Files.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sys/stat.h>
#include <thread>

namespace glimmo {
namespace {

using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerReply;
using glimmo::testing::TemporaryDirectory;

constexpr std::size_t mebibyte = 1024 * 1024;

HttpResponse responseWithBody(std::string body, int status = 200) {
    return HttpResponse{status, {{"Content-Type", "image/png"}}, std::move(body)};
}

std::vector<std::filesystem::path> filesIn(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) files.push_back(entry.path());
    return files;
}

// Lookups that miss memory resume from the cache's own thread, so they run on a loop.
class URLCacheTest : public ::testing::Test {
protected:
    std::optional<HttpResponse> lookup(URLCache& cache, const std::string& url) {
        return runBlocking(loop, cache.cachedResponse(url), 10);
    }

    RealTimeRunLoop loop;
};

TEST_F(URLCacheTest, MemoryOnlyCacheAnswersWhatItStored) {
    URLCache cache(mebibyte, 0, {});
    cache.store("https://example.com/a.png", responseWithBody("png bytes"));

    const auto hit = lookup(cache, "https://example.com/a.png");

    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->status, 200);
    EXPECT_EQ(hit->body, "png bytes");
    EXPECT_EQ(hit->header("content-type"), "image/png");
    EXPECT_FALSE(lookup(cache, "https://example.com/other.png"));
}

TEST_F(URLCacheTest, KeepsOnlySuccessfulStorableResponses) {
    URLCache cache(mebibyte, 0, {});
    cache.store("https://example.com/missing", responseWithBody("nope", 404));
    cache.store("https://example.com/moved", responseWithBody("", 301));
    HttpResponse private_ = responseWithBody("secret");
    private_.headers.emplace_back("cache-control", "private, No-Store");
    cache.store("https://example.com/private", private_);
    cache.store("https://example.com/created", responseWithBody("made", 201));

    EXPECT_FALSE(lookup(cache, "https://example.com/missing"));
    EXPECT_FALSE(lookup(cache, "https://example.com/moved"));
    EXPECT_FALSE(lookup(cache, "https://example.com/private"));
    EXPECT_TRUE(lookup(cache, "https://example.com/created"));
}

TEST_F(URLCacheTest, MemoryEvictsTheLeastRecentlyUsedBeyondItsCapacity) {
    const std::string url1 = "u1", url2 = "u2", url3 = "u3";
    // Each entry costs its URL, its body and its header: 2 + 40 + 21 = 63 bytes; room for two.
    URLCache cache(130, 0, {});
    cache.store(url1, responseWithBody(std::string(40, '1')));
    cache.store(url2, responseWithBody(std::string(40, '2')));
    ASSERT_TRUE(lookup(cache, url1));  // url1 is now the most recently used

    cache.store(url3, responseWithBody(std::string(40, '3')));

    EXPECT_TRUE(lookup(cache, url1));
    EXPECT_FALSE(lookup(cache, url2));
    EXPECT_TRUE(lookup(cache, url3));
    EXPECT_LE(cache.currentMemoryUsage(), 130u);
}

TEST_F(URLCacheTest, EntryLargerThanTheWholeCacheIsNotKept) {
    URLCache cache(100, 0, {});
    cache.store("small", responseWithBody("s"));
    cache.store("huge", responseWithBody(std::string(1000, 'h')));

    EXPECT_FALSE(lookup(cache, "huge"));
    EXPECT_TRUE(lookup(cache, "small"));
}

TEST_F(URLCacheTest, DiskEntriesSurviveIntoANewInstanceAsPrivateFiles) {
    const TemporaryDirectory directory;
    std::string binaryBody;
    for (int value = 0; value < 256; ++value) binaryBody += static_cast<char>(value);
    {
        URLCache cache(mebibyte, mebibyte, directory.path());
        cache.store("https://example.com/a.png", responseWithBody(binaryBody));
    }

    URLCache reopened(mebibyte, mebibyte, directory.path());
    const auto hit = lookup(reopened, "https://example.com/a.png");

    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->body, binaryBody);
    EXPECT_EQ(hit->header("Content-Type"), "image/png");
    const auto files = filesIn(directory.path());
    ASSERT_EQ(files.size(), 1u);
    struct stat status {};
    ASSERT_EQ(::stat(files[0].c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(URLCacheTest, DiskEvictsTheLeastRecentlyUsedBeyondItsCapacity) {
    const TemporaryDirectory directory;
    const std::string body(1000, 'x');
    // Memory too small to hold anything, so every hit comes from disk; room for two files on disk.
    URLCache cache(0, 2500, directory.path());
    cache.store("first", responseWithBody(body));
    cache.store("second", responseWithBody(body));
    ASSERT_TRUE(lookup(cache, "first"));

    cache.store("third", responseWithBody(body));

    EXPECT_TRUE(lookup(cache, "first"));
    EXPECT_FALSE(lookup(cache, "second"));
    EXPECT_TRUE(lookup(cache, "third"));
    EXPECT_EQ(filesIn(directory.path()).size(), 2u);
    EXPECT_LE(cache.currentDiskUsage(), 2500u);
}

// The files are not flushed to the disk, so a power cut may leave one cut short or with changed bytes.
TEST_F(URLCacheTest, DamagedDiskEntryIsAMissAndIsRemoved) {
    using Damage = std::function<void(const std::filesystem::path&)>;
    const Damage cutShort = [](const std::filesystem::path& file) {
        std::filesystem::resize_file(file, std::filesystem::file_size(file) - 2);
    };
    const Damage lastByteChanged = [](const std::filesystem::path& file) {
        std::fstream stream(file, std::ios::in | std::ios::out | std::ios::binary);
        stream.seekp(-1, std::ios::end);
        stream.put('x');
    };
    for (const Damage& damage : {cutShort, lastByteChanged}) {
        const TemporaryDirectory directory;
        {
            URLCache cache(0, mebibyte, directory.path());
            cache.store("https://example.com/a", responseWithBody("fine"));
        }
        const auto files = filesIn(directory.path());
        ASSERT_EQ(files.size(), 1u);
        damage(files[0]);

        URLCache reopened(0, mebibyte, directory.path());

        EXPECT_FALSE(lookup(reopened, "https://example.com/a"));
        EXPECT_TRUE(filesIn(directory.path()).empty());
    }
}

TEST_F(URLCacheTest, RemoveAllEmptiesMemoryAndDisk) {
    const TemporaryDirectory directory;
    URLCache cache(mebibyte, mebibyte, directory.path());
    cache.store("a", responseWithBody("a"));
    cache.store("b", responseWithBody("b"));

    cache.removeAll();

    EXPECT_FALSE(lookup(cache, "a"));
    EXPECT_FALSE(lookup(cache, "b"));
    EXPECT_TRUE(filesIn(directory.path()).empty());
    EXPECT_EQ(cache.currentMemoryUsage(), 0u);
    EXPECT_EQ(cache.currentDiskUsage(), 0u);
}

TEST_F(NetTest, CachedGetIsAnsweredWithoutTheNetwork) {
    const TemporaryDirectory directory;
    auto cache = std::make_shared<URLCache>(mebibyte, mebibyte, directory.path());
    server.on("GET", "/image.png", [](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = "image";
    });
    server.on("GET", "/missing.png", [](const RecordedRequest&, ServerReply& reply) { reply.status = 404; });

    EXPECT_EQ(run(client.send(get("/image.png"), {.cache = cache})).body, "image");
    EXPECT_EQ(run(client.send(get("/image.png"), {.cache = cache})).body, "image");
    EXPECT_EQ(run(client.send(get("/missing.png"), {.cache = cache})).status, 404);
    EXPECT_EQ(run(client.send(get("/missing.png"), {.cache = cache})).status, 404);

    const auto received = server.requests();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0].path, "/image.png");
    EXPECT_EQ(received[1].path, "/missing.png");
    EXPECT_EQ(received[2].path, "/missing.png");

    // The next start of the application finds it on disk.
    cache.reset();
    const auto nextRun = std::make_shared<URLCache>(mebibyte, mebibyte, directory.path());
    EXPECT_EQ(run(client.send(get("/image.png"), {.cache = nextRun})).body, "image");
    EXPECT_EQ(server.requestCount(), 3u);
}

// The reply does not wait for its file: that is written on the cache's own thread, while the reply,
// and the next request for the same address, are answered at once.
TEST_F(NetTest, ReplyIsReturnedBeforeItsFileIsWrittenOnAnotherThread) {
    const TemporaryDirectory directory;
    server.on("GET", "/image.png", [](const RecordedRequest&, ServerReply& reply) { reply.body = "image"; });
    std::promise<void> letWriteFinish;
    const std::shared_future<void> writeMayFinish = letWriteFinish.get_future().share();
    std::atomic<std::thread::id> writer;
    std::atomic<bool> writeFinished = false;
    setAtomicWriteHookForTesting([&](const std::filesystem::path&) {
        writer = std::this_thread::get_id();
        // Bounded, so that a write made on the test's own thread fails the test instead of hanging it.
        writeMayFinish.wait_for(std::chrono::seconds(10));
        writeFinished = true;
    });
    {
        const auto cache = std::make_shared<URLCache>(mebibyte, mebibyte, directory.path());

        EXPECT_EQ(run(client.send(get("/image.png"), {.cache = cache})).body, "image");
        EXPECT_FALSE(writeFinished);
        EXPECT_EQ(run(client.send(get("/image.png"), {.cache = cache})).body, "image");
        EXPECT_EQ(server.requestCount(), 1u);

        letWriteFinish.set_value();
    }
    setAtomicWriteHookForTesting({});
    EXPECT_TRUE(writeFinished);
    EXPECT_NE(writer.load(), std::this_thread::get_id());
    EXPECT_EQ(filesIn(directory.path()).size(), 1u);
}

TEST_F(NetTest, OnlyGetRequestsUseTheCache) {
    const auto cache = std::make_shared<URLCache>(mebibyte, 0, std::filesystem::path());
    server.on("POST", "/generate", [](const RecordedRequest&, ServerReply& reply) { reply.body = "fresh"; });
    HttpRequest request = get("/generate");
    request.method = "POST";

    run(client.send(request, {.cache = cache}));
    run(client.send(request, {.cache = cache}));

    EXPECT_EQ(server.requestCount(), 2u);
    EXPECT_FALSE(run(cache->cachedResponse(request.url)));
}

// A reply that comes back after the cache's owner has let the cache go is not stored there. A new cache
// made in the same memory shows whether the old one would still be written to.
TEST_F(NetTest, AReplyArrivingAfterItsCacheIsGoneIsNotStored) {
    std::atomic<bool> replyMaySend = false;
    server.on("GET", "/image.png", [&replyMaySend](const RecordedRequest&, ServerReply& reply) {
        glimmo::testing::LoopbackServer::waitUntil([&] { return replyMaySend.load(); }, waitLimit);
        reply.body = "image";
    });
    std::optional<URLCache> place(std::in_place, mebibyte, 0, std::filesystem::path());
    auto owner = std::shared_ptr<URLCache>(&*place, [](URLCache*) {});
    std::optional<HttpResponse> response;
    auto fetch = [&]() -> Task<void> { response = co_await client.send(get("/image.png"), {.cache = owner}); };
    const TaskHandle handle = startTask(loop, fetch());
    ASSERT_TRUE(runLoopUntil([&] { return server.requestCount() == 1; }));
    // The reply arrives while the loop stands still: its completion waits there, posted.
    replyMaySend = true;
    ASSERT_TRUE(glimmo::testing::LoopbackServer::waitUntil([] { return pendingContinuationCount() == 0; }, waitLimit));

    owner.reset();
    place.emplace(mebibyte, 0, std::filesystem::path());

    ASSERT_TRUE(runLoopUntil([&] { return handle.isFinished(); }));
    ASSERT_TRUE(response);
    EXPECT_EQ(response->body, "image");
    EXPECT_EQ(place->currentMemoryUsage(), 0u);
}

}  // namespace
}  // namespace glimmo
