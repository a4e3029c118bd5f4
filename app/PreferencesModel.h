#pragma once

#include "app/ActivityTypes.h"
#include "app/ClearMark.h"
#include "platform/runtime/Observable.h"

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace glimmo {

class NotificationCenter;
class UserDefaults;

// The user's lasting choices: the main window's layout, the categories the day is sorted into and
// the activities remembered from earlier analyses. Kept in the user defaults under "viewStyle",
// "categories" and "historicalActivities". Main thread only.
class PreferencesModel : public ObservableObject {
public:
    static constexpr std::size_t historyLimit = 100;
    // The most bytes the remembered activities take in the settings file, as it writes them (Base64):
    // the newest that fit are kept. A hundred real ones take some 20 KB, a hundred at their bound
    // (storedAnswerTextLimit) some 600 KB; the file is read whole at each start and written whole with
    // every setting.
    static constexpr std::size_t historyBytesBudget = std::size_t{1} << 20;

    // Reads the stored values; first launch (or unreadable categories) installs the defaults
    // Create, Consume and Communicate and saves them. Unreadable categories are first kept in a
    // file beside the settings file ("categories.json.unreadable-..."), and stay stored if that fails.
    explicit PreferencesModel(UserDefaults& defaults, NotificationCenter& notifications);

    // The process-wide model on the standard defaults, created on first use.
    static const std::shared_ptr<PreferencesModel>& shared();
    // Tests install their own (nullptr makes the next shared() create one again).
    static void setShared(std::shared_ptr<PreferencesModel> model);

    // Every change is stored under "viewStyle" at once.
    Published<ViewStyle> viewStyle{*this, ViewStyle::classic};
    // Working copies: the stored bytes change only through saveCategories and saveHistory.
    Published<std::vector<Category>> categories{*this, {}};
    Published<std::vector<HistoricalActivity>> historicalActivities{*this, {}};

    // The instruction that asks the AI service to sort the day's usage into the current categories.
    std::string categorizationPrompt() const;

    void saveCategories();
    // Keeps the remembered activities within their bounds (each text cut to storedAnswerTextLimit, the
    // newest historyLimit within historyBytesBudget) and stores them.
    void saveHistory();
    void addCategory(const std::string& name, bool isPositive);
    void deleteCategory(const std::set<std::size_t>& positions);
    // The activities go first, in their order; the list keeps its newest historyLimit entries.
    void addHistoricalActivities(const std::vector<Activity>& activities, const std::string& timeframe);
    // A fresh analysis of a day: its activities in place of those remembered for that day before, as
    // addHistoricalActivities puts them; unless the history was cleared after `since` was taken (the
    // activities were worked out from data that is gone): false then, and nothing changes.
    bool replaceHistoricalActivities(const std::vector<Activity>& activities, const std::string& timeframe,
                                     ClearMark since);
    // Forgets every remembered activity and saves the empty list.
    void clearHistory();
    // Taken when the work that will remember activities begins (see replaceHistoricalActivities).
    ClearMark historyClearMark() const { return historyClears_.mark(); }

    static std::vector<Category> defaultCategories();

private:
    void postCategoriesChanged();
    void rememberActivities(const std::vector<Activity>& activities, const std::string& timeframe, bool replacingTheDay);

    UserDefaults& defaults_;
    NotificationCenter& notifications_;
    Subscription storeViewStyle_;
    ClearCount historyClears_;
};

// The prompt for a list of categories (what PreferencesModel::categorizationPrompt builds).
std::string categorizationPrompt(const std::vector<Category>& categories);

} // namespace glimmo
