#pragma once

// The rows a history query "ORDER BY time DESC LIMIT capacity" gives, picked from the rows as they
// stream from the table: a sort of the whole window (in a file, as SQLite bounds its memory) is what a
// load spent most of its time on.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace glimmo {

// The place of the `rank`-th newest (from 0) of `times`, rows of one time ranked in the order they
// came. `rank` < times.size().
std::size_t placeOfNewest(std::span<const std::int64_t> times, std::size_t rank);
// The places of the `count` newest of `times`, newest first, rows of one time in the order they came.
std::vector<std::size_t> newestFirst(std::span<const std::int64_t> times, std::size_t count);

// The newest `capacity` of the rows added, newest first, rows of one time in the order they were added;
// a row added as nullopt takes its place among them and is left out of what take() gives. Holds half as
// many again at most, and says which rows it no longer needs before they are made.
template <class Row>
class NewestRows {
public:
    explicit NewestRows(std::size_t capacity) : capacity_(capacity) {}

    // Whether a row of `time` added now can be among the newest: false once as many newer ones, or as
    // new and added before, are held.
    bool admits(std::int64_t time) const { return !oldestKept_ || time > *oldestKept_; }

    void add(std::int64_t time, std::optional<Row> row) {
        times_.push_back(time);
        present_.push_back(row.has_value());
        absent_ += row ? 0 : 1;
        rows_.push_back(row ? std::move(*row) : Row{});
        if (rows_.size() > capacity_ + capacity_ / 2) {
            keepNewest();
        }
    }

    // The rows kept, newest first; leaves none.
    std::vector<Row> take() {
        const std::vector<std::size_t> places = newestFirst(times_, std::min(capacity_, rows_.size()));
        std::vector<Row> newest;
        // Rows that came newest first, as many as are kept, are handed over as they lie.
        const bool asTheyLie =
            places.size() == rows_.size() && absent_ == 0 && std::is_sorted(places.begin(), places.end());
        if (asTheyLie) {
            newest.swap(rows_);
        } else {
            newest.reserve(places.size());
            for (const std::size_t place : places) {
                if (present_[place]) {
                    newest.push_back(std::move(rows_[place]));
                }
            }
        }
        times_.clear();
        present_.clear();
        rows_.clear();
        absent_ = 0;
        return newest;
    }

private:
    // Keeps the newest `capacity_`, in the order they came.
    void keepNewest() {
        if (capacity_ == 0) {
            oldestKept_ = INT64_MAX;
            times_.clear();
            present_.clear();
            rows_.clear();
            absent_ = 0;
            return;
        }
        const std::size_t last = placeOfNewest(times_, capacity_ - 1);
        const std::int64_t lastTime = times_[last];
        std::size_t kept = 0;
        absent_ = 0;
        for (std::size_t place = 0; place < rows_.size(); ++place) {
            if (times_[place] > lastTime || (times_[place] == lastTime && place <= last)) {
                absent_ += present_[place] ? 0 : 1;
                if (kept != place) { // a row moved onto itself may be left empty
                    times_[kept] = times_[place];
                    present_[kept] = present_[place];
                    rows_[kept] = std::move(rows_[place]);
                }
                ++kept;
            }
        }
        times_.resize(kept);
        present_.resize(kept);
        rows_.resize(kept);
        oldestKept_ = lastTime;
    }

    std::size_t capacity_;
    // Of each row, in the order they came: its time, whether it was given, and the row (a made-up one
    // where none was given).
    std::vector<std::int64_t> times_;
    std::vector<bool> present_;
    std::vector<Row> rows_;
    std::size_t absent_ = 0;
    std::optional<std::int64_t> oldestKept_; // once the rows were cut to the newest
};

} // namespace glimmo
