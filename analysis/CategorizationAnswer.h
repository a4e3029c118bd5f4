#pragma once

#include "app/ActivityTypes.h"
#include "app/UnifiedActivity.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/ErrorValue.h"

#include <nlohmann/json_fwd.hpp>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// One row of the day's breakdown: a category, its share of the day and its applications.
struct TimeBreakdownEntry {
    std::string type;
    int percent = 0;
    std::string description;

    bool operator==(const TimeBreakdownEntry&) const = default;
};

// Why an AI answer could not be turned into its stored form. what() is the case's description as
// the log lines show it: `invalidJSON("Could not parse JSON")`, `missingCategories`.
class JSONParsingError : public std::runtime_error, public CopiedAcrossThreads {
public:
    enum class Kind { invalidJSON, missingCategories, invalidCategoryFormat };

    static JSONParsingError invalidJSON(std::string message);
    static JSONParsingError missingCategories();
    static JSONParsingError invalidCategoryFormat();

    Kind kind() const noexcept { return kind_; }
    // invalidJSON's message.
    const std::string& message() const noexcept { return message_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    JSONParsingError(Kind kind, std::string message, const std::string& description);

    Kind kind_;
    std::string message_;
};

inline constexpr const char* couldNotConvertResponse = "Could not convert response to data";
inline constexpr const char* couldNotParseJSON = "Could not parse JSON";
inline constexpr const char* couldNotSerializeJSON = "Could not serialize JSON";

// The answer without Markdown code fences and surrounding white space.
std::string cleanCategorizationAnswer(std::string_view answer);

// The seconds of the activities that a comma-separated "apps" text names: an activity belongs when
// its lower-cased name contains one of the trimmed, lower-cased pieces. A piece that ends in a
// duration as the activity report writes it ("XTerm (1m)") names the application before it.
double categoryDuration(std::string_view apps, const std::vector<UnifiedActivity>& activities);

// duration / total as a whole percent, halves away from zero; 0 when total is not positive.
int shareOf(double duration, double total);

// Writes the stored form as text. The JSON library's writer cannot fail on what a parsed answer
// holds, so tests replace it to show that a form that cannot be written is never stored; an empty
// function puts the library's writer back.
using StoredFormWriter = std::function<std::string(const nlohmann::ordered_json&)>;
void setStoredFormWriterForTesting(StoredFormWriter writer);

// The stored form of a fresh answer: the measured total in minutes and, for each category whose
// measured share rounds to at least 1, the answer's category object with its "percentage"; within
// the bounds of a stored answer (storedAnswerWithin), which a real answer never meets.
// Throws JSONParsingError, also when the stored form cannot be written (invalidJSON("Could not
// serialize JSON")), so that nothing is saved that the day could not be shown from.
std::string enrichCategorizationAnswer(std::string_view answer, double totalSeconds,
                                       const std::vector<UnifiedActivity>& activities,
                                       const std::vector<Category>& categories);

struct AppliedAnswer {
    std::vector<TimeBreakdownEntry> breakdown;
    std::vector<Activity> activities;
};

// What the dashboard shows of a stored answer: the breakdown (one row per category type)
// normalised to 100 and 3 to 5 activities with their measured durations. nullopt when the text is
// not a JSON object.
std::optional<AppliedAnswer> applyCategorizationAnswer(std::string_view stored,
                                                       const std::vector<UnifiedActivity>& activities,
                                                       const std::vector<Category>& categories, Date shownDate);

// Makes the rows add up to 100: the first of the largest rows takes the difference (never going
// below 0: what it cannot give comes from the next largest); rows that are all 0 become the single
// "Untracked" row.
void normalizeBreakdown(std::vector<TimeBreakdownEntry>& rows);

// The host of the chat web page that an activity's search link opens.
inline constexpr const char* chatWebHost = "chatgpt.com";

// "https://<chat web host>/?model=gpt-4&prompt=" and the description as one query value.
std::string searchURL(std::string_view description);

} // namespace glimmo
