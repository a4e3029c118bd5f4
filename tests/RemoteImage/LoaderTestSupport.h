#pragma once

#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/URLError.h"
#include "tests/platform/imaging/TestImageFiles.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace remoteimage::testing {

// What one call of image(from:) ended with.
struct LoadOutcome {
    DecodedImage image;
    std::exception_ptr error;
    bool finished = false;
};

inline glimmo::Task<void> collect(glimmo::Task<DecodedImage> load, std::shared_ptr<LoadOutcome> outcome) {
    try {
        outcome->image = co_await std::move(load);
    } catch (...) {
        outcome->error = std::current_exception();
    }
    outcome->finished = true;
}

// The error as an `E`, or nullopt for any other error or none.
template <class E>
std::optional<E> errorAs(const std::exception_ptr& error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const E& caught) {
        return caught;
    } catch (...) {
    }
    return std::nullopt;
}

inline std::optional<URLError::Code> urlErrorCode(const std::exception_ptr& error) {
    const auto caught = errorAs<URLError>(error);
    return caught ? std::optional(caught->errorCode()) : std::nullopt;
}

inline std::optional<glimmo::HttpError::Kind> httpErrorKind(const std::exception_ptr& error) {
    const auto caught = errorAs<glimmo::HttpError>(error);
    return caught ? std::optional(caught->kind()) : std::nullopt;
}

// A loopback server, a real-time loop and a loader with a cache and a session of its own whose disk
// store is a fresh directory.
class LoaderTest : public ::testing::Test {
protected:
    static constexpr double waitLimit = 20;

    explicit LoaderTest(double timeoutInterval = 15, std::size_t cacheCountLimit = 100,
                        std::shared_ptr<glimmo::PixelBudget> budget = glimmo::PixelBudget::shared())
        : budget(std::move(budget)),
          cache(std::make_shared<DefaultRemoteImageCache>(cacheCountLimit, this->budget)),
          session(makeImageLoadingSession(10'485'760, 104'857'600, timeoutInterval, cacheDirectory.path())),
          loader(std::make_shared<DefaultRemoteImageLoader>(cache, session, loop, this->budget)) {}

    glimmo::URL url(const std::string& path) const { return *glimmo::URL::parse(server.url(path)); }

    // Starts a load without waiting for it.
    std::shared_ptr<LoadOutcome> start(const glimmo::URL& address, DefaultRemoteImageLoader* other = nullptr) {
        auto outcome = std::make_shared<LoadOutcome>();
        auto load = (other ? other : loader.get())->image(address);
        handles.push_back(glimmo::startTask(loop, collect(std::move(load), outcome)));
        return outcome;
    }

    // Drives the loop until the outcome is in; fails the test instead of hanging.
    LoadOutcome await(const std::shared_ptr<LoadOutcome>& outcome) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(waitLimit);
        while (!outcome->finished && std::chrono::steady_clock::now() < deadline) {
            loop.runUntil([&] { return outcome->finished; }, 0.05);
        }
        EXPECT_TRUE(outcome->finished) << "the load did not finish";
        return *outcome;
    }

    LoadOutcome load(const std::string& path) { return await(start(url(path))); }

    void serveImage(const std::string& path, const std::string& bytes, const std::string& type = "image/png") {
        server.on("GET", path, [bytes, type](const glimmo::testing::RecordedRequest&, glimmo::testing::ServerReply& reply) {
            reply.headers = {{"Content-Type", type}};
            reply.body = bytes;
        });
    }

    std::size_t requestsFor(const std::string& path) const {
        std::size_t count = 0;
        for (const auto& request : server.requests()) count += request.path == path ? 1 : 0;
        return count;
    }

    glimmo::testing::LoopbackServer server;
    glimmo::testing::TemporaryDirectory cacheDirectory;
    glimmo::RealTimeRunLoop loop;
    std::shared_ptr<glimmo::PixelBudget> budget;
    std::shared_ptr<DefaultRemoteImageCache> cache;
    std::shared_ptr<ImageLoadingSession> session;
    std::shared_ptr<DefaultRemoteImageLoader> loader;
    std::vector<glimmo::TaskHandle> handles;
};

} // namespace remoteimage::testing
