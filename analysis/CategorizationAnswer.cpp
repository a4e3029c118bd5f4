#include "analysis/CategorizationAnswer.h"

#include "app/DurationText.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/SaturatedCast.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace glimmo {

namespace {
using Json = nlohmann::ordered_json;

std::string replaceAll(std::string text, std::string_view pattern, std::string_view replacement) {
    std::size_t position = 0;
    while ((position = text.find(pattern, position)) != std::string::npos) {
        text.replace(position, pattern.size(), replacement);
        position += replacement.size();
    }
    return text;
}

std::string trimSpacesAndTabs(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool contains(std::string_view haystack, std::string_view needle) {
    return !needle.empty() && haystack.find(needle) != std::string_view::npos;
}

// "12m" or "3h 5m", as the activity report writes a duration.
bool isDurationText(std::string_view text) {
    const auto takeNumber = [&text] {
        const std::size_t digits = std::min(text.find_first_not_of("0123456789"), text.size());
        text.remove_prefix(digits);
        return digits > 0;
    };
    if (!takeNumber()) return false;
    if (text.starts_with("h ")) {
        text.remove_prefix(2);
        if (!takeNumber()) return false;
    }
    return text == "m";
}

// The report lists applications as "XTerm (1m)"; an answer that echoes such a piece means the
// application, not the text with its duration.
std::string_view withoutTrailingDuration(std::string_view name) {
    const auto open = name.rfind(" (");
    if (name.size() < 4 || name.back() != ')' || open == std::string_view::npos ||
        !isDurationText(name.substr(open + 2, name.size() - open - 3))) {
        return name;
    }
    return name.substr(0, open);
}

// An application named by an answer, lower-cased, as the matching compares it.
std::string answerAppName(std::string_view text) {
    return lowercased(trimSpacesAndTabs(withoutTrailingDuration(trimSpacesAndTabs(text))));
}

std::vector<std::string> appPieces(std::string_view apps) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start <= apps.size()) {
        const std::size_t comma = std::min(apps.find(',', start), apps.size());
        std::string piece = answerAppName(apps.substr(start, comma - start));
        if (!piece.empty()) {
            pieces.push_back(std::move(piece));
        }
        start = comma + 1;
    }
    return pieces;
}

// The activities' names lower-cased once, for all the matching of one answer.
std::vector<std::string> loweredNames(const std::vector<UnifiedActivity>& activities) {
    std::vector<std::string> names;
    names.reserve(activities.size());
    for (const auto& activity : activities) {
        names.push_back(lowercased(activity.name));
    }
    return names;
}

double matchedDuration(std::string_view apps, const std::vector<UnifiedActivity>& activities,
                       const std::vector<std::string>& names) {
    const std::vector<std::string> pieces = appPieces(apps);
    double seconds = 0;
    for (std::size_t i = 0; i < activities.size(); ++i) {
        if (std::any_of(pieces.begin(), pieces.end(), [&](const std::string& piece) { return contains(names[i], piece); })) {
            seconds += activities[i].duration;
        }
    }
    return seconds;
}

bool isArrayOf(const Json& value, bool (Json::*test)() const noexcept) {
    return value.is_array() && std::all_of(value.begin(), value.end(), [test](const Json& element) {
               return (element.*test)();
           });
}

// The member as a list of objects, nullopt when it is missing or anything else.
std::optional<std::vector<Json>> objectList(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !isArrayOf(*found, &Json::is_object)) {
        return std::nullopt;
    }
    return std::vector<Json>(found->begin(), found->end());
}

std::optional<std::string> stringMember(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

std::optional<std::vector<std::string>> stringListMember(const Json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !isArrayOf(*found, &Json::is_string)) {
        return std::nullopt;
    }
    return found->get<std::vector<std::string>>();
}

std::string joined(const std::vector<std::string>& texts, std::string_view separator) {
    std::string result;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) {
            result += separator;
        }
        result += texts[i];
    }
    return result;
}

// Category name to seconds, in the order the names were first entered.
class DurationTable {
public:
    void set(const std::string& name, double seconds) {
        for (auto& entry : entries_) {
            if (entry.first == name) {
                entry.second = seconds;
                return;
            }
        }
        entries_.emplace_back(name, seconds);
    }
    std::optional<double> find(const std::string& name) const {
        for (const auto& entry : entries_) {
            if (entry.first == name) {
                return entry.second;
            }
        }
        return std::nullopt;
    }
    double total() const {
        double sum = 0;
        for (const auto& entry : entries_) {
            sum += entry.second;
        }
        return sum;
    }
    const std::vector<std::pair<std::string, double>>& entries() const { return entries_; }

private:
    std::vector<std::pair<std::string, double>> entries_;
};

StoredFormWriter& storedFormWriter() {
    static StoredFormWriter writer;
    return writer;
}

std::string writeStoredForm(const Json& stored) {
    const StoredFormWriter& writer = storedFormWriter();
    return writer ? writer(stored) : prettyJSON(stored);
}

Activity makeActivity(std::string description, std::int64_t duration, Date timestamp, bool withSearchLink) {
    Activity activity;
    activity.searchUrl = withSearchLink ? std::optional<std::string>(searchURL(description)) : std::nullopt;
    activity.description = std::move(description);
    activity.duration = duration;
    activity.timestamp = timestamp;
    return activity;
}

template <class Matches>
Activity measuredActivity(std::string description, const std::vector<UnifiedActivity>& activities,
                          const std::vector<std::string>& names, Date shownDate, Matches&& matches) {
    double seconds = 0;
    std::optional<Date> firstSeen;
    for (std::size_t i = 0; i < activities.size(); ++i) {
        if (matches(names[i])) {
            seconds += activities[i].duration;
            if (!firstSeen) {
                firstSeen = activities[i].timestamp;
            }
        }
    }
    return makeActivity(std::move(description), wholeSeconds(seconds), firstSeen.value_or(shownDate), true);
}

std::vector<Activity> answerActivities(const Json& root, const std::vector<UnifiedActivity>& measured,
                                      const std::vector<std::string>& names, Date shownDate) {
    std::vector<Activity> result;
    const auto found = root.find("activities");
    if (found == root.end()) {
        return result;
    }
    if (isArrayOf(*found, &Json::is_string)) {
        for (const auto& element : *found) {
            const std::string description = element.get<std::string>();
            const std::string lowered = lowercased(description);
            result.push_back(measuredActivity(description, measured, names, shownDate,
                                              [&](const std::string& name) { return contains(lowered, name); }));
        }
    } else if (isArrayOf(*found, &Json::is_object)) {
        for (const auto& element : *found) {
            const auto description = stringMember(element, "description");
            if (element.empty() || !description) {
                continue;
            }
            std::vector<std::string> apps = stringListMember(element, "apps").value_or(std::vector<std::string>{});
            for (auto& app : apps) {
                app = answerAppName(app);
            }
            const std::string lowered = lowercased(*description);
            result.push_back(measuredActivity(*description, measured, names, shownDate, [&](const std::string& name) {
                if (apps.empty()) {
                    return contains(lowered, name);
                }
                return std::any_of(apps.begin(), apps.end(), [&](const std::string& app) { return contains(name, app); });
            }));
        }
    }
    return result;
}

void padActivities(std::vector<Activity>& activities, Date shownDate) {
    if (activities.empty()) {
        activities.push_back(makeActivity("No specific activities detected for this day.", 0, shownDate, false));
    }
    while (activities.size() < 3) {
        activities.push_back(makeActivity("General computer usage", 0, shownDate, false));
    }
    if (activities.size() > 5) {
        activities.resize(5);
    }
}

std::vector<std::string> categoryNames(const std::vector<Category>& categories) {
    std::vector<std::string> names;
    names.reserve(categories.size());
    for (const auto& category : categories) {
        names.push_back(category.name);
    }
    return names;
}

} // namespace

void setStoredFormWriterForTesting(StoredFormWriter writer) {
    storedFormWriter() = std::move(writer);
}

JSONParsingError::JSONParsingError(Kind kind, std::string message, const std::string& description)
    : std::runtime_error(description), kind_(kind), message_(std::move(message)) {}

JSONParsingError JSONParsingError::invalidJSON(std::string message) {
    const std::string description = "invalidJSON(\"" + message + "\")";
    return JSONParsingError(Kind::invalidJSON, std::move(message), description);
}

JSONParsingError JSONParsingError::missingCategories() {
    return JSONParsingError(Kind::missingCategories, {}, "missingCategories");
}

JSONParsingError JSONParsingError::invalidCategoryFormat() {
    return JSONParsingError(Kind::invalidCategoryFormat, {}, "invalidCategoryFormat");
}

std::string cleanCategorizationAnswer(std::string_view answer) {
    std::string cleaned = replaceAll(std::string(answer), "```json", "");
    cleaned = replaceAll(std::move(cleaned), "```", "");
    return trimmed(cleaned);
}

double categoryDuration(std::string_view apps, const std::vector<UnifiedActivity>& activities) {
    return matchedDuration(apps, activities, loweredNames(activities));
}

int shareOf(double duration, double total) {
    if (!(total > 0)) {
        return 0;
    }
    const double share = duration / total * 100.0;
    return std::isfinite(share) ? saturatedCast<int>(std::round(share)) : 0;
}

std::string enrichCategorizationAnswer(std::string_view answer, double totalSeconds,
                                       const std::vector<UnifiedActivity>& activities,
                                       const std::vector<Category>& categories) {
    if (!isValidUTF8(answer)) {
        throw JSONParsingError::invalidJSON(couldNotConvertResponse);
    }
    const std::string cleaned = cleanCategorizationAnswer(answer);
    Json root;
    try {
        root = parseOrderedJSON(cleaned);
    } catch (const std::exception&) {
        throw JSONParsingError::invalidJSON(couldNotParseJSON);
    }
    if (!root.is_object()) {
        throw JSONParsingError::invalidJSON(couldNotParseJSON);
    }
    const auto answerCategories = objectList(root, "categories");
    if (!answerCategories) {
        throw JSONParsingError::missingCategories();
    }
    const std::vector<Json> answerActivities = objectList(root, "activities").value_or(std::vector<Json>{});

    const std::vector<std::string> names = loweredNames(activities);
    DurationTable durations;
    for (const auto& category : categories) {
        durations.set(category.name, 0);
    }
    for (const auto& category : *answerCategories) {
        const auto type = stringMember(category, "type");
        const auto apps = stringMember(category, "apps");
        if (category.empty() || !type || !apps) {
            continue;
        }
        durations.set(*type, matchedDuration(*apps, activities, names));
    }

    const double total = durations.total();
    Json enrichedCategories = Json::array();
    for (const auto& entry : durations.entries()) {
        const std::string& name = entry.first;
        const double duration = entry.second;
        const int share = total > 0 ? shareOf(duration, total) : 0;
        if (share <= 0) {
            continue;
        }
        const auto match = std::find_if(answerCategories->begin(), answerCategories->end(), [&](const Json& category) {
            return stringMember(category, "type") == name;
        });
        if (match != answerCategories->end()) {
            Json enriched = *match;
            enriched["percentage"] = share;
            enrichedCategories.push_back(std::move(enriched));
        }
    }

    const std::int64_t minutes = wholeSeconds(totalSeconds) / 60;
    Json stored = Json::object();
    stored["total_minutes"] = minutes;
    stored["active_minutes"] = minutes;
    stored["categories"] = std::move(enrichedCategories);
    stored["activities"] = Json(answerActivities);
    try {
        // Within its bounds before anything stores it: the per-day store rewrites every day with each
        // save, and the preferences remember the activities in the settings file.
        return writeStoredForm(storedAnswerWithin(stored));
    } catch (const std::exception& error) {
        // Storing the raw answer instead would hide the day behind an unreadable entry for hours.
        systemLog(std::string("JSON serialization error: ") + error.what());
        throw JSONParsingError::invalidJSON(couldNotSerializeJSON);
    }
}

void normalizeBreakdown(std::vector<TimeBreakdownEntry>& rows) {
    if (rows.empty()) {
        return;
    }
    int sum = 0;
    for (const auto& row : rows) {
        sum += row.percent;
    }
    if (sum == 100) {
        return;
    }
    if (sum > 0) {
        // The first of the largest rows takes the difference; a surplus it cannot give without
        // going below 0 is taken from the next largest, so every share stays within 0...100.
        int difference = 100 - sum;
        do {
            auto largest = rows.begin();
            for (auto row = rows.begin(); row != rows.end(); ++row) {
                if (row->percent > largest->percent) {
                    largest = row;
                }
            }
            const int change = std::max(difference, -largest->percent);
            largest->percent += change;
            difference -= change;
        } while (difference < 0);
        return;
    }
    rows = {{"Untracked", 100, "No activity data available"}};
}

std::optional<AppliedAnswer> applyCategorizationAnswer(std::string_view stored,
                                                       const std::vector<UnifiedActivity>& activities,
                                                       const std::vector<Category>& categories, Date shownDate) {
    if (!isValidUTF8(stored)) {
        return std::nullopt;
    }
    Json root;
    try {
        root = parseOrderedJSON(stored);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!root.is_object()) {
        return std::nullopt;
    }

    const std::vector<std::string> names = loweredNames(activities);
    AppliedAnswer result;
    if (const auto answerCategories = objectList(root, "categories")) {
        const std::vector<std::string> userNames = categoryNames(categories);
        std::vector<std::string> answerTypes;
        for (const auto& category : *answerCategories) {
            if (const auto type = stringMember(category, "type")) {
                answerTypes.push_back(*type);
            }
        }
        systemLog("Categories during parsing: " + joined(userNames, ", "));
        systemLog("Categories from JSON: " + logExcerpt(joined(answerTypes, ", ")));

        std::vector<const Json*> valid;
        for (const auto& category : *answerCategories) {
            const auto type = stringMember(category, "type");
            if (!category.empty() && type && *type != "Apps" &&
                std::find(userNames.begin(), userNames.end(), *type) != userNames.end()) {
                valid.push_back(&category);
            }
        }

        DurationTable durations;
        for (const Json* category : valid) {
            if (const auto apps = stringMember(*category, "apps")) {
                durations.set(*stringMember(*category, "type"), matchedDuration(*apps, activities, names));
            }
        }
        const double dayTotal = durations.total();
        for (const Json* category : valid) {
            const std::string type = *stringMember(*category, "type");
            const auto apps = stringMember(*category, "apps");
            // One row per type: a repeated type would count the type's time once per row. The
            // category whose applications gave the duration (the last with an "apps" text) describes it.
            const auto existing = std::find_if(result.breakdown.begin(), result.breakdown.end(),
                                               [&](const TimeBreakdownEntry& row) { return row.type == type; });
            if (existing != result.breakdown.end()) {
                if (apps) {
                    existing->description = *apps;
                }
                continue;
            }
            std::string description = "Various apps";
            if (apps) {
                description = *apps;
            } else if (const auto appList = stringListMember(*category, "apps")) {
                description = joined(*appList, ", ");
            }
            result.breakdown.push_back({type, shareOf(durations.find(type).value_or(0), dayTotal), std::move(description)});
        }
        normalizeBreakdown(result.breakdown);
    }

    result.activities = answerActivities(root, activities, names, shownDate);
    padActivities(result.activities, shownDate);
    return result;
}

std::string searchURL(std::string_view description) {
    // Only unreserved characters stay as they are, so "&", "=" or "+" in the text cannot end the
    // value or add parameters.
    return std::string("https://") + chatWebHost + "/?model=gpt-4&prompt=" +
           percentEncode(description, PercentEncodingSet::unreserved);
}

} // namespace glimmo
