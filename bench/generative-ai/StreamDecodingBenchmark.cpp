// Throughput of a streamed reply: 5,000 server-sent events from a loopback server, decoded into
// replies by the generative-AI client, against reading the same bytes as plain lines through the
// HTTP client (the work the client adds is the difference).

#include "generative-ai/GenerativeModel.h"
#include "platform/net/HttpClient.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "tests/support/LoopbackServer.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int eventCount = 5000;
constexpr int rounds = 5;
const std::string streamPath = "/v1beta/models/gemini-2.0-flash:streamGenerateContent";

std::string eventStream() {
    std::string body;
    for (int i = 0; i < eventCount; ++i) {
        body += R"(data: {"candidates": [{"content": {"role": "model", "parts": [{"text": "Chunk )" + std::to_string(i) +
                R"( of a longer answer that streams in pieces, with a few words each time."}]}, "index": 0,)"
                R"( "safetyRatings": [{"category": "HARM_CATEGORY_HARASSMENT", "probability": "NEGLIGIBLE"}]}],)"
                R"( "usageMetadata": {"promptTokenCount": 12, "candidatesTokenCount": 34, "totalTokenCount": 46}})"
                "\r\n\r\n";
    }
    return body;
}

glimmo::Task<int> decodeAll(const genai::GenerativeModel& model) {
    auto stream = model.generateContentStream("Tell me a long story");
    int events = 0;
    for (;;) {
        auto pending = stream.next();
        const auto chunk = co_await std::move(pending);
        if (!chunk) break;
        ++events;
    }
    co_return events;
}

glimmo::Task<int> readLines(std::string url) {
    glimmo::HttpRequest request;
    request.method = "POST";
    request.url = std::move(url);
    request.body = "{}";
    auto opening = glimmo::HttpClient::shared().streamLines(std::move(request));
    auto reply = co_await std::move(opening);
    int events = 0;
    for (;;) {
        auto pending = reply.lines.next();
        const auto line = co_await std::move(pending);
        if (!line) break;
        if (line->starts_with("data:")) ++events;
    }
    co_return events;
}

// The decoding alone, without any transfer: where the client's time goes.
double decodeOnlyEventsPerSecond(const std::string& body) {
    std::vector<std::string> events;
    for (std::size_t start = 0; start < body.size();) {
        const auto end = body.find("\r\n", start);
        if (body.compare(start, 5, "data:") == 0) events.push_back(body.substr(start + 5, end - start - 5));
        start = end + 2;
    }
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto begin = std::chrono::steady_clock::now();
        std::size_t candidates = 0;
        for (const auto& event : events) candidates += genai::GenerateContentResponse::decode(event).candidates.size();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
        if (candidates != events.size()) std::exit(1);
        best = std::max(best, events.size() / elapsed.count());
    }
    return best;
}

template <class Run>
double bestEventsPerSecond(glimmo::RealTimeRunLoop& loop, Run run) {
    double best = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const int events = glimmo::runBlocking(loop, run(), 120);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        if (events != eventCount) {
            std::fprintf(stderr, "expected %d events, got %d\n", eventCount, events);
            std::exit(1);
        }
        best = std::max(best, events / elapsed.count());
    }
    return best;
}

} // namespace

int main() {
    glimmo::testing::LoopbackServer server;
    const std::string body = eventStream();
    server.on("POST", streamPath, [&body](const auto&, glimmo::testing::ServerReply& reply) {
        reply.headers = {{"Content-Type", "text/event-stream"}};
        reply.body = body;
    });
    auto loop = std::make_shared<glimmo::RealTimeRunLoop>();
    glimmo::RunLoop::setMain(loop);

    const genai::GenerativeModel model("gemini-2.0-flash", "bench-key", std::nullopt, std::nullopt, std::nullopt,
                                       std::nullopt, std::nullopt,
                                       genai::RequestOptions{60, "v1beta", server.baseURL()});
    const double baseline = bestEventsPerSecond(*loop, [&] { return readLines(server.url(streamPath + "?alt=sse")); });
    const double decoded = bestEventsPerSecond(*loop, [&] { return decodeAll(model); });
    const double decodeOnly = decodeOnlyEventsPerSecond(body);

    std::printf("streamed reply of %d events (%.1f MB), best of %d rounds\n", eventCount, body.size() / 1e6, rounds);
    std::printf("  plain lines through platform/net: %10.0f events/s\n", baseline);
    std::printf("  decoded replies (generative-ai):  %10.0f events/s\n", decoded);
    std::printf("  ratio decoded / plain lines:      %10.2f\n", decoded / baseline);
    std::printf("  (JSON decoding alone, no transfer: %9.0f events/s)\n", decodeOnly);
    std::fflush(stdout);
    glimmo::RunLoop::setMain(nullptr);
    return 0;
}
