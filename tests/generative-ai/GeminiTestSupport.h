#pragma once

#include "generative-ai/GenerativeModel.h"
#include "platform/net/HttpTypes.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace genai::testing {

inline const std::string generatePath = "/v1beta/models/gemini-2.0-flash:generateContent";
inline const std::string streamPath = "/v1beta/models/gemini-2.0-flash:streamGenerateContent";
inline const std::string countPath = "/v1beta/models/gemini-2.0-flash:countTokens";
inline const std::string apiKey = "test-secret-key-1234";

// What a streamed reply delivered: its chunks, then how it ended.
struct Collected {
    std::vector<GenerateContentResponse> chunks;
    std::exception_ptr error;
};

inline glimmo::Task<Collected> collect(glimmo::AsyncThrowingStream<GenerateContentResponse> stream) {
    Collected collected;
    try {
        for (;;) {
            auto pending = stream.next();
            auto chunk = co_await std::move(pending);
            if (!chunk) break;
            collected.chunks.push_back(std::move(*chunk));
        }
    } catch (...) {
        collected.error = std::current_exception();
    }
    co_return collected;
}

// The error inside an exception_ptr, or a test failure when it holds something else.
template <class Error>
std::optional<Error> errorAs(const std::exception_ptr& error) {
    if (!error) return std::nullopt;
    try {
        std::rethrow_exception(error);
    } catch (const Error& typed) {
        return typed;
    } catch (const std::exception& other) {
        ADD_FAILURE() << "unexpected error: " << other.what();
    } catch (...) {
        ADD_FAILURE() << "unexpected non-standard error";
    }
    return std::nullopt;
}

// The kind of the transport error under a client error, when that is what the client error holds.
inline std::optional<glimmo::HttpError::Kind> httpKindUnder(const std::optional<GenerateContentError>& error) {
    const auto http = error ? errorAs<glimmo::HttpError>(error->underlying()) : std::nullopt;
    return http ? std::optional(http->kind()) : std::nullopt;
}

inline std::string textReply(const std::string& text, const std::string& finishReason = "STOP") {
    return R"({"candidates": [{"content": {"role": "model", "parts": [{"text": ")" + text +
           R"("}]}, "finishReason": ")" + finishReason + R"("}]})";
}

inline std::string sseEvent(const std::string& json) { return "data: " + json + "\r\n\r\n"; }

// A loopback server speaking the service's wire format, the main loop of the test, and a model
// pointed at the server.
class GeminiTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<glimmo::RealTimeRunLoop>();
        glimmo::RunLoop::setMain(loop);
    }
    void TearDown() override { glimmo::RunLoop::setMain(nullptr); }

    RequestOptions options(double timeout = 10) const { return RequestOptions{timeout, "v1beta", server.baseURL()}; }

    GenerativeModel model(double timeout = 10) const {
        return GenerativeModel("gemini-2.0-flash", apiKey, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                               std::nullopt, options(timeout));
    }

    void reply(const std::string& path, int status, std::string body,
               std::string contentType = "application/json") {
        server.on("POST", path, [status, body = std::move(body), contentType](const auto&, glimmo::testing::ServerReply& out) {
            out.status = status;
            out.headers = {{"Content-Type", contentType}};
            out.body = body;
        });
    }

    void replyEvents(std::vector<glimmo::testing::ServerChunk> chunks, int status = 200) {
        server.on("POST", streamPath, [status, chunks = std::move(chunks)](const auto&, glimmo::testing::ServerReply& out) {
            out.status = status;
            out.headers = {{"Content-Type", "text/event-stream"}};
            out.chunks = chunks;
        });
    }

    template <class T>
    T run(glimmo::Task<T> task) {
        return glimmo::runBlocking(*loop, std::move(task), 20);
    }

    // Runs the task and returns the error it ended with (a failure if it succeeded).
    template <class Error, class T>
    std::optional<Error> runFailing(glimmo::Task<T> task) {
        try {
            (void)run(std::move(task));
        } catch (...) {
            return errorAs<Error>(std::current_exception());
        }
        ADD_FAILURE() << "expected the operation to fail";
        return std::nullopt;
    }

    Collected runStream(glimmo::AsyncThrowingStream<GenerateContentResponse> stream) {
        return run(collect(std::move(stream)));
    }

    glimmo::testing::LoopbackServer server;
    std::shared_ptr<glimmo::RealTimeRunLoop> loop;
};

} // namespace genai::testing
