#pragma once

#include "app/ActivityRecord.h"
#include "app/ActivityRecordFile.h"
#include "app/ClearMark.h"
#include "app/WindowContextText.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace genai {
class GenerativeModel;
}

namespace glimmo {

class Accessibility;
class ActivityRecordArchive;
class BackgroundQueue;
class InputActivityTap;
class RunLoop;
class Timer;
class Workspace;
struct RunningApplication;

// Watches which application is in front and whether the user gives input. Keeps one record per
// stretch of time in one application (newest first), credits elapsed time every 5 s, splits it
// into active and idle time (60 s without input is idle), and has the AI service summarise what
// each application's window shows. The record file is written at each new record and analysis
// result, and at least once a minute while time is credited. The list holds the live records: those
// begun since the start of yesterday, and older ones while they are current or being analysed; a
// switch moves the others into the archive of days, where the unified activity service reads them.
// Main thread only.
class ActivityMonitor : public ObservableObject, public std::enable_shared_from_this<ActivityMonitor> {
public:
    static constexpr double accountingInterval = 5.0;
    static constexpr double idleCheckInterval = 1.0;
    static constexpr double reanalysisInterval = 60.0;
    static constexpr double idleThreshold = 60.0;
    // The most credited time a kill, crash or power cut may take from the record file.
    static constexpr double maxUnsavedTime = 60.0;
    static constexpr const char* geminiModelName = "gemini-2.0-flash";

    // What the monitor works with; unset members take the process-wide ones (the main run loop
    // and its clock, the shared desktop services, the record file in the documents folder, the
    // configured Gemini key and address).
    struct Services {
        RunLoop* runLoop = nullptr;
        const Clock* clock = nullptr;
        Workspace* workspace = nullptr;
        Accessibility* accessibility = nullptr;
        InputActivityTap* inputTap = nullptr;
        std::optional<std::filesystem::path> recordFilePath;
        std::optional<std::string> geminiAPIKey;
        std::optional<std::string> geminiBaseURL;
        ElementTreeLimits treeLimits;
    };

    // Loads the record file, records the application in front and logs the start.
    static std::shared_ptr<ActivityMonitor> create(Services services);
    static std::shared_ptr<ActivityMonitor> create();
    ~ActivityMonitor() override;

    Published<std::vector<std::shared_ptr<ActivityRecord>>> activityRecords{*this, {}};
    Published<bool> needsAccessibilityPermission{*this, false};

    // Checks accessibility trust (prompting the user) and, when trusted, starts watching.
    void startMonitoring();

    // The records of the last `interval` seconds as text for a prompt, oldest first.
    std::string usageSummary(double interval) const;
    // Application changes among the records started in [from, to).
    int appSwitchCount(Date from, Date to) const;
    // The same for each of the ranges [bounds[i], bounds[i + 1]) of ascending `bounds`, sorting once.
    std::vector<int> appSwitchCounts(std::span<const Date> bounds) const;
    // Empties the list and deletes the record file and the archive of days. A window analysis begun
    // before writes nothing.
    void clearAllRecords();
    // The moment as clearAllRecords counts: work that read the records (a report) and ends after a clear
    // read records that are gone.
    ClearMark recordClearMark() const { return clears_.mark(); }
    bool recordsClearedSince(ClearMark mark) const { return clears_.clearedSince(mark); }
    // At quit: credits the current stretch and writes the file once, waiting until it is written, and
    // cancels the window analyses still running (each holds the monitor until it ends).
    void applicationWillTerminate();

    // The steps the platform's events and the timers drive; public so tests can drive them.
    void recordAppSwitch(const RunningApplication& app);
    void accountElapsedTime();
    void checkIdleState();
    void userActivityDetected();
    void reanalyzeCurrentRecord();
    Task<void> analyzeWindowContext(std::shared_ptr<ActivityRecord> record);

    void loadRecords();
    void saveRecords();
    // Waits until the record file holds every save asked for so far.
    void flushRecordFile();

    // Window analyses started and not yet finished.
    std::size_t runningAnalyses() const { return runningAnalyses_; }
    bool isCurrentlyActive() const { return isCurrentlyActive_; }
    const std::string& currentApp() const { return currentApp_; }
    std::optional<Date> lastUpdateTime() const { return lastUpdateTime_; }
    Date lastActivityTime() const { return lastActivityTime_; }
    const std::filesystem::path& fileURL() const { return recordFile_->path(); }
    // The days before the live ones; readable from any thread.
    std::shared_ptr<const ActivityRecordArchive> recordArchive() const;
    // Where the live records begin for a moment: the start of the day before its day.
    static Date liveWindowStart(Date now);
    const genai::GenerativeModel& gemini() const { return *gemini_; }

    struct PrivateTag {};
    ActivityMonitor(PrivateTag, Services services);

private:
    void setupMonitoring();
    void setupEventTap();
    void announceActivityChange();
    void handleActivation(const RunningApplication& app);
    // Whether any time was credited.
    bool creditElapsedTime(Date now);
    // Moves the records that no longer belong to the live window to the archive (queued before the
    // next save).
    void archiveRecordsBeforeLiveWindow(Date now);
    // Starts the analysis of `record` unless one for that same record is still running.
    void startAnalysis(const std::shared_ptr<ActivityRecord>& record);
    Task<void> analyzeThenRelease(std::shared_ptr<ActivityRecord> record);
    Task<std::string> readFrontWindowText(int processIdentifier);

    RunLoop& runLoop_;
    const Clock& clock_;
    Workspace& workspace_;
    Accessibility& accessibility_;
    InputActivityTap& inputTap_;
    ElementTreeLimits treeLimits_;
    std::unique_ptr<ActivityRecordFile> recordFile_;
    std::unique_ptr<BackgroundQueue> treeReader_;

    std::string currentApp_;
    // The record this run saw come to the front: the only one time is credited to. Records loaded
    // from the file belong to earlier runs.
    std::shared_ptr<ActivityRecord> currentRecord_;
    // Records whose window analysis is still running, and the analyses started (those finished are let go
    // as new ones start).
    std::set<UUID> analysingRecords_;
    std::vector<TaskHandle> analyses_;
    std::optional<Date> lastUpdateTime_;
    // A window analysis that began before the last clear writes nothing.
    ClearCount clears_;
    // Seconds credited since the record file was last asked to be written.
    double unsavedTime_ = 0;
    Date lastActivityTime_;
    bool isCurrentlyActive_ = false;
    std::string geminiAPIKey_;
    std::unique_ptr<genai::GenerativeModel> gemini_;

    std::shared_ptr<Timer> updateTimer_;
    std::shared_ptr<Timer> activityTimer_;
    std::shared_ptr<Timer> analysisTimer_;
    Subscription activationObserver_;
    bool eventTapStarted_ = false;
    std::size_t runningAnalyses_ = 0;
};

} // namespace glimmo
