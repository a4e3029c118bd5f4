#include "ui/Dashboard/WeeklyChartData.h"

#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace glimmo {

namespace {

constexpr int highCreateShare = 71;

void removeAll(std::string& text, std::string_view fence) {
    for (auto at = text.find(fence); at != std::string::npos; at = text.find(fence, at)) text.erase(at, fence.size());
}

// A share is a whole percent kept in an int. A stored one past this bound is read at it: no measured
// day comes near, and within it a share scaled by 100 over a total of at least 1 still fits an int.
constexpr std::int64_t largestStoredShare = std::numeric_limits<int>::max() / 100;

std::int64_t storedShare(const nlohmann::json& percentage) {
    if (percentage.is_number_unsigned()) {
        return static_cast<std::int64_t>(
            std::min(percentage.get<std::uint64_t>(), static_cast<std::uint64_t>(largestStoredShare)));
    }
    return std::clamp(percentage.get<std::int64_t>(), -largestStoredShare, largestStoredShare);
}

CategoryPercentages normalised(std::int64_t create, std::int64_t communicate, std::int64_t consume) {
    const std::int64_t total = create + communicate + consume;
    if (total <= 0 || total == 100) {
        return {static_cast<int>(create), static_cast<int>(communicate), static_cast<int>(consume)};
    }
    auto scaled = [total](std::int64_t x) {
        return static_cast<std::int64_t>(std::llround(static_cast<double>(x) * 100.0 / static_cast<double>(total)));
    };
    std::int64_t cr = scaled(create);
    std::int64_t co = scaled(communicate);
    std::int64_t cs = scaled(consume);
    // The scaled shares add up to 100 before rounding, so this is -1, 0 or 1.
    const std::int64_t difference = 100 - (cr + co + cs);
    if (difference != 0) {
        if (cr >= co && cr >= cs) cr += difference;
        else if (co >= cr && co >= cs) co += difference;
        else cs += difference;
    }
    return {static_cast<int>(cr), static_cast<int>(co), static_cast<int>(cs)};
}

} // namespace

WeekRange currentWeekRange(const Calendar& calendar, Date now) {
    const Date start = calendar.startOfWeek(calendar.startOfDay(now));
    return {start, calendar.addingDays(start, 6)};
}

CategoryPercentages parseCategoryPercentages(const std::optional<DailyActivityData>& record) {
    if (!record || record->timeframes.empty()) return {};
    // The store keeps its entries sorted by key, so a day with several answers uses the first key.
    const std::string& stored = record->timeframes.begin()->second.promptResponse;
    std::string text = stored;
    removeAll(text, "```json\n");
    removeAll(text, "\n```");

    std::optional<nlohmann::json> parsed;
    try {
        parsed = parseJSON(text);
    } catch (const JSONDecodingError&) {
    }
    const nlohmann::json* categories = nullptr;
    if (parsed && parsed->is_object()) {
        const auto found = parsed->find("categories");
        if (found != parsed->end() && found->is_array() &&
            std::all_of(found->begin(), found->end(), [](const nlohmann::json& c) { return c.is_object(); })) {
            categories = &*found;
        }
    }
    if (!categories) {
        printLine("Failed to parse JSON: " + logExcerpt(stored));
        return {};
    }

    std::int64_t create = 0, communicate = 0, consume = 0;
    for (const auto& category : *categories) {
        const auto type = category.find("type");
        const auto percentage = category.find("percentage");
        if (type == category.end() || !type->is_string()) continue;
        if (percentage == category.end() || !percentage->is_number_integer()) continue;
        const std::int64_t value = storedShare(*percentage);
        const auto& name = type->get_ref<const std::string&>();
        if (name == "Create") create = value;
        else if (name == "Communicate") communicate = value;
        else if (name == "Consume") consume = value;
    }
    return normalised(create, communicate, consume);
}

std::vector<DayData> computeChartData(const std::vector<std::optional<DailyActivityData>>& weekData, Date weekStart,
                                      const Calendar& calendar) {
    std::vector<DayData> days;
    days.reserve(7);
    for (int i = 0; i <= 6; ++i) {
        const Date date = calendar.startOfDay(calendar.addingDays(weekStart, i));
        const std::string key = dayKey(date);
        const auto found = std::find_if(weekData.begin(), weekData.end(),
                                        [&key](const std::optional<DailyActivityData>& d) { return d && d->date == key; });
        const auto shares = parseCategoryPercentages(found == weekData.end() ? std::nullopt : *found);
        days.push_back(DayData{i, date, shares.consume, shares.create, shares.communicate});
    }
    return days;
}

std::string weeklyMessage(int weekday, int firstWeekday, const std::vector<std::optional<DailyActivityData>>& weekData,
                          const std::vector<DayData>& chartData) {
    const int dayIndex = weekday - 1;
    // Today's column in the chart: its week may start on another day than Sunday.
    const std::size_t column = static_cast<std::size_t>(((weekday - firstWeekday) % 7 + 7) % 7);
    const std::size_t counted = column + 1;
    std::int64_t present = 0;
    for (std::size_t i = 0; i < std::min(counted, weekData.size()); ++i) {
        if (weekData[i]) ++present;
    }
    std::int64_t sum = 0;
    for (std::size_t i = 0; i < std::min(counted, chartData.size()); ++i) sum += chartData[i].create;
    const std::int64_t average = sum / std::max<std::int64_t>(present, 1);

    switch (dayIndex) {
    case 0:
        return "New week ahead! Set your focus intentions.";
    case 1:
    case 2:
        return average >= highCreateShare ? "Coming in strong this week! Keep up the creative momentum."
                                           : "Early in the week - time to build those creative habits.";
    case 3:
        if (chartData.size() <= column) return "Midweek check-in: Data still loading.";
        return chartData[column].create >= highCreateShare ? "Killed it on Wednesday! Strong midweek focus."
                                                      : "Midweek check-in: Consider adjusting your focus time.";
    default:
        return average >= highCreateShare ? "Solid week of focused work! Finish strong."
                                          : "Push for a productive finish to your week.";
    }
}

} // namespace glimmo
