// A streamed Gemini reply (server-sent events from a loopback server) decoded by the client, against
// plain libcurl receiving the same bytes and parsing each event with nlohmann::json: the work the
// client adds over the parser. Each run is a process of its own, so the peak memory of one (its
// VmHWM) holds neither the server's copy of the stream nor the other's buffers.
//
//   generative_ai_bench                  runs the comparison and prints the ratio lines
//   generative_ai_bench ours|plain URL   one run, printing "<seconds> <events> <peak KiB>"

#include "bench/BenchProgram.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "tests/support/LoopbackServer.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace {

using glimmo::bench::median;
using Clock = std::chrono::steady_clock;

const std::string streamPath = "/v1beta/models/gemini-2.0-flash:streamGenerateContent";
constexpr std::size_t timedBytes = 50'000'000;
constexpr std::size_t memoryBytes = 150'000'000;
constexpr int rounds = 7;

// One event as the service sends it: a piece of the answer, four safety ratings, the token counts.
std::string event(int index) {
    std::string text = "Chunk " + std::to_string(index) + " of a long answer, streamed piece by piece.";
    while (text.size() < 480) text += " More words of the answer, with \\\"quotes\\\" and an \\u00e9 now and then.";
    std::string ratings;
    for (const char* category : {"HARASSMENT", "HATE_SPEECH", "SEXUALLY_EXPLICIT", "DANGEROUS_CONTENT"}) {
        if (!ratings.empty()) ratings += ",";
        ratings += R"({"category":"HARM_CATEGORY_)" + std::string(category) + R"(","probability":"NEGLIGIBLE"})";
    }
    return R"(data: {"candidates":[{"content":{"parts":[{"text":")" + text +
           R"("}],"role":"model"},"index":0,"safetyRatings":[)" + ratings +
           R"(]}],"usageMetadata":{"promptTokenCount":12,"candidatesTokenCount":)" + std::to_string(index) +
           R"(,"totalTokenCount":)" + std::to_string(index + 12) + R"(},"modelVersion":"gemini-2.0-flash"})" +
           "\r\n\r\n";
}

// About 1 MB of events; the stream repeats it.
std::string eventBlock(int& events) {
    std::string block;
    events = 0;
    while (block.size() < 1'000'000) block += event(events++);
    return block;
}

struct Run {
    double seconds = 0;
    long events = 0;
    double peakMiB = 0;
};

// ---- the two children ----

glimmo::Task<long> decodeAll(const genai::GenerativeModel& model) {
    auto stream = model.generateContentStream("Tell me a long story");
    long events = 0;
    std::size_t characters = 0;
    for (;;) {
        auto pending = stream.next();
        const auto chunk = co_await std::move(pending);
        if (!chunk) break;
        ++events;
        characters += chunk->text().value_or("").size();
    }
    if (characters == 0) throw std::runtime_error("no text decoded");
    co_return events;
}

long runOurs(const std::string& baseURL) {
    auto loop = std::make_shared<glimmo::RealTimeRunLoop>();
    glimmo::RunLoop::setMain(loop);
    const genai::GenerativeModel model("gemini-2.0-flash", "bench-key", std::nullopt, std::nullopt, std::nullopt,
                                       std::nullopt, std::nullopt, genai::RequestOptions{60, "v1beta", baseURL});
    const long events = glimmo::runBlocking(*loop, decodeAll(model), 600);
    glimmo::RunLoop::setMain(nullptr);
    return events;
}

struct PlainParse {
    std::string partial;
    long events = 0;
    std::size_t characters = 0;

    void line(std::string_view text) {
        if (!text.starts_with("data:")) return;
        text.remove_prefix(5);
        const auto json = nlohmann::json::parse(text.begin(), text.end());
        characters += json["candidates"][0]["content"]["parts"][0]["text"].get_ref<const std::string&>().size();
        ++events;
    }

    static std::size_t receive(char* data, std::size_t size, std::size_t count, void* context) {
        auto& parse = *static_cast<PlainParse*>(context);
        std::string_view bytes(data, size * count);
        for (auto end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
            std::string_view line = bytes.substr(0, end);
            if (!parse.partial.empty()) {
                parse.partial.append(line);
                line = parse.partial;
            }
            if (line.ends_with('\r')) line.remove_suffix(1);
            parse.line(line);
            parse.partial.clear();
            bytes.remove_prefix(end + 1);
        }
        parse.partial.append(bytes);
        return size * count;
    }
};

long runPlain(const std::string& baseURL) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* easy = curl_easy_init();
    const std::string url = baseURL + streamPath + "?alt=sse";
    const std::string body = R"({"contents":[{"role":"user","parts":[{"text":"Tell me a long story"}]}]})";
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/json");
    PlainParse parse;
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &PlainParse::receive);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &parse);
    const CURLcode code = curl_easy_perform(easy);
    curl_slist_free_all(headers);
    curl_easy_cleanup(easy);
    if (code != CURLE_OK) throw std::runtime_error(curl_easy_strerror(code));
    if (parse.characters == 0) throw std::runtime_error("no text parsed");
    return parse.events;
}

// The process's peak resident memory in KiB. Read here rather than from the parent's wait: a spawned
// child's high-water mark starts from the parent's.
long peakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::stol(line.substr(6));
    }
    return 0;
}

int runChild(const std::string& mode, const std::string& baseURL) {
    const auto start = Clock::now();
    const long events = mode == "ours" ? runOurs(baseURL) : runPlain(baseURL);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%.6f %ld %ld\n", seconds, events, peakResidentKiB());
    return 0;
}

// ---- the comparison ----

Run spawn(const char* self, const std::string& mode, const std::string& baseURL) {
    int output[2];
    if (pipe(output) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    // The client's log lines would only repeat themselves; a failed run shows in what it printed.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const std::string selfPath(self);
    std::vector<char*> arguments{const_cast<char*>(selfPath.c_str()), const_cast<char*>(mode.c_str()),
                                 const_cast<char*>(baseURL.c_str()), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawn(&child, self, &actions, nullptr, arguments.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(output[1]);
    if (spawned != 0) throw std::runtime_error("posix_spawn failed");
    std::string text;
    char buffer[256];
    for (ssize_t count; (count = read(output[0], buffer, sizeof buffer)) > 0;) text.append(buffer, count);
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    Run run;
    long peakKiB = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "%lf %ld %ld", &run.seconds, &run.events, &peakKiB) != 3) {
        throw std::runtime_error(mode + " run failed: " + text);
    }
    run.peakMiB = static_cast<double>(peakKiB) / 1024.0;
    return run;
}

// Serves `blocks` copies of the block at the stream's path for the next request.
void serve(glimmo::testing::LoopbackServer& server, const std::string& block, std::size_t blocks) {
    server.on("POST", streamPath, [&block, blocks](const auto&, glimmo::testing::ServerReply& reply) {
        reply.headers = {{"Content-Type", "text/event-stream"}};
        reply.chunks.assign(blocks, {block, 0});
    });
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3) return runChild(argv[1], argv[2]);

    int eventsPerBlock = 0;
    const std::string block = eventBlock(eventsPerBlock);
    const std::size_t timedBlocks = timedBytes / block.size();
    const std::size_t memoryBlocks = memoryBytes / block.size();

    std::vector<double> ours;
    std::vector<double> plain;
    {
        glimmo::testing::LoopbackServer server;
        serve(server, block, timedBlocks);
        for (int round = 0; round < rounds; ++round) {
            const Run plainRun = spawn(argv[0], "plain", server.baseURL());
            const Run ourRun = spawn(argv[0], "ours", server.baseURL());
            const long expected = static_cast<long>(timedBlocks) * eventsPerBlock;
            if (plainRun.events != expected || ourRun.events != expected) {
                std::fprintf(stderr, "expected %ld events, got %ld (plain) and %ld (ours)\n", expected, plainRun.events,
                             ourRun.events);
                return 1;
            }
            plain.push_back(plainRun.seconds);
            ours.push_back(ourRun.seconds);
        }
    }
    Run ourPeak;
    Run plainPeak;
    {
        glimmo::testing::LoopbackServer server;
        serve(server, block, memoryBlocks);
        plainPeak = spawn(argv[0], "plain", server.baseURL());
        ourPeak = spawn(argv[0], "ours", server.baseURL());
    }

    std::printf("Gemini stream of %.1f MB in %zu events, median of %d runs\n",
                static_cast<double>(timedBlocks * block.size()) / 1e6, timedBlocks * eventsPerBlock, rounds);
    std::printf("  ours  (GenerativeModel stream):               %.3f s\n", median(ours));
    std::printf("  plain (libcurl + nlohmann parse per event):   %.3f s\n", median(plain));
    std::printf("  peak memory of a %.0f MB stream: ours %.1f MiB, plain %.1f MiB (goal: ours <= 64 MiB)\n",
                static_cast<double>(memoryBlocks * block.size()) / 1e6, ourPeak.peakMiB, plainPeak.peakMiB);
    std::printf("ratio sse_decode %.2f\n", median(ours) / median(plain));
    std::printf("ratio sse_decode_peak_memory %.2f\n", ourPeak.peakMiB / plainPeak.peakMiB);
    return 0;
}
