#include "platform/view/AttributedString.h"

#include <algorithm>

namespace glimmo {

const AttributeValue* AttributeContainer::find(std::string_view name) const {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                               [](const auto& e, std::string_view n) { return e.first < n; });
    return it != entries_.end() && it->first == name ? &it->second : nullptr;
}

void AttributeContainer::put(std::string_view name, AttributeValue value) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                               [](const auto& e, std::string_view n) { return e.first < n; });
    if (it != entries_.end() && it->first == name) {
        it->second = std::move(value);
    } else {
        entries_.insert(it, {std::string(name), std::move(value)});
    }
}

void AttributeContainer::erase(std::string_view name) {
    auto it = std::lower_bound(entries_.begin(), entries_.end(), name,
                               [](const auto& e, std::string_view n) { return e.first < n; });
    if (it != entries_.end() && it->first == name) entries_.erase(it);
}

void AttributeContainer::merge(const AttributeContainer& other) {
    for (const auto& [name, value] : other.entries_) put(name, value);
}

AttributedString::AttributedString(std::string text, AttributeContainer attributes) : text_(std::move(text)) {
    if (!text_.empty()) runs_.push_back({{0, text_.size()}, std::move(attributes)});
}

std::optional<AttributedString::Range> AttributedString::range(std::string_view of) const {
    const auto at = text_.find(of);
    if (at == std::string::npos) return std::nullopt;
    return Range{at, at + of.size()};
}

AttributedString AttributedString::substring(Range range) const {
    AttributedString out;
    range.upper = std::min(range.upper, text_.size());
    if (range.lower >= range.upper) return out;
    out.text_ = text_.substr(range.lower, range.upper - range.lower);
    for (const auto& run : runs_) {
        const std::size_t lo = std::max(run.range.lower, range.lower), hi = std::min(run.range.upper, range.upper);
        if (lo < hi) out.runs_.push_back({{lo - range.lower, hi - range.lower}, run.attributes});
    }
    return out;
}

void AttributedString::append(const AttributedString& other) {
    const std::size_t base = text_.size();
    text_ += other.text_;
    // Both run lists are coalesced already: only the two runs that now meet may merge, so appending
    // piece by piece costs what the pieces hold, not what the string holds.
    auto run = other.runs_.begin();
    if (run != other.runs_.end() && !runs_.empty() && runs_.back().range.upper == base &&
        runs_.back().attributes == run->attributes) {
        runs_.back().range.upper = run->range.upper + base;
        ++run;
    }
    for (; run != other.runs_.end(); ++run) {
        runs_.push_back({{run->range.lower + base, run->range.upper + base}, run->attributes});
    }
}

void AttributedString::setAttributes(const AttributeContainer& attributes, std::optional<Range> range) {
    edit(range.value_or(wholeRange()), [&](AttributeContainer& c) { c = attributes; });
}

void AttributedString::mergeAttributes(const AttributeContainer& attributes, std::optional<Range> range) {
    edit(range.value_or(wholeRange()), [&](AttributeContainer& c) { c.merge(attributes); });
}

void AttributedString::split(std::size_t at) {
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        Run& run = runs_[i];
        if (run.range.lower < at && at < run.range.upper) {
            Run tail{{at, run.range.upper}, run.attributes};
            run.range.upper = at;
            runs_.insert(runs_.begin() + static_cast<std::ptrdiff_t>(i) + 1, std::move(tail));
            return;
        }
    }
}

void AttributedString::coalesce() {
    std::vector<Run> merged;
    for (auto& run : runs_) {
        if (run.range.lower == run.range.upper) continue;
        if (!merged.empty() && merged.back().attributes == run.attributes && merged.back().range.upper == run.range.lower) {
            merged.back().range.upper = run.range.upper;
        } else {
            merged.push_back(std::move(run));
        }
    }
    runs_ = std::move(merged);
}

bool AttributedString::operator==(const AttributedString& o) const {
    if (text_ != o.text_ || runs_.size() != o.runs_.size()) return false;
    for (std::size_t i = 0; i < runs_.size(); ++i) {
        if (runs_[i].range != o.runs_[i].range || !(runs_[i].attributes == o.runs_[i].attributes)) return false;
    }
    return true;
}

} // namespace glimmo
