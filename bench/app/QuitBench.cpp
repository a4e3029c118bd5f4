// How long the application takes to end after the Quit command, as a process of its own
// (ApplicationStart.h): from the moment its main loop takes the command to the process's end.
//   - with nothing under way: the window shown and the start's work done;
//   - while a day analysis handles an answer of five activity descriptions of 5.5 MiB each, from a
//     Gemini server on 127.0.0.1, with the Quit sent once the application has read the whole reply, at
//     moments spread over the answer's handling (from then to the activities written to the settings
//     file, as measured in a first run). The reply has been read when the server has written all of it
//     and nothing is left in flight on its connections (the system's table of TCP sockets).
// The independent baseline is a Qt program with one window that quits on the same command. After each
// quit during the answer, says whether the answer and the day's activities were on disk: an answer that
// has arrived is kept, whenever the Quit comes.
//
// Prints the figures and
//   ratio quit_idle_over_empty_qt <median quit with nothing under way / the empty program's; the goal is at most 0.3 s>
//   ratio quit_idle_ms <the slowest quit with nothing under way, in milliseconds; the goal is at most 300>
//   ratio quit_during_large_answer_ms <the slowest quit during the answer, in milliseconds; the goal is at most 2000>
//
// Usage: quit_bench [runs]   (default 7: quits with nothing under way, and quits during the answer)

#include "bench/BenchProgram.h"
#include "bench/app/ApplicationStart.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TemporaryDirectory.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <sys/wait.h>

namespace {

using namespace glimmo;
namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr std::size_t descriptionBytes = 5632 * 1024; // 5.5 MiB
constexpr int descriptionCount = 5;

std::string marker(int activity) { return "Activity " + std::to_string(activity) + " of the day:"; }

// The day analysis's answer: the categories and five activities whose descriptions are 5.5 MiB each.
std::string largeAnswer() {
    std::string answer = R"({"categories": [{"type": "Create", "apps": "Application 1"},)"
                         R"( {"type": "Consume", "apps": "www.example.com"}], "activities": [)";
    for (int activity = 0; activity < descriptionCount; ++activity) {
        std::string description = marker(activity);
        while (description.size() < descriptionBytes) description += " writing the quarterly report";
        description.resize(descriptionBytes);
        answer += (activity ? ", " : "") + std::string(R"({"description": ")") + description +
                  R"(", "apps": ["Application 1"]})";
    }
    return answer + "]}";
}

// A Gemini reply whose one candidate says `text` (which needs no escaping beyond quotes).
std::string geminiReply(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const char c : text) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c;
    }
    return R"({"candidates": [{"content": {"role": "model", "parts": [{"text": ")" + escaped +
           R"("}]}, "finishReason": "STOP"}]})";
}

// How many of the five descriptions `text` holds.
int descriptionsIn(const std::string& text) {
    int found = 0;
    for (int activity = 0; activity < descriptionCount; ++activity) found += text.find(marker(activity)) != std::string::npos;
    return found;
}

// What the home folder kept after a quit: the day's stored answer, and the activities remembered in
// the settings.
struct Kept {
    bool answer = false;
    bool activities = false;
};

Kept keptIn(const fs::path& home) {
    Kept kept;
    kept.answer = descriptionsIn(readFileIfReadable(home / "data" / "com.glimmodemo.GlimmoDemo" / "dailyActivityData.json")
                                     .value_or("")) == descriptionCount;
    const fs::path settings = bench::settingsFolderIn(home) / "defaults.json";
    if (fs::exists(settings)) {
        const auto bytes = UserDefaults(settings).data("historicalActivities");
        if (bytes) kept.activities = descriptionsIn(std::string(bytes->begin(), bytes->end())) == descriptionCount;
    }
    return kept;
}

// One quit with nothing under way: the first frame, a moment for the start's work, then the command.
double quitWhenSettled(bench::QuittingChild::Program program, std::chrono::milliseconds settle) {
    const testing::TemporaryDirectory home;
    bench::QuittingChild child(program, home.path());
    if (!child.waitForFirstFrame()) bench::fail("no first frame within 60 s");
    std::this_thread::sleep_for(settle);
    int status = 0;
    const auto seconds = child.quitAndTimeTheExit(&status);
    if (!seconds) bench::fail("the program did not end within 60 s of the Quit command");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) bench::fail("the program did not end with status 0 after Quit");
    return *seconds;
}

// The bytes in flight on the established TCP connections to or from `port` (sent and not yet
// acknowledged, or received and not yet read), from the system's table; nullopt when it cannot be read.
std::optional<unsigned long> bytesInFlight(int port) {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    if (!std::getline(table, line)) return std::nullopt; // the heading
    const auto portOf = [](const std::string& address) {
        return std::stoi(address.substr(address.find(':') + 1), nullptr, 16);
    };
    constexpr const char* established = "01";
    unsigned long total = 0;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state, queues;
        fields >> slot >> local >> remote >> state >> queues;
        if (state != established || (portOf(local) != port && portOf(remote) != port)) continue;
        const auto colon = queues.find(':');
        total += std::stoul(queues.substr(0, colon), nullptr, 16) + std::stoul(queues.substr(colon + 1), nullptr, 16);
    }
    return total;
}

// The Gemini server, which notes when it has written the day's answer.
class GeminiServer {
public:
    GeminiServer() : reply_(geminiReply(largeAnswer())) {
        server_.on("POST", R"(/v1beta/models/[^/]+:generateContent)",
                   [this](const testing::RecordedRequest& request, testing::ServerReply& reply) {
                       reply.headers = {{"Content-Type", "application/json"}};
                       if (request.body.find("Unified Activity Report") == std::string::npos) {
                           reply.body = geminiReply("Writing a document");
                           return;
                       }
                       reply.body = reply_;
                       reply.onSent = [this] { sent_ = true; };
                   });
    }

    std::map<std::string, std::string> environment() const {
        return {{"GEMINI_BASE_URL", server_.baseURL()}, {"GEMINI_API_KEY", "bench-key"}};
    }
    void forget() { sent_ = false; }
    // The moment the application had read the whole answer: written by the server, and nothing left in
    // flight. Waits at most 60 s for it.
    std::optional<SteadyClock::time_point> received() const {
        const auto deadline = SteadyClock::now() + 60s;
        for (;;) {
            if (sent_) {
                const auto inFlight = bytesInFlight(server_.port());
                if (!inFlight) bench::fail("cannot read the system's table of TCP sockets");
                if (*inFlight == 0) return SteadyClock::now();
            }
            if (SteadyClock::now() > deadline) return std::nullopt;
            std::this_thread::sleep_for(100us);
        }
    }

private:
    const std::string reply_;
    std::atomic<bool> sent_{false};
    testing::LoopbackServer server_;
};

// From the answer read by the application to the day's activities in the settings file, in a run
// without a quit.
double handlingTime(GeminiServer& gemini) {
    const testing::TemporaryDirectory home;
    gemini.forget();
    bench::QuittingChild child(bench::QuittingChild::Program::application, home.path(), gemini.environment());
    const auto received = gemini.received();
    if (!received) bench::fail("the application received no day analysis's answer within 60 s");
    const auto deadline = SteadyClock::now() + 120s;
    while (!keptIn(home.path()).activities) {
        if (SteadyClock::now() > deadline) bench::fail("the day's activities were not written within 120 s");
        std::this_thread::sleep_for(20ms);
    }
    const double seconds = std::chrono::duration<double>(SteadyClock::now() - *received).count();
    if (!child.quitAndTimeTheExit()) bench::fail("the program did not end within 60 s of the Quit command");
    return seconds;
}

struct AnswerQuit {
    double seconds;
    Kept kept;
};

// One quit `after` the application had read the whole answer.
AnswerQuit quitDuringTheAnswer(GeminiServer& gemini, std::chrono::duration<double> after) {
    const testing::TemporaryDirectory home;
    gemini.forget();
    bench::QuittingChild child(bench::QuittingChild::Program::application, home.path(), gemini.environment());
    const auto received = gemini.received();
    if (!received) bench::fail("the application received no day analysis's answer within 60 s");
    std::this_thread::sleep_until(*received + std::chrono::duration_cast<SteadyClock::duration>(after));
    int status = 0;
    const auto seconds = child.quitAndTimeTheExit(&status);
    if (!seconds) bench::fail("the program did not end within 60 s of the Quit command");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) bench::fail("the program did not end with status 0 after Quit");
    return {*seconds, keptIn(home.path())};
}

} // namespace

int main(int argc, char** argv) {
    if (bench::isApplicationStartChild(argc, argv)) return bench::runApplicationStartChild(argc, argv);
    glimmo::bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 7);
    std::vector<double> idle;
    std::vector<double> empty;
    for (int run = 0; run < runs; ++run) {
        idle.push_back(quitWhenSettled(bench::QuittingChild::Program::application, 1500ms));
        empty.push_back(quitWhenSettled(bench::QuittingChild::Program::emptyQtProgram, 300ms));
    }
    const double idleMedian = bench::median(idle);
    const double idleSlowest = *std::max_element(idle.begin(), idle.end());
    std::printf("%-52s %9.1f ms (slowest %.1f ms)   %-28s %9.1f ms\n", "quit with nothing under way", idleMedian * 1e3,
                idleSlowest * 1e3, "quit of an empty Qt program", bench::median(empty) * 1e3);

    GeminiServer gemini;
    const double handling = handlingTime(gemini);
    std::printf("%-52s %9.1f ms\n", "answer read in full to its activities on disk", handling * 1e3);
    std::vector<double> duringAnswer;
    int answersKept = 0;
    int activitiesKept = 0;
    for (int run = 0; run < runs; ++run) {
        const double after = handling * run / runs;
        const AnswerQuit quit = quitDuringTheAnswer(gemini, std::chrono::duration<double>(after));
        std::printf("  quit %6.0f ms after the answer was read in full: ended in %7.1f ms; answer %s, activities %s\n",
                    after * 1e3, quit.seconds * 1e3, quit.kept.answer ? "stored" : "not stored",
                    quit.kept.activities ? "remembered" : "not remembered");
        duringAnswer.push_back(quit.seconds);
        answersKept += quit.kept.answer;
        activitiesKept += quit.kept.activities;
    }
    const double answerSlowest = *std::max_element(duringAnswer.begin(), duringAnswer.end());
    std::printf("%-52s %9.1f ms (slowest %.1f ms); answer stored %d of %d, activities remembered %d of %d\n",
                "quit once a 27.5 MiB answer was read", bench::median(duringAnswer) * 1e3, answerSlowest * 1e3, answersKept,
                runs, activitiesKept, runs);

    bench::printRatio("quit_idle_over_empty_qt", idleMedian / bench::median(empty));
    bench::printLongestMs("quit_idle_ms", idleSlowest, 300, "a quit with nothing under way took");
    bench::printLongestMs("quit_during_large_answer_ms", answerSlowest, 2000, "a quit during the answer took");
    return 0;
}
