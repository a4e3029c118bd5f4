#pragma once

#include "platform/foundation/UUID.h"
#include "platform/runtime/Date.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

// One analysed activity of a day, as the day analysis builds it from its AI answer.
struct Activity {
    UUID id = UUID::random();
    std::string description;
    std::int64_t duration = 0; // seconds
    Date timestamp;
    std::optional<std::string> searchUrl;

    std::string formattedDuration() const;
};

// One day of the weekly chart.
struct DayData {
    int id = 0;
    Date date;
    int consume = 0;
    int create = 0;
    int communicate = 0;

    bool operator==(const DayData&) const = default;
};

enum class ViewStyle { modern, classic, journal };
std::string_view rawValue(ViewStyle style);
std::optional<ViewStyle> viewStyleFromRawValue(std::string_view raw);

enum class BottomPanelType { none, weeklyBreakdown, appFocus, mediaDigest, comingSoon };
std::string_view rawValue(BottomPanelType panel);
std::optional<BottomPanelType> bottomPanelTypeFromRawValue(std::string_view raw);
inline constexpr std::array<BottomPanelType, 5> allBottomPanelTypes = {
    BottomPanelType::none, BottomPanelType::weeklyBreakdown, BottomPanelType::appFocus,
    BottomPanelType::mediaDigest, BottomPanelType::comingSoon};

// A user category into which the day's time is sorted.
struct Category {
    UUID id = UUID::random();
    std::string name;
    bool isPositive = false;

    bool operator==(const Category&) const = default;
};

// An activity remembered from an earlier analysis.
struct HistoricalActivity {
    UUID id = UUID::random();
    std::string description;
    std::string formattedDuration;
    Date timestamp;
    std::string timeframe;

    bool operator==(const HistoricalActivity&) const = default;
};

// A new remembered activity (with an id of its own) for each activity, in order.
std::vector<HistoricalActivity> makeHistoricalActivities(const std::vector<Activity>& activities,
                                                         const std::string& timeframe);

// Posted on the default notification centre when categories are added or deleted; the stored
// analyses were made with the old categories and must be cleared.
inline constexpr const char* didChangeCategoriesRequiringDataClear = "didChangeCategoriesRequiringDataClear";

// Compact JSON arrays as the user defaults keep them. Decoding throws JSONDecodingError when an
// element lacks a key or has a value of the wrong type.
std::string encodeCategories(const std::vector<Category>& categories);
std::vector<Category> decodeCategories(std::string_view json);
std::string encodeHistoricalActivities(const std::vector<HistoricalActivity>& activities);
std::vector<HistoricalActivity> decodeHistoricalActivities(std::string_view json);

} // namespace glimmo
