#pragma once

#include "app/ActivityTypes.h"
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
    void saveHistory();
    void addCategory(const std::string& name, bool isPositive);
    void deleteCategory(const std::set<std::size_t>& positions);
    // The activities go first, in their order; the list keeps its newest historyLimit entries.
    void addHistoricalActivities(const std::vector<Activity>& activities, const std::string& timeframe);
    // Forgets every remembered activity and saves the empty list.
    void clearHistory();

    static std::vector<Category> defaultCategories();

private:
    void postCategoriesChanged();

    UserDefaults& defaults_;
    NotificationCenter& notifications_;
    Subscription storeViewStyle_;
};

// The prompt for a list of categories (what PreferencesModel::categorizationPrompt builds).
std::string categorizationPrompt(const std::vector<Category>& categories);

} // namespace glimmo
