#include "app/DailyActivityStore.h"

#include "app/NewestWithinBudget.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"
#include "platform/foundation/JsonWriting.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

// Members in the order the file has always had them, written straight out: a day of tens of thousands
// of applications is written as fast as its bytes.

void appendMemberKey(std::string& out, std::string_view key) {
    appendJSONString(out, key);
    out += ':';
}

void appendNumbers(std::string& out, const std::map<std::string, double>& numbers) {
    out += '{';
    for (auto number = numbers.begin(); number != numbers.end(); ++number) {
        if (number != numbers.begin()) out += ',';
        appendMemberKey(out, number->first);
        appendJSONNumber(out, number->second);
    }
    out += '}';
}

// An answer as a member of its day's "timeframes".
void appendTimeframe(std::string& out, const std::string& key, const TimeframeData& answer) {
    appendMemberKey(out, key);
    out += "{\"promptResponse\":";
    appendJSONString(out, answer.promptResponse);
    out += ",\"lastUpdateTime\":";
    appendJSONNumber(out, encodeDate(answer.lastUpdateTime));
    out += '}';
}

// A day as a member of the file's object.
void appendDay(std::string& out, const std::string& key, const DailyActivityData& day) {
    appendMemberKey(out, key);
    out += "{\"date\":";
    appendJSONString(out, day.date);
    out += ",\"timeframes\":{";
    for (auto answer = day.timeframes.begin(); answer != day.timeframes.end(); ++answer) {
        if (answer != day.timeframes.begin()) out += ',';
        appendTimeframe(out, answer->first, answer->second);
    }
    out += "},\"lastUpdateTime\":";
    appendJSONNumber(out, encodeDate(day.lastUpdateTime));
    out += ",\"appUsage\":";
    appendNumbers(out, day.appUsage);
    out += ",\"totalDuration\":";
    appendJSONNumber(out, day.totalDuration);
    out += ",\"categoryDurations\":";
    appendNumbers(out, day.categoryDurations);
    out += '}';
}

std::string writtenDay(const std::string& key, const DailyActivityData& day) {
    std::string text;
    appendDay(text, key, day);
    return text;
}

// The file's object of days already written, in the order of their keys.
std::string writtenStore(const std::map<std::string, std::string>& days) {
    std::size_t size = 2 + (days.empty() ? 0 : days.size() - 1);
    for (const auto& [key, day] : days) size += day.size();
    std::string text;
    text.reserve(size);
    text += '{';
    for (auto day = days.begin(); day != days.end(); ++day) {
        if (day != days.begin()) text += ',';
        text += day->second;
    }
    text += '}';
    return text;
}

std::map<std::string, double> numberMap(const nlohmann::json& value, const std::string& path) {
    if (!value.is_object()) {
        throw JSONDecodingError(path, "expected an object");
    }
    std::map<std::string, double> result;
    for (const auto& [key, number] : value.items()) {
        result[key] = numberValue(number, path + "." + key);
    }
    return result;
}

void boundAnswers(DailyActivityData& day) {
    for (auto& [timeframe, answer] : day.timeframes) {
        answer.promptResponse = storedAnswerTextWithin(std::move(answer.promptResponse));
    }
}

// A day of the week that does not fit whole in `room` bytes: its answers, the newest first, while they
// fit; nullopt when not even the day without them does.
std::optional<DailyActivityData> dayWithin(const std::string& key, const DailyActivityData& day, std::size_t room) {
    DailyActivityData cut{day.date, {}, day.lastUpdateTime, {}, day.totalDuration, {}};
    const std::size_t withoutAnswers = writtenDay(key, cut).size();
    if (withoutAnswers > room) {
        return std::nullopt;
    }
    std::vector<const std::pair<const std::string, TimeframeData>*> newestFirst;
    for (const auto& answer : day.timeframes) newestFirst.push_back(&answer);
    std::stable_sort(newestFirst.begin(), newestFirst.end(),
                     [](const auto* a, const auto* b) { return a->second.lastUpdateTime > b->second.lastUpdateTime; });
    // The answers are a list of their own within the day, whose braces the day without them counts.
    constexpr std::size_t emptyTimeframesSize = 2;
    NewestWithinBudget answers(room - withoutAnswers + emptyTimeframesSize, StoredEncoding::text);
    for (const auto* answer : newestFirst) {
        std::string text;
        appendTimeframe(text, answer->first, answer->second);
        if (!answers.keep(text.size())) {
            break;
        }
        cut.timeframes.insert(*answer);
    }
    return cut;
}

} // namespace

std::string encodeDailyActivityStore(const DailyActivityStore& store) {
    std::string text = "{";
    for (auto day = store.begin(); day != store.end(); ++day) {
        if (day != store.begin()) text += ',';
        appendDay(text, day->first, day->second);
    }
    text += '}';
    return text;
}

DailyActivityStore decodeDailyActivityStore(std::string_view json) {
    const nlohmann::json root = parseJSON(json);
    if (!root.is_object()) {
        throw JSONDecodingError("", "expected an object of days");
    }
    DailyActivityStore store;
    for (const auto& [key, object] : root.items()) {
        DailyActivityData day;
        day.date = stringValue(requiredMember(object, "date", key), key + ".date");
        const nlohmann::json& timeframes = requiredMember(object, "timeframes", key);
        if (!timeframes.is_object()) {
            throw JSONDecodingError(key + ".timeframes", "expected an object");
        }
        for (const auto& [timeframe, entry] : timeframes.items()) {
            const std::string path = key + ".timeframes." + timeframe;
            day.timeframes[timeframe] = {stringValue(requiredMember(entry, "promptResponse", path), path + ".promptResponse"),
                                         decodeDate(requiredMember(entry, "lastUpdateTime", path))};
        }
        day.lastUpdateTime = decodeDate(requiredMember(object, "lastUpdateTime", key));
        day.appUsage = numberMap(requiredMember(object, "appUsage", key), key + ".appUsage");
        day.totalDuration = numberValue(requiredMember(object, "totalDuration", key), key + ".totalDuration");
        day.categoryDurations = numberMap(requiredMember(object, "categoryDurations", key), key + ".categoryDurations");
        store.emplace(key, std::move(day));
    }
    return store;
}

DailyActivityFile dailyActivityFileWithin(DailyActivityStore store, const std::set<std::string>& alwaysKept,
                                          std::size_t budget) {
    NewestWithinBudget file(budget, StoredEncoding::text);
    DailyActivityStore kept;
    std::map<std::string, std::string> keptTexts;
    for (auto key = alwaysKept.rbegin(); key != alwaysKept.rend(); ++key) {
        const auto found = store.find(*key);
        if (found == store.end()) {
            continue;
        }
        auto day = store.extract(found);
        boundAnswers(day.mapped());
        std::string text = writtenDay(day.key(), day.mapped());
        if (!file.keep(text.size())) {
            auto cut = dayWithin(day.key(), day.mapped(), file.room());
            if (!cut) {
                continue;
            }
            text = writtenDay(day.key(), *cut);
            if (!file.keep(text.size())) {
                continue;
            }
            day.mapped() = std::move(*cut);
        }
        keptTexts.emplace(day.key(), std::move(text));
        kept.insert(std::move(day));
    }
    for (auto day = store.rbegin(); day != store.rend(); ++day) {
        boundAnswers(day->second);
        std::string text = writtenDay(day->first, day->second);
        if (!file.keep(text.size())) {
            break;
        }
        keptTexts.emplace(day->first, std::move(text));
        kept.emplace(day->first, std::move(day->second));
    }
    return {std::move(kept), writtenStore(keptTexts)};
}

} // namespace glimmo
