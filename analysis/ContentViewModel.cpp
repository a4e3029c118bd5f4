#include "analysis/ContentViewModel.h"

#include "analysis/DayRange.h"
#include "analysis/DaySummaries.h"
#include "analysis/AnalysisSupport.h"
#include "analysis/ReportPrompt.h"
#include "app/DurationText.h"
#include "app/PreferencesModel.h"
#include "app/UnifiedActivityService.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {
namespace {

std::string joinedCategoryNames(const std::vector<Category>& categories) {
    std::string text;
    for (std::size_t i = 0; i < categories.size(); ++i) {
        text += (i > 0 ? ", " : "") + categories[i].name;
    }
    return text;
}

int lastPercentOf(const std::vector<TimeBreakdownEntry>& rows, const std::string& type) {
    const auto found = std::find_if(rows.rbegin(), rows.rend(), [&](const TimeBreakdownEntry& row) { return row.type == type; });
    return found == rows.rend() ? 0 : found->percent;
}

const std::vector<Category>& userCategories() {
    return PreferencesModel::shared()->categories.get();
}

// The day's activities, fetched once and shared by its report and its answer's processing: their contexts
// run to megabytes on a busy day.
using SharedActivities = std::shared_ptr<const std::vector<UnifiedActivity>>;

// A fresh answer's stored form and what the day shows of it (none when that form is no JSON object).
struct ProcessedAnswer {
    std::string stored;
    std::optional<AppliedAnswer> shown;
};

// Runs on the model's queue: asks Gemini and, once the reply's text is there, makes the answer's stored
// form and what the day shows of it in the same piece of work, with nothing awaited in between. So a
// cancel (the quit cancels every task) that comes after the reply cannot drop an answer the AI took
// minutes to write, and what it waits for is bounded work (the answer's texts are bounded before they are
// stored); a cancel while the reply is awaited still ends the request. nullopt when the reply has no
// text. Throws what the request throws, and JSONParsingError.
Task<std::optional<ProcessedAnswer>> processedReply(genai::GenerativeModel model, std::string prompt,
                                                    SharedActivities activities, double totalSeconds,
                                                    std::vector<Category> categories, Date shownDate) {
    auto request = replyTextHere(std::move(model), std::move(prompt));
    std::optional<std::string> text = co_await std::move(request);
    if (!text) {
        co_return std::nullopt;
    }
    ProcessedAnswer answer;
    answer.stored = enrichCategorizationAnswer(*text, totalSeconds, *activities, categories);
    answer.shown = applyCategorizationAnswer(answer.stored, *activities, categories, shownDate);
    co_return answer;
}

} // namespace

struct ContentViewModel::AnalysisResult {
    AppliedAnswer answer;
    double totalSeconds = 0;
};

ContentViewModel::ContentViewModel(std::shared_ptr<UnifiedActivityService> service)
    : displayDate(*this, RunLoop::main().now()),
      lastUpdateTime(*this, RunLoop::main().now()),
      unifiedActivityService(std::move(service)),
      dataManager(ActivityDataManager::shared()),
      defaults_(UserDefaults::standard()),
      gemini_(makeGeminiModel()), work_(std::make_unique<BackgroundQueue>()) {
    defaultsObserver_ = defaults_.didChange.connect([this](const std::string& key) {
        if (key == selectedComponentKey) {
            announceChange();
        }
    });
    clearingObserver_ = NotificationCenter::defaultCenter().addObserver(
        didClearApplicationData, [this](const Notification&) { showClearedState(true); });
    analysesClearingObserver_ = NotificationCenter::defaultCenter().addObserver(
        didClearAnalyses, [this](const Notification&) { showClearedState(false); });
    displayDate = Calendar::current().startOfDay(displayDate.get());
}

void ContentViewModel::showClearedState(bool activityCleared) {
    // Results of a refresh still running describe data that is gone.
    ++refreshGeneration_;
    activityBreakdown = std::vector<TimeBreakdownEntry>{};
    activities = std::vector<Activity>{};
    if (activityCleared) {
        totalComputerTime = 0;
    }
    analysedDay = std::nullopt;
    weekData = dataManager.loadPastDaysData(7);
}

ContentViewModel::~ContentViewModel() = default;

Date ContentViewModel::now() const {
    return RunLoop::main().now();
}

BottomPanelType ContentViewModel::selectedComponent() const {
    const auto raw = defaults_.string(selectedComponentKey);
    if (!raw) {
        return BottomPanelType::weeklyBreakdown;
    }
    return bottomPanelTypeFromRawValue(*raw).value_or(BottomPanelType::weeklyBreakdown);
}

void ContentViewModel::setSelectedComponent(BottomPanelType component) {
    // The defaults' change signal tells this model's observers (and the preferences window's).
    defaults_.set(selectedComponentKey, std::string(rawValue(component)));
}

std::pair<Date, Date> ContentViewModel::dateRange(Date date) const {
    return dayRange(Calendar::current(), date, now());
}

void ContentViewModel::beginFreshAnalysis() {
    ++freshAnalysesRunning_;
    isLoading = true;
}

void ContentViewModel::endFreshAnalysis() {
    // With overlapping refreshes the indicator stays until the last of them ends.
    freshAnalysesRunning_ = std::max(0, freshAnalysesRunning_ - 1);
    isLoading = freshAnalysesRunning_ > 0;
}

Task<void> ContentViewModel::refreshAnalysis(std::optional<Date> date) {
    const auto self = shared_from_this();
    const std::uint64_t generation = ++refreshGeneration_;

    const Calendar calendar = Calendar::current();
    Date requested = date.value_or(displayDate.get());
    if (!date && showsToday_) {
        requested = now();
    }
    showsToday_ = calendar.isDate(requested, now());
    const Date day = calendar.startOfDay(requested);
    displayDate = day;
    // The days left are no longer shown: nothing more is asked for them.
    shownDayWork_.show(day);

    auto refreshing = shownDayWork_.run(day, refreshDay(day, generation, dataManager.clearMark()));
    co_await std::move(refreshing);
}

Task<void> ContentViewModel::refreshDay(Date day, std::uint64_t generation, ClearMark storeMark) {
    const auto self = shared_from_this();
    const auto [storedAnswer, stale] = dataManager.loadPromptResponse(dayKey(day));
    if (storedAnswer && !stale) {
        auto building = buildAnalysisResult(*storedAnswer, day);
        auto result = co_await std::move(building);
        if (result && isCurrent(generation, storeMark)) {
            totalComputerTime = wholeSeconds(result->totalSeconds);
            publishAnalysisResult(std::move(*result), day, generation, storeMark);
        }
        co_return;
    }

    beginFreshAnalysis();
    lastUpdateTime = now();
    std::exception_ptr failure;
    try {
        // A day only passed over asks nothing, not even for its report.
        auto settling = shownDayWork_.settled(day);
        co_await std::move(settling);
        auto analysis = analyzeDay(day, generation, storeMark);
        co_await std::move(analysis);
    } catch (...) {
        failure = std::current_exception();
    }
    endFreshAnalysis();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

Task<void> ContentViewModel::settledOn(Date date) {
    const auto self = shared_from_this();
    auto settling = shownDayWork_.settled(Calendar::current().startOfDay(date));
    co_await std::move(settling);
}

Task<void> ContentViewModel::analyzeDay(Date day, std::uint64_t generation, ClearMark storeMark) {
    // The store that will remember the activities, with the moment the request began as it counts its clears.
    const std::shared_ptr<PreferencesModel> preferences = PreferencesModel::shared();
    const ClearMark historyMark = preferences->historyClearMark();
    const std::string key = dayKey(day);
    const auto [start, end] = dateRange(day);
    // The range's activities, copied out of the service's cache once; their report is made with the prompt,
    // and the answer measured against them, off the main loop.
    auto listing = unifiedActivityService->getUnifiedActivities(start, end);
    SharedActivities activities = std::make_shared<const std::vector<UnifiedActivity>>(co_await std::move(listing));
    const double total = totalDuration(*activities);
    if (isCurrent(generation, storeMark)) {
        totalComputerTime = wholeSeconds(total);
    }

    systemLog("Categories before query: " + joinedCategoryNames(userCategories()));
    auto writing = printedReportPrompt(
        *work_, activities, total,
        [instructions = PreferencesModel::shared()->categorizationPrompt()](std::string reportText) {
            return instructions + "\n\nUnified Activity Report:\n" + reportText;
        },
        "combinedPrompt");
    std::string prompt = co_await std::move(writing);

    std::optional<ProcessedAnswer> answer;
    std::optional<std::string> failure;
    try {
        // The activities go with the request: the queue's thread lets go of them, not the main loop.
        auto request = work_->performTask(
            processedReply(*gemini_, std::move(prompt), std::move(activities), total, userCategories(), day));
        answer = co_await std::move(request);
    } catch (const JSONParsingError& error) {
        failure = "Error processing JSON for " + dateDescription(day) + ": " + error.what();
    } catch (const std::exception& error) {
        failure = "Error analyzing activities for " + dateDescription(day) + ": " + logExcerpt(error.what());
    }
    if (failure) {
        // A request ended because its day was left, or by the quit, failed nobody.
        if (co_await isTaskCancelled()) {
            throw CancellationError{};
        }
        systemLog(*failure);
        co_return;
    }
    if (!answer) {
        co_return;
    }

    // Saved, remembered and published in one step, with nothing awaited since the reply arrived: a cancel
    // (the quit cancels every task) finds the day in both stores or, when it came before the reply, in
    // neither; never in the store alone, which would keep it out of the remembered activities until its
    // answer is 4 hours old. Each store refuses the result when it was cleared since the request began.
    // The store files the answer under the day it describes, whatever day it is now.
    dataManager.savePromptResponse(answer->stored, key, storeMark);
    if (!answer->shown) {
        co_return;
    }
    // A fresh analysis replaces what an earlier one of the same day remembered.
    preferences->replaceHistoricalActivities(answer->shown->activities, key, historyMark);
    if (isCurrent(generation, storeMark)) {
        totalComputerTime = wholeSeconds(total);
    }
    publishAnalysisResult(AnalysisResult{std::move(*answer->shown), total}, day, generation, storeMark);
}

Task<std::string> ContentViewModel::enrichCategorizationAnswer(std::string answer, double totalSeconds, Date start,
                                                               Date end) {
    const auto self = shared_from_this();
    auto listing = unifiedActivityService->getUnifiedActivities(start, end);
    std::vector<UnifiedActivity> activities = co_await std::move(listing);
    // An answer may run to 32 MiB and a busy day to thousands of activities.
    auto enriching = work_->perform(
        [answer = std::move(answer), totalSeconds, activities = std::move(activities), categories = userCategories()] {
            return glimmo::enrichCategorizationAnswer(answer, totalSeconds, activities, categories);
        });
    co_return co_await std::move(enriching);
}

Task<std::optional<ContentViewModel::AnalysisResult>> ContentViewModel::buildAnalysisResult(std::string stored,
                                                                                            Date shownDate) {
    const auto [start, end] = dateRange(shownDate);
    auto listing = unifiedActivityService->getUnifiedActivities(start, end);
    std::vector<UnifiedActivity> activities = co_await std::move(listing);
    const double total = totalDuration(activities);
    auto applying = work_->perform(
        [stored = std::move(stored), activities = std::move(activities), categories = userCategories(), shownDate] {
            return applyCategorizationAnswer(stored, activities, categories, shownDate);
        });
    auto answer = co_await std::move(applying);
    if (!answer) {
        co_return std::nullopt;
    }
    co_return AnalysisResult{std::move(*answer), total};
}

Task<void> ContentViewModel::applyAnalysisResult(std::string stored, Date shownDate) {
    const auto self = shared_from_this();
    const ClearMark storeMark = dataManager.clearMark();
    auto building = buildAnalysisResult(std::move(stored), shownDate);
    auto result = co_await std::move(building);
    if (!result || !isCurrent(0, storeMark)) {
        co_return;
    }
    totalComputerTime = wholeSeconds(result->totalSeconds);
    publishAnalysisResult(std::move(*result), shownDate, 0, storeMark);
}

void ContentViewModel::publishAnalysisResult(AnalysisResult result, Date shownDate, std::uint64_t generation,
                                             ClearMark storeMark) {
    const std::weak_ptr<ContentViewModel> weakSelf = weak_from_this();
    auto answer = std::make_shared<AppliedAnswer>(std::move(result.answer));
    RunLoop::main().post([weakSelf, answer, generation, storeMark, shownDate] {
        const auto self = weakSelf.lock();
        if (!self || !self->isCurrent(generation, storeMark)) {
            return;
        }
        self->activityBreakdown = answer->breakdown;
        self->focusScore = self->calculateFocusScore(lastPercentOf(answer->breakdown, "Create"),
                                                     lastPercentOf(answer->breakdown, "Communicate"));
        self->activities = answer->activities;
        self->analysedDay = shownDate;
        self->weekData = self->dataManager.loadPastDaysData(7);
    });
}

std::string ContentViewModel::calculateFocusScore(int create, int communicate) const {
    return glimmo::focusScore(activityBreakdown.get(), userCategories(), create, communicate);
}

std::string ContentViewModel::shownFocusScore() const {
    return analysedDay.get() == displayDate.get() ? focusScore.get() : noGrade;
}

std::string ContentViewModel::generateReportSummary() const {
    return reportSummary(activityBreakdown.get(), activities.get());
}

std::string ContentViewModel::generateJournalSummary(const std::string& highlights) const {
    return journalSummary(activityBreakdown.get(), highlights);
}

std::string ContentViewModel::formatTime(std::int64_t seconds) {
    return glimmo::formatTime(seconds);
}

std::string ContentViewModel::formatQueryTime(Date date) {
    return glimmo::formatQueryTime(date);
}

void ContentViewModel::copyReportSummary() const {
    copyToPasteboard(generateReportSummary());
}

void ContentViewModel::copyJournalSummary(const std::string& highlights) const {
    copyToPasteboard(generateJournalSummary(highlights));
}

} // namespace glimmo
