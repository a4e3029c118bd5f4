// Whether memory comes back after large journals: a journal of 30 MiB (a reply near the AI client's
// limit) asked for again and again for the same day, through the journal's model, the OpenAI client
// (its server a process of its own), the cache and the settings file, as the journal view asks once the
// cached one has expired. Each run is a process of its own that reports its resident memory after the
// first journal and the most it held after any of the seven after it; one allocates as the application
// does (giveLargeAllocationsBackWhenFreed, first thing in main), the other with glibc's own moving mmap
// threshold: the independent baseline, doing the same work in the same run. Prints both and
//   ratio journal_regeneration_resident_growth_mib <the most after the first, less what it held after the first, in MiB; the goal is at most 64>
//   ratio journal_regeneration_resident_growth_moving_threshold_mib <the same with glibc's moving threshold>
//
// Usage: journal_memory_bench [runs]   (default 3; medians of the runs)

#include "analysis/JournalHighlightsModel.h"
#include "bench/BenchProgram.h"
#include "bench/app/DayServices.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/LargeAllocations.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace glimmo;

constexpr int journals = 8;
constexpr std::size_t journalBytes = std::size_t{30} << 20;
constexpr const char* childFlag = "--child";
constexpr const char* serverFlag = "--server";

double residentMiB() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}

// A Responses API reply whose text is a journal of about `bytes`, in bullets as the prompt asks.
std::string openAIReply(std::size_t bytes) {
    std::string journal;
    journal.reserve(bytes + 128);
    for (int item = 0; journal.size() < bytes; ++item) {
        journal += "- **Area " + std::to_string(item) + "** \xF0\x9F\x93\x9D: wrote the notes for the review of part " +
                   std::to_string(item) + " and answered the questions about it\n";
    }
    nlohmann::json body;
    body["id"] = "resp_1";
    body["output"] = nlohmann::json::array(
        {{{"type", "message"}, {"content", nlohmann::json::array({{{"type", "output_text"}, {"text", journal}}})}}});
    return body.dump();
}

// In a process of its own, so that its copies of the reply are not counted: the OpenAI server, until
// its standard input closes.
int runServer() {
    testing::LoopbackServer openAI;
    openAI.on("POST", "/v1/responses", [body = openAIReply(journalBytes)](const testing::RecordedRequest&, testing::ServerReply& reply) {
        reply.headers = {{"Content-Type", "application/json"}};
        reply.body = body;
    });
    std::printf("%s\n", openAI.baseURL().c_str());
    std::fflush(stdout);
    char byte;
    while (::read(0, &byte, 1) > 0) {
    }
    return 0;
}

// In the child: the journals, and the resident memory after the first and the most after any later one.
int runChild(bool asTheApplication, const std::string& serverURL) {
    if (asTheApplication) giveLargeAllocationsBackWhenFreed();
    setLogSinkForTesting([](LogLevel, std::string_view) {});
    bench::DayServices day(2000, "");
    day.environment.set("OPENAI_BASE_URL", serverURL);
    day.environment.set("OPENAI_API_KEY", "bench-key");
    day.loadHistory();
    const auto model = std::make_shared<JournalHighlightsModel>(day.service);
    const Date shown = day.loop->now();
    double afterFirst = 0;
    double mostAfter = 0;
    for (int journal = 1; journal <= journals; ++journal) {
        // The day's journal has expired: the view asks for it again.
        day.loop->advance(4 * 3600 + 1);
        runBlocking(*day.loop, model->generateJournal(shown), 120);
        day.loop->runUntilIdle();
        UserDefaults::standard().flush();
        if (model->journalText.get()->size() < journalBytes) bench::fail("no journal was shown");
        if (journal == 1) afterFirst = residentMiB();
        else mostAfter = std::max(mostAfter, residentMiB());
    }
    std::printf("resident %.1f %.1f\n", afterFirst, mostAfter);
    return 0;
}

// This program run again with `arguments`, its standard input and output piped to us.
struct Child {
    explicit Child(std::vector<std::string> arguments) {
        int input[2];
        int output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0) bench::fail("no pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::string program = std::filesystem::read_symlink("/proc/self/exe").string();
        std::vector<char*> argv{program.data()};
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        if (spawned != 0) bench::fail("a child did not start");
        toChild = input[1];
        fromChild = output[0];
    }
    ~Child() {
        ::close(toChild);
        ::close(fromChild);
        ::waitpid(pid, nullptr, 0);
    }
    // What it writes up to the end of the first line, or to its end.
    std::string line() {
        std::string text;
        char c;
        while (::read(fromChild, &c, 1) == 1 && c != '\n') text += c;
        return text;
    }

    pid_t pid = -1;
    int toChild = -1;
    int fromChild = -1;
};

// One run in a process of its own: the resident memory after the first journal and the most after any later one.
std::pair<double, double> runInChild(bool asTheApplication, const std::string& serverURL) {
    Child child({childFlag, asTheApplication ? "application" : "moving", serverURL});
    const std::string text = child.line();
    double first = 0;
    double last = 0;
    if (std::sscanf(text.c_str(), "resident %lf %lf", &first, &last) != 2) bench::fail("the child reported nothing");
    return {first, last};
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 3 && std::strcmp(argv[1], childFlag) == 0) return runChild(std::strcmp(argv[2], "application") == 0, argv[3]);
    if (argc > 1 && std::strcmp(argv[1], serverFlag) == 0) return runServer();
    glimmo::bench::noteUnoptimisedBuild();
    const int runs = bench::runsFrom(argc, argv, 3);
    Child server({serverFlag});
    const std::string serverURL = server.line();
    std::vector<double> growths;
    std::vector<double> baselineGrowths;
    for (int run = 0; run < runs; ++run) {
        const auto [first, last] = runInChild(true, serverURL);
        const auto [baselineFirst, baselineLast] = runInChild(false, serverURL);
        std::printf("resident after the first journal of %d of %zu MiB and the most after any later one: %.1f MiB, %.1f MiB; "
                    "with glibc's moving threshold %.1f MiB, %.1f MiB\n",
                    journals, journalBytes >> 20, first, last, baselineFirst, baselineLast);
        growths.push_back(last - first);
        baselineGrowths.push_back(baselineLast - baselineFirst);
    }
    const double growth = bench::median(growths);
    const double baseline = bench::median(baselineGrowths);
    bench::printRatio("journal_regeneration_resident_growth_mib", growth, 1);
    bench::printRatio("journal_regeneration_resident_growth_moving_threshold_mib", baseline, 1);
    if (growth > 64) std::fprintf(stderr, "journal_memory_bench: resident memory grew by more than 64 MiB\n");
    return 0;
}
