#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityDataManager.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::dailyStore {

namespace {

// What the file keeps within a budget, whatever the days hold: a text within it that is the days kept;
// the day always kept, unless not even its smallest form fits; of the others the newest, as they were.
void checkBudget(const DailyActivityStore& store) {
    if (store.empty()) {
        return;
    }
    const std::string alwaysKept = store.begin()->first;
    constexpr std::size_t budget = 400;
    const DailyActivityFile kept = dailyActivityFileWithin(store, {alwaysKept}, budget);
    if (kept.text.size() > budget) {
        fail("the kept days pass the budget");
    }
    if (kept.text != encodeDailyActivityStore(kept.store)) {
        fail("the file's text is not that of the days kept");
    }
    const DailyActivityData& first = store.begin()->second;
    const DailyActivityData smallest{first.date, {}, first.lastUpdateTime, {}, first.totalDuration, {}};
    if (!kept.store.contains(alwaysKept) && encodeDailyActivityStore({{alwaysKept, smallest}}).size() <= budget) {
        fail("a day always kept went");
    }
    bool droppedOne = false;
    for (auto day = store.rbegin(); day != store.rend(); ++day) {
        if (day->first == alwaysKept) {
            continue;
        }
        const auto found = kept.store.find(day->first);
        if (found == kept.store.end()) {
            droppedOne = true;
        } else if (found->second != day->second && encodeDailyActivityStore(store).size() <= storedAnswerLimit) {
            fail("a day kept changed"); // only an answer past its bound is changed, and none is here
        } else if (droppedOne) {
            fail("a newer day went before an older one");
        }
    }
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const auto store = roundTripped<JSONDecodingError>(bytesOf(data, size), decodeDailyActivityStore,
                                                       encodeDailyActivityStore,
                                                       "a day changed on a round trip through the per-day store");
    if (store) {
        checkBudget(*store);
    }
    return 0;
}

} // namespace glimmo::fuzz::dailyStore
