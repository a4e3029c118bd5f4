#pragma once

// A browser history for benchmarks: the real `urls` schema, visits spread over the last 32 days (or
// `days`), addresses from short to a few hundred characters, a share of them and of the titles
// non-ASCII, and a search page now and then.

#include "tests/app/SyntheticHistory.h"

#include <filesystem>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace glimmo::bench {

inline const Date historyNow = Date::fromUnixTime(1796637600); // 2026-12-07 10:00 UTC

// How the rows lie in the table. The browser updates a row's last visit in place, so in a real History
// the table's order says little about the visits' order: `shuffled` is that, `newestFirst` the easy case.
enum class RowOrder { newestFirst, shuffled };

inline void writeHistory(const std::filesystem::path& path, int visits, Date now = historyNow, double days = 32,
                         RowOrder order = RowOrder::newestFirst) {
    std::filesystem::remove(path);
    testing::SyntheticHistory history(path);
    history.execute("BEGIN");
    const char* hosts[] = {"https://www.example.com/", "https://docs.example.org/reference/",
                           "https://news.example.net/2026/12/", "https://www.google.com/search?q=",
                           "https://de.wikipedia.org/wiki/", "https://mail.example.com/u/0/#inbox/"};
    const char* words[] = {"report", "Zürich", "Straße", "東京", "café", "naïve", "résumé", "plan", "日本語", "budget"};
    unsigned state = 12345;
    const auto next = [&state] { return state = state * 1103515245u + 12345u; };
    std::vector<int> newness(static_cast<std::size_t>(visits)); // row -> its place among the visits, newest 0
    std::iota(newness.begin(), newness.end(), 0);
    if (order == RowOrder::shuffled) {
        unsigned shuffle = 2718;
        for (std::size_t i = newness.size(); i > 1; --i) {
            shuffle = shuffle * 1103515245u + 12345u;
            std::swap(newness[i - 1], newness[(shuffle >> 8) % i]);
        }
    }
    for (const int i : newness) {
        const Date when = now.addingTimeInterval(-days * 86400 * i / visits - 1);
        std::string url = hosts[i % 6];
        const int pieces = 1 + static_cast<int>(next() % 24); // up to a few hundred characters
        for (int p = 0; p < pieces; ++p) {
            url += (i % 4 == 0) ? words[next() % 10] : words[(next() % 3) * 4 % 10 == 0 ? 0 : 9];
            url += p + 1 < pieces ? "-" : "";
        }
        url += "?id=" + std::to_string(i);
        std::string title = std::string("Page about ") + words[next() % 10] + " " + std::to_string(i);
        history.add(url, i % 13 == 0 ? std::optional<std::string>() : std::optional<std::string>(title), 1 + i % 7, when);
    }
    history.execute("COMMIT");
}

} // namespace glimmo::bench
