#include "app/ActivityMonitor.h"

#include "platform/runtime/BackgroundQueue.h"
#include "app/ActivityRecordArchive.h"
#include "app/ServiceConfiguration.h"
#include "app/SwitchCounts.h"
#include "app/TimeFormatting.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/desktop/Accessibility.h"
#include "platform/desktop/InputActivityTap.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Log.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>

namespace glimmo {
namespace {

// The texts a record holds when no window content was read for it.
bool isUnreadWindowText(const std::string& text) {
    return text == windowTextState::pending || text == windowTextState::notLoaded ||
           text == windowTextState::notFrontmost || text == windowTextState::noContent;
}

std::string replacingNewlines(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        if (c == '\n') {
            result += " | ";
        } else {
            result += c;
        }
    }
    return result;
}

} // namespace

std::shared_ptr<ActivityMonitor> ActivityMonitor::create() {
    return create(Services{});
}

std::shared_ptr<ActivityMonitor> ActivityMonitor::create(Services services) {
    auto monitor = std::make_shared<ActivityMonitor>(PrivateTag{}, std::move(services));
    monitor->loadRecords();
    if (const auto front = monitor->workspace_.frontmostApplication()) {
        monitor->recordAppSwitch(*front);
    }
    systemLog("⭐️ Activity started at " + mediumTimeString(monitor->clock_.now()));
    return monitor;
}

ActivityMonitor::ActivityMonitor(PrivateTag, Services services)
    : runLoop_(services.runLoop ? *services.runLoop : RunLoop::main()),
      clock_(services.clock ? *services.clock : runLoop_.clock()),
      workspace_(services.workspace ? *services.workspace : Workspace::shared()),
      accessibility_(services.accessibility ? *services.accessibility : Accessibility::shared()),
      inputTap_(services.inputTap ? *services.inputTap : InputActivityTap::shared()),
      treeLimits_(services.treeLimits),
      recordFile_(std::make_unique<ActivityRecordFile>(
          services.recordFilePath ? *services.recordFilePath : ActivityRecordFile::defaultPath())),
      treeReader_(std::make_unique<BackgroundQueue>()),
      lastActivityTime_(clock_.now()),
      geminiAPIKey_(services.geminiAPIKey ? *services.geminiAPIKey : ServiceConfiguration::geminiAPIKey()) {
    ServiceConfiguration::checkKeyPresent(geminiAPIKey_, "GEMINI_API_KEY");
    genai::RequestOptions options;
    options.timeout = 300;
    options.apiVersion = "v1beta";
    options.baseURL = services.geminiBaseURL ? *services.geminiBaseURL : ServiceConfiguration::geminiBaseURL();
    gemini_ = std::make_unique<genai::GenerativeModel>(geminiModelName, geminiAPIKey_, std::nullopt, std::nullopt,
                                                       std::nullopt, std::nullopt, std::nullopt, options);
}

ActivityMonitor::~ActivityMonitor() {
    for (const auto& timer : {updateTimer_, activityTimer_, analysisTimer_}) {
        if (timer) {
            timer->invalidate();
        }
    }
    if (eventTapStarted_) {
        inputTap_.stop();
    }
}

void ActivityMonitor::startMonitoring() {
    systemLog("Attempting to start activity monitoring...");
    if (accessibility_.isProcessTrusted(true)) {
        systemLog("Already have accessibility permissions, starting monitoring...");
        setupMonitoring();
    } else {
        systemLog("Accessibility permissions not granted. Monitoring not started.");
        needsAccessibilityPermission = true;
    }
}

void ActivityMonitor::setupMonitoring() {
    needsAccessibilityPermission = false;
    const std::weak_ptr<ActivityMonitor> weakSelf = weak_from_this();
    activationObserver_ = workspace_.observeDidActivateApplication([weakSelf](const RunningApplication& app) {
        if (const auto self = weakSelf.lock()) {
            self->handleActivation(app);
        }
    });
    updateTimer_ = runLoop_.scheduleTimer<ActivityMonitor>(accountingInterval, true, weakSelf,
                                                           [](ActivityMonitor& self) { self.accountElapsedTime(); });
    setupEventTap();
    analysisTimer_ = runLoop_.scheduleTimer<ActivityMonitor>(
        reanalysisInterval, true, weakSelf, [](ActivityMonitor& self) { self.reanalyzeCurrentRecord(); });
}

void ActivityMonitor::setupEventTap() {
    const std::weak_ptr<ActivityMonitor> weakSelf = weak_from_this();
    const bool started = inputTap_.start([weakSelf](InputEventKind) {
        if (const auto self = weakSelf.lock()) {
            self->userActivityDetected();
        }
    });
    if (!started) {
        return;
    }
    eventTapStarted_ = true;
    activityTimer_ = runLoop_.scheduleTimer<ActivityMonitor>(idleCheckInterval, true, weakSelf,
                                                             [](ActivityMonitor& self) { self.checkIdleState(); });
}

void ActivityMonitor::userActivityDetected() {
    lastActivityTime_ = clock_.now();
    if (!isCurrentlyActive_) {
        isCurrentlyActive_ = true;
        announceActivityChange();
    }
}

void ActivityMonitor::checkIdleState() {
    const double idle = clock_.now().timeIntervalSince(lastActivityTime_);
    if (idle >= idleThreshold && isCurrentlyActive_) {
        isCurrentlyActive_ = false;
        announceActivityChange();
    }
}

void ActivityMonitor::announceActivityChange() {
    announceChange();
}

bool ActivityMonitor::creditElapsedTime(Date now) {
    if (!lastUpdateTime_ || !currentRecord_ || activityRecords->empty() || activityRecords->front() != currentRecord_) {
        return false;
    }
    const double elapsed = now.timeIntervalSince(*lastUpdateTime_);
    // The ticks come every few seconds; a longer gap means the machine slept (or the clock was
    // set back), and that time was not spent in the application.
    if (elapsed < 0 || elapsed > idleThreshold) {
        return false;
    }
    ActivityRecord& current = *currentRecord_;
    current.duration = current.duration.get() + elapsed;
    if (isCurrentlyActive_) {
        current.activeTime = current.activeTime.get() + elapsed;
    }
    unsavedTime_ += elapsed;
    return true;
}

void ActivityMonitor::accountElapsedTime() {
    const Date now = clock_.now();
    // Written before the next tick could take the unsaved time past the limit; the writing
    // happens off this thread, so a long stretch in one application costs the interface nothing.
    if (creditElapsedTime(now) && unsavedTime_ + accountingInterval > maxUnsavedTime) {
        saveRecords();
    }
    lastUpdateTime_ = now;
}

void ActivityMonitor::handleActivation(const RunningApplication& app) {
    const std::weak_ptr<ActivityMonitor> weakSelf = weak_from_this();
    runLoop_.post([weakSelf, app] {
        if (const auto self = weakSelf.lock()) {
            self->recordAppSwitch(app);
        }
    });
}

void ActivityMonitor::recordAppSwitch(const RunningApplication& app) {
    const Date now = clock_.now();
    creditElapsedTime(now);
    const std::string name = app.localizedName.empty() ? std::string("Unknown") : app.localizedName;
    if (name != currentApp_ || activityRecords->empty()) {
        currentApp_ = name;
        auto record = std::make_shared<ActivityRecord>(UUID::random(), name, now, windowTextState::pending);
        currentRecord_ = record;
        systemLog("🔄 App switched at " + mediumTimeString(now));
        systemLog("📱 To: " + name);
        activityRecords.modify([&](std::vector<std::shared_ptr<ActivityRecord>>& records) {
            records.insert(records.begin(), record);
        });
        archiveRecordsBeforeLiveWindow(now);
        saveRecords();
        startAnalysis(record);
        announceActivityChange();
    }
    lastUpdateTime_ = now;
}

void ActivityMonitor::reanalyzeCurrentRecord() {
    if (activityRecords->empty()) {
        return;
    }
    const std::shared_ptr<ActivityRecord> record = activityRecords->front();
    const std::string& text = record->windowText.get();
    if (text == windowTextState::pending || text.empty()) {
        // The request for this record may still be waiting (up to its 300 s time-out); a second
        // one would only ask the same question again.
        if (analysingRecords_.count(record->id) != 0) {
            return;
        }
        systemLog("⏱️ Periodic analysis triggered for " + record->appName);
        startAnalysis(record);
    }
}

void ActivityMonitor::startAnalysis(const std::shared_ptr<ActivityRecord>& record) {
    if (!analysingRecords_.insert(record->id).second) {
        return;
    }
    std::erase_if(analyses_, [](const TaskHandle& analysis) { return analysis.isFinished(); });
    analyses_.push_back(startTask(runLoop_, analyzeThenRelease(record)));
}

Task<void> ActivityMonitor::analyzeThenRelease(std::shared_ptr<ActivityRecord> record) {
    const std::shared_ptr<ActivityMonitor> self = shared_from_this();
    struct Release {
        std::set<UUID>& records;
        UUID id;
        ~Release() { records.erase(id); }
    } const release{analysingRecords_, record->id};
    auto analysis = analyzeWindowContext(std::move(record));
    co_await std::move(analysis);
}

Date ActivityMonitor::liveWindowStart(Date now) {
    const Calendar calendar = Calendar::current();
    return calendar.addingDays(calendar.startOfDay(now), -1);
}

std::shared_ptr<const ActivityRecordArchive> ActivityMonitor::recordArchive() const {
    return recordFile_->archive();
}

void ActivityMonitor::archiveRecordsBeforeLiveWindow(Date now) {
    const Date liveStart = liveWindowStart(now);
    const auto leaves = [&](const std::shared_ptr<ActivityRecord>& record) {
        return record->timestamp.get() < liveStart && record != currentRecord_ &&
               analysingRecords_.count(record->id) == 0;
    };
    if (std::none_of(activityRecords->begin(), activityRecords->end(), leaves)) {
        return;
    }
    ActivityRecordSnapshot leaving;
    activityRecords.modify([&](std::vector<std::shared_ptr<ActivityRecord>>& records) {
        std::erase_if(records, [&](const std::shared_ptr<ActivityRecord>& record) {
            if (!leaves(record)) {
                return false;
            }
            leaving.push_back(record->sharedValue());
            return true;
        });
    });
    recordFile_->archiveRecords(std::move(leaving));
}

void ActivityMonitor::loadRecords() {
    // What a load makes of a record, archived or kept: no analysis runs for it any more, and a file
    // written before summaries were capped shrinks.
    const auto prepare = [](ActivityRecordValue& value) {
        if (value.windowText == windowTextState::pending) {
            value.windowText = windowTextState::notLoaded;
        }
        value.windowText = storedWindowText(std::move(value.windowText));
    };
    const std::optional<ActivityRecordSnapshot> loaded = recordFile_->loadLive(liveWindowStart(clock_.now()), prepare);
    if (!loaded) {
        return;
    }
    std::vector<std::shared_ptr<ActivityRecord>> records;
    records.reserve(loaded->size());
    // Each record shares the value the record file holds for it, so a save can tell what changed since.
    for (const auto& value : *loaded) {
        records.push_back(std::make_shared<ActivityRecord>(value));
    }
    activityRecords = std::move(records);
}

void ActivityMonitor::saveRecords() {
    unsavedTime_ = 0;
    recordFile_->save(snapshotOf(activityRecords.get()));
}

void ActivityMonitor::flushRecordFile() {
    recordFile_->flush();
}

std::string ActivityMonitor::usageSummary(double interval) const {
    // The records in memory are the newest state; the file lags behind by the time credited
    // since its last write.
    const Date since = clock_.now().addingTimeInterval(-interval);
    std::string summary = "Computer Usage Activity (since " + shortDateTimeString(since) + "):\n";
    const auto& records = activityRecords.get();
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        const ActivityRecord& record = **it;
        if (record.timestamp.get() < since) {
            continue;
        }
        summary += shortTimeString(record.timestamp.get()) + ": " + record.appName + "\n";
        const std::string& text = record.windowText.get();
        if (!text.empty() && !isUnreadWindowText(text)) {
            summary += "  Context: " + cutText(replacingNewlines(text), 150) + "\n";
        }
    }
    return summary;
}

int ActivityMonitor::appSwitchCount(Date from, Date to) const {
    const Date bounds[] = {from, to};
    return appSwitchCounts(bounds).front();
}

std::vector<int> ActivityMonitor::appSwitchCounts(std::span<const Date> bounds) const {
    std::vector<const ActivityRecord*> inRange;
    for (const auto& record : activityRecords.get()) {
        const Date timestamp = record->timestamp.get();
        if (!bounds.empty() && bounds.front() <= timestamp && timestamp < bounds.back()) {
            inRange.push_back(record.get());
        }
    }
    // Sorted once for all ranges: each range's records keep the order a sort of that range alone gives.
    std::stable_sort(inRange.begin(), inRange.end(), [](const ActivityRecord* a, const ActivityRecord* b) {
        return a->timestamp.get() < b->timestamp.get();
    });
    SwitchCounts switches(bounds);
    for (const ActivityRecord* record : inRange) {
        switches.offer(record->timestamp.get(), record->appName);
    }
    return switches.counts();
}

void ActivityMonitor::clearAllRecords() {
    clears_.cleared();
    activityRecords = {};
    currentRecord_.reset();
    recordFile_->remove();
    announceActivityChange();
}

void ActivityMonitor::applicationWillTerminate() {
    // Without monitoring no tick ever credits time, and the quit must not either.
    if (updateTimer_) {
        accountElapsedTime();
    }
    // The first start after an upgrade converts an older version's record file for seconds; the quit
    // stops it rather than wait (the next start converts again), and this save goes into the days.
    recordFile_->stopConversion();
    saveRecords();
    flushRecordFile();
    // A summary that came later would not be written; the analyses end now and let the monitor go.
    for (const TaskHandle& analysis : analyses_) {
        analysis.cancel();
    }
    analyses_.clear();
}

} // namespace glimmo
