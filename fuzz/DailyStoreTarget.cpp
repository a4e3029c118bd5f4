#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "app/ActivityDataManager.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Json.h"

namespace glimmo::fuzz::dailyStore {

namespace {

// What the file keeps within a budget: the day always kept, and of the others the newest, as they were.
void checkBudget(const DailyActivityStore& store) {
    if (store.empty()) {
        return;
    }
    const std::string alwaysKept = store.begin()->first;
    constexpr std::size_t budget = 400;
    const DailyActivityStore kept = dailyActivityStoreWithin(store, {alwaysKept}, budget);
    if (!kept.contains(alwaysKept)) {
        fail("a day always kept went");
    }
    bool droppedOne = false;
    for (auto day = store.rbegin(); day != store.rend(); ++day) {
        const auto found = kept.find(day->first);
        if (found == kept.end()) {
            droppedOne = true;
        } else if (found->second != day->second && encodeDailyActivityStore(store).size() <= storedAnswerLimit) {
            fail("a day kept changed"); // only an answer past its bound is changed, and none is here
        } else if (droppedOne && day->first != alwaysKept) {
            fail("a newer day went before an older one");
        }
    }
    if (kept.size() > 1 && encodeDailyActivityStore(kept).size() > budget) {
        fail("the kept days pass the budget");
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
