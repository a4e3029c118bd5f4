#include "app/ChromeHistoryReaderNewestRows.h"

#include <algorithm>

namespace glimmo {
namespace {

struct Ranked {
    std::int64_t time;
    std::size_t place;
};

bool newer(const Ranked& a, const Ranked& b) {
    return a.time > b.time || (a.time == b.time && a.place < b.place);
}

std::vector<Ranked> ranked(std::span<const std::int64_t> times) {
    std::vector<Ranked> all(times.size());
    for (std::size_t place = 0; place < times.size(); ++place) {
        all[place] = {times[place], place};
    }
    return all;
}

} // namespace

std::size_t placeOfNewest(std::span<const std::int64_t> times, std::size_t rank) {
    std::vector<Ranked> all = ranked(times);
    std::nth_element(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(rank), all.end(), newer);
    return all[rank].place;
}

std::vector<std::size_t> newestFirst(std::span<const std::int64_t> times, std::size_t count) {
    std::vector<Ranked> all = ranked(times);
    // A history's rows often come newest first already, each row's time set as it was added.
    if (!std::is_sorted(all.begin(), all.end(), newer)) {
        const auto end = all.begin() + static_cast<std::ptrdiff_t>(count);
        if (count < all.size()) {
            std::nth_element(all.begin(), end, all.end(), newer);
        }
        std::sort(all.begin(), end, newer);
    }
    std::vector<std::size_t> places(count);
    for (std::size_t i = 0; i < count; ++i) {
        places[i] = all[i].place;
    }
    return places;
}

} // namespace glimmo
