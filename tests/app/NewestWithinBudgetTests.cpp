#include "app/NewestWithinBudget.h"

#include "platform/foundation/Json.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace glimmo {
namespace {

// The list as a store writes it, made in full: its entries between brackets, a comma between two.
std::string writtenList(const std::vector<std::string>& entries, StoredEncoding encoding) {
    std::string text = "[";
    for (std::size_t i = 0; i < entries.size(); ++i) text += (i == 0 ? "" : ",") + entries[i];
    text += "]";
    return encoding == StoredEncoding::base64 ? base64Encode(text) : text;
}

// Against the list written out: the entries kept are the newest whose list fits, and the room left and
// whether an entry fits alone are what writing it would show.
TEST(NewestWithinBudget, KeepsTheNewestEntriesWhoseWrittenListFits) {
    std::mt19937 random(7);
    const auto below = [&](std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random); };
    for (const StoredEncoding encoding : {StoredEncoding::text, StoredEncoding::base64}) {
        for (int round = 0; round < 300; ++round) {
            const std::size_t budget = below(60);
            NewestWithinBudget list(budget, encoding);
            std::vector<std::string> kept;
            for (std::size_t offered = below(8); offered > 0; --offered) {
                const std::string entry(1 + below(12), 'e');
                std::vector<std::string> with = kept;
                with.push_back(entry);
                const bool fits = writtenList(with, encoding).size() <= budget;
                ASSERT_EQ(list.fitsAlone(entry.size()), writtenList({entry}, encoding).size() <= budget) << budget;
                ASSERT_EQ(list.room() >= entry.size(), fits) << budget;
                ASSERT_EQ(list.keep(entry.size()), fits) << budget << " " << with.size();
                if (!fits) break;
                kept = std::move(with);
            }
        }
    }
}

} // namespace
} // namespace glimmo
