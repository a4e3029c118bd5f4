#include "bench/analysis/StoredJournals.h"

#include "analysis/JournalPromptCache.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"

#include <nlohmann/json.hpp>

namespace glimmo::bench {

std::string journalOfDay(int seed, std::size_t bytes) {
    static const char* const areas[] = {"Quarterly report", "Code review", "Sync service", "Hiring"};
    std::string text;
    for (int i = seed; text.size() < bytes; ++i) {
        text += "- **" + std::string(areas[i % 4]) + "** 📊: compared the figures in `forecast-" + std::to_string(i) +
                ".xlsx`, answered the thread on https://tracker.example.com/item/" + std::to_string(i) +
                " and noted what changed since Tuesday.\n\n";
    }
    return text;
}

void writeOlderDefaults(const std::filesystem::path& file, Date today, int days, std::size_t journalBytes,
                        const std::string* oldest) {
    const Calendar calendar = Calendar::current();
    JournalCacheDictionary cache;
    for (int day = 0; day < days; ++day) {
        const Date start = calendar.startOfDay(today.addingTimeInterval(-86400.0 * day));
        const std::string text = oldest && day == days - 1 ? *oldest : journalOfDay(day, journalBytes);
        cache[start] = encodeJournalPromptResponse({text, today.addingTimeInterval(-60)});
    }
    nlohmann::ordered_json values = nlohmann::ordered_json::object();
    values["hideDockIcon"] = true;
    values["journalPromptCache"] = {{"data", base64Encode(encodeJournalCache(cache))}};
    std::filesystem::create_directories(file.parent_path());
    writeFileAtomically(file, prettyJSON(values));
}

} // namespace glimmo::bench
