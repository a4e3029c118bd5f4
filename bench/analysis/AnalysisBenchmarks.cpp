// What the main thread pays once a day's answer arrives: enriching it with the measured durations
// and applying the stored form, for a busy day; and saving a journal into a year-long cache. Each
// figure is printed next to its baseline, the JSON library alone parsing and writing the same texts
// in the same run, and as a line `ratio <name> <value>` (ours / baseline, lower is better). The
// baselines do no matching, fence stripping or Base64: that work is ours and counts against us.
//
// Usage: analysis_bench [activities] (default 5000 named activities in the day)

#include "analysis/CategorizationAnswer.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using Clock = std::chrono::steady_clock;

double bestOf(int runs, const std::function<void()>& work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void report(const char* what, const char* ratioName, double seconds, const char* baselineName, double baseline) {
    std::printf("%-44s %9.3f ms   %-30s %9.3f ms\n", what, seconds * 1000, baselineName, baseline * 1000);
    std::printf("ratio %s %.2f\n", ratioName, baseline > 0 ? seconds / baseline : 0.0);
}

// The answer's JSON, as it stands between the Markdown code fences of the reply.
std::string answerJSON(int appsPerCategory) {
    nlohmann::json answer;
    const char* types[] = {"Create", "Consume", "Communicate"};
    for (int c = 0; c < 3; ++c) {
        std::string apps;
        for (int a = 0; a < appsPerCategory; ++a) {
            apps += (a ? ", App " : "App ") + std::to_string(c * appsPerCategory + a);
        }
        answer["categories"].push_back({{"type", types[c]}, {"apps", apps}});
    }
    for (int i = 0; i < 5; ++i) {
        answer["activities"].push_back({{"description", "Activity " + std::to_string(i)},
                                        {"apps", nlohmann::json::array({"App " + std::to_string(i)})}});
    }
    return answer.dump(2);
}

// The same (day, entry) pairs our cache holds, taken from its text by the library; kept as numbers and
// the entries' Base64 texts, so the baseline writes and reads the same array.
using CacheArray = std::vector<std::pair<double, std::string>>;

std::string writeCacheArray(const CacheArray& pairs) {
    nlohmann::json array = nlohmann::json::array();
    for (const auto& [day, entry] : pairs) {
        array.push_back(day);
        array.push_back(entry);
    }
    return array.dump();
}

CacheArray readCacheArray(const std::string& text) {
    const auto array = nlohmann::json::parse(text);
    CacheArray pairs;
    pairs.reserve(array.size() / 2);
    for (std::size_t i = 0; i + 1 < array.size(); i += 2) {
        pairs.emplace_back(array[i].get<double>(), array[i + 1].get<std::string>());
    }
    return pairs;
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    setLogSinkForTesting([](LogLevel, std::string_view) {}); // the application's log lines are not measured
    std::puts("# ratio lines: our time / the JSON library's time for the same texts, lower is better");
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    std::vector<UnifiedActivity> day;
    for (int i = 0; i < count; ++i) {
        day.push_back({"App " + std::to_string(i), UnifiedActivity::ActivityType::app, 30.0 + i % 17, Date{}, ""});
    }
    const std::vector<Category> categories = {{UUID::random(), "Create", true},
                                              {UUID::random(), "Consume", false},
                                              {UUID::random(), "Communicate", true}};
    const std::string json = answerJSON(20);
    const std::string answer = "```json\n" + json + "\n```";
    std::string stored;

    // Ours: fences stripped, the answer parsed, its apps matched against the day, the stored form
    // written. Baseline: the answer's JSON parsed and the same stored form written.
    const double enrich = bestOf(5, [&] { stored = enrichCategorizationAnswer(answer, 36000, day, categories); });
    const auto storedForm = nlohmann::ordered_json::parse(stored);
    std::string written;
    const double enrichBaseline = bestOf(5, [&] {
        (void)nlohmann::ordered_json::parse(json);
        written = storedForm.dump(2);
    });
    if (written != stored) { // a baseline writing something else would time other work
        std::fputs("analysis_bench: the baseline's stored form differs from ours\n", stderr);
        return 1;
    }
    report(("enrich an answer, " + std::to_string(count) + " activities").c_str(), "analysis_enrich_answer", enrich,
           "parse + write the stored form", enrichBaseline);

    // Ours: the stored form parsed and measured against the day. Baseline: the same text parsed.
    const double apply = bestOf(5, [&] { (void)applyCategorizationAnswer(stored, day, categories, Date{}); });
    const double applyBaseline = bestOf(5, [&] { (void)nlohmann::ordered_json::parse(stored); });
    report("apply the stored form", "analysis_apply_stored_answer", apply, "parse", applyBaseline);

    JournalCacheDictionary year;
    for (int i = 0; i < 365; ++i) {
        year[Date{86400.0 * i}] = encodeJournalPromptResponse({std::string(3000, 'j') + "/\n", Date{86400.0 * i + 0.5}});
    }
    // Ours: the year written, read back and written again, each entry through Base64. Baseline: the
    // library writing the same array, reading it back into pairs and writing them again.
    std::string encoded;
    const double cache = bestOf(5, [&] { encoded = encodeJournalCache(decodeJournalCache(encodeJournalCache(year))); });
    const CacheArray pairs = readCacheArray(encoded);
    std::string rewritten;
    const double cacheBaseline = bestOf(5, [&] { rewritten = writeCacheArray(readCacheArray(writeCacheArray(pairs))); });
    // The texts differ only in form (our writer escapes "/" and writes whole days without a fraction).
    if (nlohmann::json::parse(encoded) != nlohmann::json::parse(rewritten)) {
        std::fputs("analysis_bench: the baseline's journal cache differs from ours\n", stderr);
        return 1;
    }
    report("journal cache of a year: write, read, write", "analysis_journal_cache_write_read_write", cache,
           "the same array through the library", cacheBaseline);
    return 0;
}
