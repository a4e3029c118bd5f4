#include "app/ActivityTypes.h"

#include "app/DurationText.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"

#include <nlohmann/json.hpp>

namespace glimmo {
namespace {

constexpr std::array<std::pair<ViewStyle, std::string_view>, 3> viewStyleNames = {{
    {ViewStyle::modern, "Modern"},
    {ViewStyle::classic, "Classic"},
    {ViewStyle::journal, "Journal"},
}};

constexpr std::array<std::pair<BottomPanelType, std::string_view>, 5> bottomPanelNames = {{
    {BottomPanelType::none, "None"},
    {BottomPanelType::weeklyBreakdown, "Weekly Graph"},
    {BottomPanelType::appFocus, "App Focus"},
    {BottomPanelType::mediaDigest, "Media Digest"},
    {BottomPanelType::comingSoon, "Coming Soon"},
}};

template <class Enum, std::size_t N>
std::string_view nameOf(const std::array<std::pair<Enum, std::string_view>, N>& table, Enum value) {
    for (const auto& [candidate, name] : table) {
        if (candidate == value) return name;
    }
    return {};
}

template <class Enum, std::size_t N>
std::optional<Enum> valueOf(const std::array<std::pair<Enum, std::string_view>, N>& table, std::string_view raw) {
    for (const auto& [candidate, name] : table) {
        if (name == raw) return candidate;
    }
    return std::nullopt;
}

std::string requiredString(const nlohmann::json& object, const char* key, const std::string& path) {
    const nlohmann::json& value = requiredMember(object, key, path);
    if (!value.is_string()) {
        throw JSONDecodingError(path + "." + key, "expected a string");
    }
    return value.get<std::string>();
}

UUID requiredUUID(const nlohmann::json& object, const char* key, const std::string& path) {
    const std::optional<UUID> uuid = UUID::parse(requiredString(object, key, path));
    if (!uuid) {
        throw JSONDecodingError(path + "." + key, "not a valid UUID");
    }
    return *uuid;
}

nlohmann::json parseArray(std::string_view json) {
    nlohmann::json array = parseJSON(json);
    if (!array.is_array()) {
        throw JSONDecodingError("", "expected an array");
    }
    return array;
}

} // namespace

std::string Activity::formattedDuration() const {
    return durationText(duration);
}

std::string_view rawValue(ViewStyle style) {
    return nameOf(viewStyleNames, style);
}

std::optional<ViewStyle> viewStyleFromRawValue(std::string_view raw) {
    return valueOf(viewStyleNames, raw);
}

std::string_view rawValue(BottomPanelType panel) {
    return nameOf(bottomPanelNames, panel);
}

std::optional<BottomPanelType> bottomPanelTypeFromRawValue(std::string_view raw) {
    return valueOf(bottomPanelNames, raw);
}

std::vector<HistoricalActivity> makeHistoricalActivities(const std::vector<Activity>& activities,
                                                         const std::string& timeframe) {
    std::vector<HistoricalActivity> result;
    result.reserve(activities.size());
    for (const Activity& activity : activities) {
        result.push_back({UUID::random(), activity.description, activity.formattedDuration(), activity.timestamp,
                          timeframe});
    }
    return result;
}

std::string encodeCategories(const std::vector<Category>& categories) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const Category& category : categories) {
        nlohmann::ordered_json object;
        object["id"] = category.id.uuidString();
        object["name"] = category.name;
        object["isPositive"] = category.isPositive;
        array.push_back(std::move(object));
    }
    return compactJSON(array);
}

std::vector<Category> decodeCategories(std::string_view json) {
    const nlohmann::json array = parseArray(json);
    std::vector<Category> categories;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string path = "[" + std::to_string(i) + "]";
        const nlohmann::json& element = array[i];
        Category category;
        category.id = requiredUUID(element, "id", path);
        category.name = requiredString(element, "name", path);
        const nlohmann::json& positive = requiredMember(element, "isPositive", path);
        if (!positive.is_boolean()) {
            throw JSONDecodingError(path + ".isPositive", "expected a boolean");
        }
        category.isPositive = positive.get<bool>();
        categories.push_back(std::move(category));
    }
    return categories;
}

std::string encodeHistoricalActivities(const std::vector<HistoricalActivity>& activities) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (const HistoricalActivity& activity : activities) {
        nlohmann::ordered_json object;
        object["id"] = activity.id.uuidString();
        object["description"] = activity.description;
        object["formattedDuration"] = activity.formattedDuration;
        object["timestamp"] = encodeDate(activity.timestamp);
        object["timeframe"] = activity.timeframe;
        array.push_back(std::move(object));
    }
    return compactJSON(array);
}

std::vector<HistoricalActivity> decodeHistoricalActivities(std::string_view json) {
    const nlohmann::json array = parseArray(json);
    std::vector<HistoricalActivity> activities;
    for (std::size_t i = 0; i < array.size(); ++i) {
        const std::string path = "[" + std::to_string(i) + "]";
        const nlohmann::json& element = array[i];
        HistoricalActivity activity;
        activity.id = requiredUUID(element, "id", path);
        activity.description = requiredString(element, "description", path);
        activity.formattedDuration = requiredString(element, "formattedDuration", path);
        activity.timestamp = decodeDate(requiredMember(element, "timestamp", path));
        activity.timeframe = requiredString(element, "timeframe", path);
        activities.push_back(std::move(activity));
    }
    return activities;
}

} // namespace glimmo
