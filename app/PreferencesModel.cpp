#include "app/PreferencesModel.h"

#include "app/BoundedText.h"
#include "app/NewestWithinBudget.h"
#include "app/StoredAnswerBounds.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/UserDefaults.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>

namespace glimmo {
namespace {

constexpr const char* viewStyleKey = "viewStyle";
constexpr const char* categoriesKey = "categories";
constexpr const char* historicalActivitiesKey = "historicalActivities";

std::shared_ptr<PreferencesModel>& sharedModel() {
    static std::shared_ptr<PreferencesModel> model;
    return model;
}

std::string bytesAsText(const std::vector<std::uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

std::vector<std::uint8_t> textAsBytes(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

// The stored categories as they are, whatever type the value was written as; nullopt when absent.
std::optional<std::string> storedValueText(const UserDefaults& defaults, const char* key) {
    if (const auto bytes = defaults.data(key)) {
        return bytesAsText(*bytes);
    }
    if (defaults.contains(key)) {
        return defaults.string(key).value_or(std::string());
    }
    return std::nullopt;
}

// Puts categories that cannot be decoded in a file beside the settings file, moved aside under an
// "unreadable" name (logged with its path), before the defaults replace them. False when that
// failed: then the stored value must not be overwritten.
bool keepUnreadableCategoriesAside(const UserDefaults& defaults, const std::string& value) {
    const std::filesystem::path file = defaults.filePath().parent_path() / "categories.json";
    try {
        std::filesystem::create_directories(file.parent_path());
        writeFileAtomically(file, value);
        moveUnreadableFileAside(file, "the stored categories could not be decoded");
        return true;
    } catch (const std::exception& error) {
        systemLog(std::string("Could not keep the unreadable categories aside: ") + error.what());
        return false;
    }
}

// Each text of the remembered activities cut to its bound. Whether that changed them.
bool cutHistoryTexts(std::vector<HistoricalActivity>& history) {
    bool changed = false;
    for (HistoricalActivity& entry : history) {
        for (std::string* text : {&entry.description, &entry.formattedDuration, &entry.timeframe}) {
            if (text->size() > storedAnswerTextLimit) {
                *text = textWithinBytes(*text, storedAnswerTextLimit);
                changed = true;
            }
        }
    }
    return changed;
}

// The remembered activities within their bounds: each text cut, then the newest historyLimit that fit
// historyBytesBudget. Whether that changed them.
bool keepHistoryWithinBounds(std::vector<HistoricalActivity>& history) {
    bool changed = cutHistoryTexts(history);
    // The defaults write the list as Base64.
    NewestWithinBudget stored(PreferencesModel::historyBytesBudget, StoredEncoding::base64);
    std::size_t kept = 0;
    while (kept < std::min(history.size(), PreferencesModel::historyLimit) &&
           stored.keep(encodeHistoricalActivities({history[kept]}).size() - 2)) { // without the list's brackets
        ++kept;
    }
    if (kept < history.size()) {
        history.resize(kept);
        changed = true;
    }
    return changed;
}

std::string bucketDescription(const std::string& name) {
    const std::string lower = lowercased(name);
    if (lower == "create") {
        return "creative tasks like making art, coding, or even writing a blog\n";
    }
    if (lower == "consume") {
        return "consuming content like reading articles, watching videos, or scrolling through social media\n";
    }
    if (lower == "communicate") {
        return "communicative tasks like google meets, zoom meetings, writing emails or texting\n";
    }
    return "activities related to " + lower + "\n";
}

} // namespace

PreferencesModel::PreferencesModel(UserDefaults& defaults, NotificationCenter& notifications)
    : defaults_(defaults), notifications_(notifications) {
    if (const auto stored = defaults_.string(viewStyleKey)) {
        if (const auto style = viewStyleFromRawValue(*stored)) {
            viewStyle.set(*style);
        }
    }
    storeViewStyle_ = viewStyle.didChange.connect(
        [this](const ViewStyle& style) { defaults_.set(viewStyleKey, rawValue(style)); });

    const std::optional<std::string> storedText = storedValueText(defaults_, categoriesKey);
    std::optional<std::vector<Category>> stored;
    try {
        stored = decodeCategories(storedText.value_or(std::string()));
    } catch (const std::exception&) {
        stored.reset();
    }
    if (!stored) {
        categories = defaultCategories();
        systemLog("Initialized with default categories.");
        if (!storedText || keepUnreadableCategoriesAside(defaults_, *storedText)) {
            saveCategories();
        }
    } else {
        categories = std::move(*stored);
        systemLog("Loaded " + std::to_string(categories->size()) + " categories from storage.");
    }

    std::vector<HistoricalActivity> history;
    try {
        history = decodeHistoricalActivities(
            bytesAsText(defaults_.data(historicalActivitiesKey).value_or(std::vector<std::uint8_t>{})));
    } catch (const std::exception&) {
        // Unreadable history starts empty; the next save replaces it.
    }
    const bool shrunk = keepHistoryWithinBounds(history);
    historicalActivities = std::move(history);
    if (shrunk) {
        // What an earlier version stored past the bounds goes at once: the settings file is written
        // whole with every setting, and past its own bound with none.
        saveHistory();
    }
}

const std::shared_ptr<PreferencesModel>& PreferencesModel::shared() {
    std::shared_ptr<PreferencesModel>& model = sharedModel();
    if (!model) {
        model = std::make_shared<PreferencesModel>(UserDefaults::standard(), NotificationCenter::defaultCenter());
    }
    return model;
}

void PreferencesModel::setShared(std::shared_ptr<PreferencesModel> model) {
    sharedModel() = std::move(model);
}

std::vector<Category> PreferencesModel::defaultCategories() {
    return {
        {UUID::random(), "Create", true},
        {UUID::random(), "Consume", false},
        {UUID::random(), "Communicate", true},
    };
}

std::string PreferencesModel::categorizationPrompt() const {
    return glimmo::categorizationPrompt(categories.get());
}

void PreferencesModel::saveCategories() {
    std::string encoded;
    try {
        encoded = encodeCategories(categories.get());
    } catch (const std::exception&) {
        return;
    }
    defaults_.set(categoriesKey, textAsBytes(encoded));
    systemLog("Saved " + std::to_string(categories->size()) + " categories.");
}

void PreferencesModel::saveHistory() {
    std::vector<HistoricalActivity> history = historicalActivities.get();
    if (keepHistoryWithinBounds(history)) {
        historicalActivities = std::move(history);
    }
    std::string encoded;
    try {
        encoded = encodeHistoricalActivities(historicalActivities.get());
    } catch (const std::exception&) {
        return;
    }
    defaults_.set(historicalActivitiesKey, textAsBytes(encoded));
}

void PreferencesModel::addCategory(const std::string& name, bool isPositive) {
    categories.modify([&](std::vector<Category>& list) { list.push_back({UUID::random(), name, isPositive}); });
    saveCategories();
    systemLog("Added category: " + name + ". Prompt will reflect change on next access.");
    postCategoriesChanged();
}

void PreferencesModel::deleteCategory(const std::set<std::size_t>& positions) {
    categories.modify([&](std::vector<Category>& list) {
        std::vector<Category> kept;
        kept.reserve(list.size());
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (!positions.contains(i)) {
                kept.push_back(std::move(list[i]));
            }
        }
        list = std::move(kept);
    });
    saveCategories();
    systemLog("Deleted category. Prompt will reflect change on next access.");
    postCategoriesChanged();
}

void PreferencesModel::addHistoricalActivities(const std::vector<Activity>& activities, const std::string& timeframe) {
    rememberActivities(activities, timeframe, false);
}

bool PreferencesModel::replaceHistoricalActivities(const std::vector<Activity>& activities, const std::string& timeframe,
                                                   ClearMark since) {
    if (historyClears_.clearedSince(since)) {
        return false;
    }
    rememberActivities(activities, timeframe, true);
    return true;
}

void PreferencesModel::rememberActivities(const std::vector<Activity>& activities, const std::string& timeframe,
                                          bool replacingTheDay) {
    std::vector<HistoricalActivity> added = makeHistoricalActivities(activities, timeframe);
    cutHistoryTexts(added);
    historicalActivities.modify([&](std::vector<HistoricalActivity>& list) {
        if (replacingTheDay) {
            std::erase_if(list, [&](const HistoricalActivity& entry) { return entry.timeframe == timeframe; });
        }
        list.insert(list.begin(), std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
        if (list.size() > historyLimit) {
            list.resize(historyLimit);
        }
    });
    saveHistory();
}

void PreferencesModel::clearHistory() {
    historyClears_.cleared();
    historicalActivities = std::vector<HistoricalActivity>{};
    saveHistory();
}

void PreferencesModel::postCategoriesChanged() {
    notifications_.post(didChangeCategoriesRequiringDataClear);
}

std::string categorizationPrompt(const std::vector<Category>& categories) {
    std::string prompt =
        "Analyze the following app and website usage data and categorize them into the following buckets:\n";
    for (const Category& category : categories) {
        prompt += category.name;
        prompt += " is for ";
        prompt += bucketDescription(category.name);
    }
    prompt +=
        "Also identify 3-5 specific activities the user was engaged in.\n\nReturn a structured response in this "
        "exact format:\n{\n  \"categories\": [";
    for (std::size_t i = 0; i < categories.size(); ++i) {
        prompt += "\n    {\n      \"type\": \"";
        prompt += categories[i].name;
        prompt += "\",\n      \"apps\": \"comma separated list of apps and websites\"\n    }";
        if (i + 1 < categories.size()) {
            prompt += ",";
        }
    }
    prompt +=
        "\n  ],\n  \"activities\": [\n    {\n      \"description\": \"activity description\",\n      \"apps\": "
        "[\"app1\", \"app2\"]\n    }\n  ]\n}\n\nRules:\n- Don't separate Chrome and websites, treat websites as "
        "apps\n- Return only the JSON, no other text\n- Don't include system login/logout screens\n- If there "
        "isn't any data just say no activities detected and return categories with 0%\n- Include 3-5 activities "
        "in the activities array\n- Each activity should have a description and list of related apps\n- Always "
        "include some activities\n- You have to use emojies for at least 2 activities";
    return prompt;
}

} // namespace glimmo
