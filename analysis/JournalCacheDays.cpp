// What the journal cache stores of its days: the newest that keep within its budget, made on the
// defaults' writer thread from the days saved over those read.
#include "analysis/JournalCacheDays.h"

#include "app/NewestWithinBudget.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberText.h"

#include <algorithm>
#include <cstdio>

namespace glimmo {
namespace {

// A day of the stored array: its number, a comma and its entry's stored text.
std::size_t storedDaySize(std::size_t dayTextSize, std::size_t entryTextSize) { return dayTextSize + 1 + entryTextSize; }
// A day's number is never shorter than "0".
constexpr std::size_t shortestDayTextSize = 1;

// Whether a day whose number and entry are written in these sizes fits `budget` alone: whether it can be
// stored at all.
bool fitsAlone(std::size_t budget, std::size_t dayTextSize, std::size_t entryTextSize) {
    return NewestWithinBudget(budget, StoredEncoding::base64).fitsAlone(storedDaySize(dayTextSize, entryTextSize));
}

} // namespace

JournalCacheDays readableJournalCacheDays(std::string_view bytes) {
    try {
        return decodeJournalCacheDays(bytes);
    } catch (const std::exception&) {
        return {};
    }
}

JournalCacheDays readableJournalCacheDays(const DefaultsData& stored) {
    const auto bytes = stored.bytes();
    return readableJournalCacheDays(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

JournalCacheDays journalCacheDaysOver(const JournalCacheDays& under, const JournalCacheDays& over) {
    JournalCacheDays days = under;
    for (const auto& [day, entry] : over) {
        days.insert_or_assign(day, entry);
    }
    return days;
}

JournalCacheDays journalCacheDaysWithin(const JournalCacheDays& days, std::size_t budget) {
    NewestWithinBudget stored(budget, StoredEncoding::base64);
    JournalCacheDays kept;
    for (auto newest = days.rbegin(); newest != days.rend(); ++newest) {
        const JournalCacheEntry& entry = *newest->second;
        const std::size_t dayTextSize = numberText(newest->first.secondsSinceReferenceDate).size();
        // Told from the entry's size first: a reply too large to store is not encoded for it.
        if (!fitsAlone(budget, dayTextSize, entry.storedSizeAtLeast()) ||
            !fitsAlone(budget, dayTextSize, entry.storedText().size())) {
            entry.reportNotStored(budget);
            continue;
        }
        if (!stored.keep(storedDaySize(dayTextSize, entry.storedText().size()))) {
            break;
        }
        kept.emplace_hint(kept.begin(), newest->first, newest->second);
    }
    return kept;
}

std::vector<std::uint8_t> JournalCacheData::bytes() const {
    const auto within = [](const JournalCacheDays& days) {
        return encodeJournalCacheDays(journalCacheDaysWithin(days, JournalPromptCache::storedBytesBudget));
    };
    std::string stored;
    if (!read_) {
        stored = within(*saved_);
    } else if (readDays_) {
        stored = within(journalCacheDaysOver(*readDays_, *saved_));
    } else {
        stored = within(journalCacheDaysOver(readableJournalCacheDays(*read_), *saved_));
    }
    return {stored.begin(), stored.end()};
}

bool JournalCacheEntry::isKeptInMemoryOnly(std::size_t budget) const {
    return leftOut_.load() || !fitsAlone(budget, shortestDayTextSize, storedSizeAtLeast());
}

void keepMemoryOnlyDaysWithin(JournalCacheDays& days, std::size_t storedBudget, std::size_t memoryBudget) {
    std::vector<JournalCacheDays::iterator> inMemoryOnly;
    for (auto day = days.begin(); day != days.end(); ++day) {
        if (day->second->isKeptInMemoryOnly(storedBudget)) inMemoryOnly.push_back(day);
    }
    // Saved last first; of those saved at once, the newer day. The one saved last stays whatever its
    // size: it is the one shown, which its view holds anyway.
    std::stable_sort(inMemoryOnly.begin(), inMemoryOnly.end(), [](const auto& a, const auto& b) {
        return a->second->timestamp() > b->second->timestamp() ||
               (a->second->timestamp() == b->second->timestamp() && a->first > b->first);
    });
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < inMemoryOnly.size(); ++i) {
        bytes += inMemoryOnly[i]->second->replyBytes();
        if (i > 0 && bytes > memoryBudget) {
            for (std::size_t older = i; older < inMemoryOnly.size(); ++older) days.erase(inMemoryOnly[older]);
            return;
        }
    }
}

void JournalCacheEntry::reportNotStored(std::size_t budget) const {
    leftOut_.store(true);
    std::call_once(reporting_, [&] {
        const auto megabytes = [](std::size_t bytes) {
            char text[32];
            std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / 1e6);
            return std::string(text);
        };
        systemLog("📓 A journal of " + megabytes(replyBytes()) +
                  " is more than the journal cache stores (" + megabytes(budget) + "): it is kept in memory only, until the application quits or newer ones need the room");
    });
}

} // namespace glimmo
