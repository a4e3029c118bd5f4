#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "analysis/CategorizationAnswer.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UUID.h"

#include <nlohmann/json.hpp>

namespace glimmo::fuzz::categorizationAnswer {

namespace {

UnifiedActivity measured(std::string name, double seconds, double minutesIntoDay) {
    UnifiedActivity activity;
    activity.name = std::move(name);
    activity.duration = seconds;
    activity.timestamp = Date{800000000.0 + minutesIntoDay * 60};
    return activity;
}

const std::vector<UnifiedActivity>& day() {
    static const std::vector<UnifiedActivity> activities = {
        measured("Code Editor", 3600, 60), measured("Slack", 1800, 30), measured("youtube.com", 1800, 90),
        measured("Terminal", 0, 5), measured("", 60, 0)};
    return activities;
}

const std::vector<Category>& categories() {
    static const std::vector<Category> list = {{*UUID::parse("00000000-0000-0000-0000-000000000001"), "Create", true},
                                               {*UUID::parse("00000000-0000-0000-0000-000000000002"), "Consume", false},
                                               {*UUID::parse("00000000-0000-0000-0000-000000000003"), "Communicate", true}};
    return list;
}

void checkBreakdown(const AppliedAnswer& applied) {
    int sum = 0;
    for (const TimeBreakdownEntry& row : applied.breakdown) {
        if (row.percent < 0 || row.percent > 100) {
            fail("a share of the day outside 0...100");
        }
        sum += row.percent;
    }
    if (!applied.breakdown.empty() && sum != 100) {
        fail("the breakdown does not add up to 100");
    }
}

// Bounds small enough for the fuzzer's inputs to pass, yet with room for an answer's keys ("active_minutes"
// the longest), which a key past the text bound would lose: what is written stays within them, and a
// form within them is kept as it is.
void checkBounds(std::string_view answer) {
    nlohmann::ordered_json form;
    try {
        form = parseOrderedJSON(answer);
    } catch (const JSONDecodingError&) {
        return;
    }
    const StoredAnswerLimits limits{16, 24, 300};
    const nlohmann::ordered_json bounded = storedAnswerWithin(form, limits);
    const std::string written = prettyJSON(bounded);
    if (!bounded.is_null() && written.size() > limits.whole) {
        fail("a stored answer written past its bound");
    }
    if (prettyJSON(storedAnswerWithin(bounded, limits)) != written) {
        fail("a stored answer within its bounds changed when bounded again");
    }
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    silenceLogs();
    const std::string_view answer = bytesOf(data, size);
    // The answer as the AI service sends it, and the same text taken as an already stored form.
    checkBounds(answer);
    try {
        const std::string stored = enrichCategorizationAnswer(answer, 7200, day(), categories());
        if (stored.size() > storedAnswerLimit || storedAnswerTextWithin(stored) != stored) {
            fail("a stored form past its bounds");
        }
        if (const auto applied = applyCategorizationAnswer(stored, day(), categories(), Date{800000000.0})) {
            checkBreakdown(*applied);
        }
    } catch (const JSONParsingError&) {
    }
    if (const auto applied = applyCategorizationAnswer(answer, day(), categories(), Date{800000000.0})) {
        checkBreakdown(*applied);
    }
    return 0;
}

} // namespace glimmo::fuzz::categorizationAnswer
