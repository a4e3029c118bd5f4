#pragma once

#include "analysis/CategorizationAnswer.h"
#include "analysis/ShownDayWork.h"
#include "app/ActivityDataManager.h"
#include "app/ActivityTypes.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace genai {
class GenerativeModel;
}

namespace glimmo {

class BackgroundQueue;
class UnifiedActivityService;
class UserDefaults;

// The picture of one day that the content layouts show: the categorised breakdown, the day's
// main activities, the focus grade, the computer time and the last seven stored days. A day's
// AI answer is kept in the per-day store and reused while younger than 4 hours.
//
// Create with std::make_shared (running operations keep the model alive). Main thread only; the
// run loop's clock is "now".
class ContentViewModel : public ObservableObject, public std::enable_shared_from_this<ContentViewModel> {
public:
    using JSONParsingError = glimmo::JSONParsingError;

    static constexpr const char* selectedComponentKey = "selectedBottomComponent";
    // Posted on the default notification centre once all stored activity has been deleted: every
    // model then shows the empty day at once.
    static constexpr const char* didClearApplicationData = "didClearApplicationData";
    // Posted there once the stored analyses have been deleted while the activity stays (the
    // categories changed): every model stops showing the analysis of its day at once.
    static constexpr const char* didClearAnalyses = "didClearAnalyses";
    static constexpr const char* geminiModelName = "gemini-2.0-flash";
    static constexpr double geminiTimeout = 300;

    explicit ContentViewModel(std::shared_ptr<UnifiedActivityService> unifiedActivityService);
    ~ContentViewModel() override;

    // The bottom panel, shared with the preferences window through the standard user defaults.
    BottomPanelType selectedComponent() const;
    void setSelectedComponent(BottomPanelType component);

    Published<std::vector<std::optional<DailyActivityData>>> weekData{*this, {}};
    Published<Date> displayDate;
    Published<bool> leftArrowHovered{*this, false};
    Published<bool> rightArrowHovered{*this, false};
    Published<std::string> focusScore{*this, "A+"};
    // The day whose analysis was last published; until one for the shown day has succeeded, its
    // grade is not known (the initial "A+" or an earlier day's grade would say otherwise).
    Published<std::optional<Date>> analysedDay{*this, std::nullopt};
    Published<bool> isLoading{*this, false};
    Published<std::vector<Activity>> activities{*this, {}};
    Published<std::vector<TimeBreakdownEntry>> activityBreakdown{*this, {}};
    Published<std::int64_t> totalComputerTime{*this, 0};
    Published<Date> lastUpdateTime;

    const std::shared_ptr<UnifiedActivityService> unifiedActivityService;
    ActivityDataManager& dataManager;
    const genai::GenerativeModel& gemini() const { return *gemini_; }

    // Shows the day of `date`: its stored answer while fresh, otherwise a new analysis. Without a
    // date the shown day is refreshed; when that was today, the refresh moves to the new today
    // after midnight, while a day picked with a date stays. A refresh overtaken by a later one, or
    // begun before the per-day store was cleared, publishes nothing. Showing another day cancels what
    // the refreshes of the days shown before still had to do (their reports, prompts and requests),
    // and they end with CancellationError; a refresh of the day already shown leaves its work running.
    // A new analysis begins once its day has stayed shown for ShownDayWork::settleSeconds.
    Task<void> refreshAnalysis(std::optional<Date> date = std::nullopt);
    // Ends once the day of `date` has stayed shown long enough to be worth a request to an AI service
    // (see ShownDayWork::settled): what else asks one for the shown day (its journal) waits for it too.
    Task<void> settledOn(Date date);
    // The stored form of a fresh answer for the range. Throws JSONParsingError.
    Task<std::string> enrichCategorizationAnswer(std::string answer, double totalSeconds, Date start, Date end);
    // Applies a stored answer for the day and queues its publication on the main loop.
    Task<void> applyAnalysisResult(std::string stored, Date shownDate);
    std::string calculateFocusScore(int create, int communicate) const;
    // focusScore once an analysis of the shown day has succeeded, else noGrade.
    std::string shownFocusScore() const;
    static constexpr const char* noGrade = "\u2014";
    // The day of `date`, from its start to its last second, or to now for today.
    std::pair<Date, Date> dateRange(Date date) const;
    std::string generateReportSummary() const;
    std::string generateJournalSummary(const std::string& highlights) const;

    static std::string formatTime(std::int64_t seconds);
    static std::string formatQueryTime(Date date);

    // The summaries put on the pasteboard by the copy buttons.
    void copyReportSummary() const;
    void copyJournalSummary(const std::string& highlights) const;

private:
    struct AnalysisResult;

    // A refresh of the shown day, from its stored answer or a new analysis; runs as the day's work.
    Task<void> refreshDay(Date day, std::uint64_t generation, ClearMark storeMark);
    // Steps 6 to 14 of a refresh: the report; the request, enrichment and application as one piece of
    // work on the queue; then saving, remembering and publishing in one step. `storeMark` is the per-day
    // store's when it began.
    Task<void> analyzeDay(Date day, std::uint64_t generation, ClearMark storeMark);
    Task<std::optional<AnalysisResult>> buildAnalysisResult(std::string stored, Date shownDate);
    // Queues the publication, for the view only.
    void publishAnalysisResult(AnalysisResult result, Date shownDate, std::uint64_t generation, ClearMark storeMark);
    // Whether results may still be shown: `generation` 0 for any refresh, any other value only while it
    // is the newest; and only while the per-day store was not cleared after `storeMark` was taken, so
    // what is shown follows what is stored.
    bool isCurrent(std::uint64_t generation, ClearMark storeMark) const {
        return (generation == 0 || generation == refreshGeneration_) && dataManager.clearMark() == storeMark;
    }
    // What a clear leaves to show: no analysis; no time either when the activity went too.
    void showClearedState(bool activityCleared);
    void beginFreshAnalysis();
    void endFreshAnalysis();
    Date now() const;

    UserDefaults& defaults_;
    std::unique_ptr<genai::GenerativeModel> gemini_;
    // Makes the day's report, writes, prints and sends its prompt, reads the reply and processes the
    // answer: megabytes on a busy day.
    std::unique_ptr<BackgroundQueue> work_;
    ShownDayWork shownDayWork_;
    std::uint64_t refreshGeneration_ = 0;
    bool showsToday_ = true;
    int freshAnalysesRunning_ = 0;
    Subscription defaultsObserver_;
    Subscription clearingObserver_;
    Subscription analysesClearingObserver_;
};

} // namespace glimmo
