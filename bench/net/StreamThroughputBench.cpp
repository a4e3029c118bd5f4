// Streams 50 MB of lines from a loopback server through HttpClient::streamLines and downloads the
// same bytes from the same server with plain libcurl (easy interface, write callback), alternating,
// and prints the median throughputs and their ratio (higher is better: a throughput).

#include "bench/BenchProgram.h"
#include "platform/net/HttpClient.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"
#include "tests/support/LoopbackServer.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using glimmo::bench::median;
using glimmo::testing::RecordedRequest;
using glimmo::testing::ServerReply;

constexpr std::size_t totalBytes = 50 * 1000 * 1000;
constexpr std::size_t blockBytes = 1000 * 1000;
constexpr int rounds = 7;

// One block of server-sent-event lines, 100 bytes each with the newline.
std::string makeBlock() {
    std::string line = "data: {\"candidates\":[{\"content\":{\"parts\":[{\"text\":\"";
    line.append(99 - line.size() - 4, 'x');
    line += "\"}]}\n";
    std::string block;
    while (block.size() + line.size() <= blockBytes) block += line;
    return block;
}

struct Result {
    std::size_t bytes = 0;
    std::size_t lines = 0;
    double seconds = 0;
};

glimmo::Task<Result> streamThroughClient(glimmo::HttpClient& client, std::string url) {
    glimmo::HttpRequest request;
    request.url = std::move(url);
    const auto start = std::chrono::steady_clock::now();
    glimmo::HttpLineStream stream = co_await client.streamLines(request);
    Result result;
    while (auto line = co_await stream.lines.next()) {
        result.bytes += line->size() + 1;
        ++result.lines;
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    co_return result;
}

std::size_t countBytes(char*, std::size_t size, std::size_t count, void* total) {
    *static_cast<std::size_t*>(total) += size * count;
    return size * count;
}

Result downloadWithPlainCurl(const std::string& url) {
    CURL* easy = curl_easy_init();
    if (easy == nullptr) throw std::runtime_error("curl_easy_init failed");
    Result result;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &countBytes);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &result.bytes);
    const auto start = std::chrono::steady_clock::now();
    const CURLcode code = curl_easy_perform(easy);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    curl_easy_cleanup(easy);
    if (code != CURLE_OK) throw std::runtime_error(curl_easy_strerror(code));
    return result;
}

double megabytesPerSecond(const Result& result) { return static_cast<double>(result.bytes) / 1e6 / result.seconds; }

}  // namespace

int main() {
    const std::string block = makeBlock();
    const std::size_t blocks = totalBytes / block.size();
    glimmo::testing::LoopbackServer server;
    server.on("GET", "/stream", [&](const RecordedRequest&, ServerReply& reply) {
        reply.headers = {{"Content-Type", "text/event-stream"}};
        reply.chunks.assign(blocks, {block, 0});
    });
    const std::string url = server.url("/stream");

    glimmo::RealTimeRunLoop loop;
    glimmo::HttpClient client;
    std::vector<double> clientRates;
    std::vector<double> curlRates;
    Result lastClient;
    for (int round = 0; round < rounds; ++round) {
        const Result viaClient = glimmo::runBlocking(loop, streamThroughClient(client, url), 120);
        const Result viaCurl = downloadWithPlainCurl(url);
        if (viaClient.bytes != viaCurl.bytes) {
            std::fprintf(stderr, "byte counts differ: %zu via streamLines, %zu via libcurl\n", viaClient.bytes,
                         viaCurl.bytes);
            return 1;
        }
        clientRates.push_back(megabytesPerSecond(viaClient));
        curlRates.push_back(megabytesPerSecond(viaCurl));
        lastClient = viaClient;
    }

    std::printf("line stream of %.1f MB in %zu lines, median of %d rounds\n", static_cast<double>(lastClient.bytes) / 1e6,
                lastClient.lines, rounds);
    std::printf("  HttpClient::streamLines: %8.1f MB/s\n", median(clientRates));
    std::printf("  plain libcurl download:  %8.1f MB/s\n", median(curlRates));
    std::printf("ratio net_line_stream_throughput %.2f\n", median(clientRates) / median(curlRates));
    return 0;
}
