// What the main thread pays once a day's answer arrives: enriching it with the measured durations
// and applying the stored form, for a busy day; and saving a journal into a year-long cache. Each
// figure is printed next to its baseline, the JSON library alone doing the parsing and writing
// of the same texts in the same run.
//
// Usage: analysis_bench [activities] (default 5000 named activities in the day)

#include "analysis/CategorizationAnswer.h"
#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Json.h"
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

void report(const char* what, double seconds, const char* baselineName, double baseline) {
    std::printf("%-44s %9.3f ms   %-30s %9.3f ms   ratio %6.2f\n", what, seconds * 1000, baselineName, baseline * 1000,
                baseline > 0 ? seconds / baseline : 0.0);
}

std::string answerFor(int appsPerCategory) {
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
    return "```json\n" + answer.dump(2) + "\n```";
}

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    using namespace glimmo;
    setLogSinkForTesting([](LogLevel, std::string_view) {}); // the application's log lines are not measured
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    std::vector<UnifiedActivity> day;
    for (int i = 0; i < count; ++i) {
        day.push_back({"App " + std::to_string(i), UnifiedActivity::ActivityType::app, 30.0 + i % 17, Date{}, ""});
    }
    const std::vector<Category> categories = {{UUID::random(), "Create", true},
                                              {UUID::random(), "Consume", false},
                                              {UUID::random(), "Communicate", true}};
    const std::string answer = answerFor(20);
    std::string stored;

    const double enrich = bestOf(5, [&] { stored = enrichCategorizationAnswer(answer, 36000, day, categories); });
    const double enrichBaseline = bestOf(5, [&] {
        const auto parsed = nlohmann::ordered_json::parse(cleanCategorizationAnswer(answer));
        (void)prettyJSON(parsed);
    });
    report(("enrich an answer, " + std::to_string(count) + " activities").c_str(), enrich, "parse + pretty print", enrichBaseline);

    const double apply = bestOf(5, [&] { (void)applyCategorizationAnswer(stored, day, categories, Date{}); });
    const double applyBaseline = bestOf(5, [&] { (void)nlohmann::ordered_json::parse(stored); });
    report("apply the stored form", apply, "parse", applyBaseline);

    JournalCacheDictionary year;
    for (int i = 0; i < 365; ++i) {
        year[Date{86400.0 * i}] = encodeJournalPromptResponse({std::string(3000, 'j') + "/\n", Date{86400.0 * i + 0.5}});
    }
    std::string encoded;
    const double cache = bestOf(5, [&] { encoded = encodeJournalCache(decodeJournalCache(encodeJournalCache(year))); });
    const double cacheBaseline = bestOf(5, [&] {
        nlohmann::json array = nlohmann::json::array();
        for (const auto& [dayKey, entry] : year) {
            array.push_back(dayKey.secondsSinceReferenceDate);
            array.push_back(base64Encode(entry));
        }
        (void)nlohmann::json::parse(array.dump()).dump();
    });
    report("journal cache of a year: write, read, write", cache, "the same array through the library", cacheBaseline);
    return 0;
}
