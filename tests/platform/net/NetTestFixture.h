#pragma once

#include "platform/net/HttpClient.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <exception>
#include <functional>
#include <optional>
#include <string>

namespace glimmo {

// A loopback server, a real-time loop to run tasks on and a client of their own for each test.
class NetTest : public ::testing::Test {
protected:
    static constexpr double waitLimit = 10;

    template <class T>
    T run(Task<T> task) {
        return runBlocking(loop, std::move(task), waitLimit);
    }

    // Runs the loop until `predicate` holds; the loop also notices conditions that change on other
    // threads (the server's) without a post.
    bool runLoopUntil(const std::function<bool()>& predicate, double timeoutSeconds = waitLimit) {
        return loop.runUntil(predicate, timeoutSeconds);
    }

    HttpRequest get(const std::string& path, double timeoutSeconds = 10) const {
        HttpRequest request;
        request.url = server.url(path);
        request.timeoutSeconds = timeoutSeconds;
        return request;
    }

    // Runs `task` and returns the HttpError it throws.
    template <class T>
    HttpError httpErrorOf(Task<T> task) {
        try {
            run(std::move(task));
        } catch (const HttpError& error) {
            return error;
        }
        ADD_FAILURE() << "expected an HttpError";
        return HttpError(HttpError::Kind::transport, "none");
    }

    glimmo::testing::LoopbackServer server;
    RealTimeRunLoop loop;
    HttpClient client;
};

// Collects every line of a stream, and the error that ends it, if any.
struct DrainedLines {
    std::vector<std::string> lines;
    std::exception_ptr error;
};

inline Task<DrainedLines> drain(LineReader stream) {
    DrainedLines drained;
    try {
        while (auto line = co_await stream.next()) drained.lines.emplace_back(*line);
    } catch (...) {
        drained.error = std::current_exception();
    }
    co_return drained;
}

inline std::optional<HttpError::Kind> httpErrorKind(const std::exception_ptr& error) {
    if (!error) return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const HttpError& httpError) {
        return httpError.kind();
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace glimmo
