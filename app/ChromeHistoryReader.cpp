#include "app/ChromeHistoryReader.h"

#include "platform/runtime/BackgroundQueue.h"
#include "app/ChromeHistoryReaderLoad.h"
#include "app/SwitchCounts.h"
#include "app/TimeFormatting.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TimestampFormatter.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <mutex>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

std::mutex& gateMutex() {
    static std::mutex mutex;
    return mutex;
}

std::optional<Date>& lastLoad() {
    static std::optional<Date> date;
    return date;
}

// The address cut to its first 100 characters and "...", when it is longer.
void appendCutURL(const std::string& url, std::string& out) {
    if (std::optional<std::string> cut = prefixGraphemesIfLonger(url, 100)) {
        out += *cut;
        out += "...";
    } else {
        out += url;
    }
}

// The lines of `text` that hold something, `text` starting a line.
std::size_t nonEmptyLineCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        count += end > start ? 1 : 0;
        start = end + 1;
    }
    return count;
}

// What a load said, which tells one failure from another.
std::string wordsOf(const std::vector<HistoryLoadOutcome::Line>& lines) {
    std::string words;
    for (const HistoryLoadOutcome::Line& line : lines) {
        words += line.text;
        words += '\n';
    }
    return words;
}

} // namespace

// Shared with the loader's completion, which may reach the main loop after the reader is gone.
// Only the reader holds it: a task waiting for the load must not keep its continuation alive, so
// that the task learns when the reader goes. Main thread only, but for the waiters, one of which a
// cancellation on another thread may take.
struct ChromeHistoryReader::LoadState {
    ChromeHistoryReader* reader = nullptr;
    bool running = false;
    std::mutex waitersMutex;
    std::uint64_t nextWaiter = 0;
    std::map<std::uint64_t, Continuation<void>> waiters;
    // The source as it was when a load refused it: left alone until it changes.
    std::optional<HistorySourceIdentity> refused;
    // The failures of loads since the last that succeeded.
    RepeatedFailureLog failures;
};

ChromeHistoryReader::ChromeHistoryReader() : ChromeHistoryReader(RunLoop::main().clock(), Workspace::shared()) {}

ChromeHistoryReader::ChromeHistoryReader(const Clock& clock, Workspace& workspace,
                                         std::optional<fs::path> sourcePath, std::optional<fs::path> destinationPath,
                                         HistoryReadLimits limits)
    : clock_(clock), workspace_(workspace), sourcePath_(sourcePath ? *sourcePath : defaultSourcePath()),
      destinationPath_(destinationPath ? *destinationPath : defaultDestinationPath()), limits_(limits),
      loadState_(std::make_shared<LoadState>()), loader_(std::make_unique<BackgroundQueue>()) {
    loadState_->reader = this;
    systemLog("⭐️ history loaded started at " + mediumTimeString(clock_.now()));
}

ChromeHistoryReader::~ChromeHistoryReader() {
    loadState_->reader = nullptr;
    abandoned_->store(true);
    loader_.reset();
}

fs::path ChromeHistoryReader::defaultSourcePath() {
    return homeDirectory() / ".config" / "google-chrome" / "Default" / "History";
}

fs::path ChromeHistoryReader::defaultDestinationPath() {
    return applicationDataDirectory() / copyFileName;
}

std::optional<Date> ChromeHistoryReader::lastLoadTime() {
    const std::lock_guard lock(gateMutex());
    return lastLoad();
}

void ChromeHistoryReader::resetLastLoadTimeForTesting() {
    const std::lock_guard lock(gateMutex());
    lastLoad().reset();
}

bool ChromeHistoryReader::isChromeRunning() const {
    for (const RunningApplication& app : workspace_.runningApplications()) {
        const std::string id = lowercased(app.bundleIdentifier);
        if (id == "com.google.chrome" || id.rfind("google-chrome", 0) == 0) {
            return true;
        }
    }
    return false;
}

bool ChromeHistoryReader::isLoading() const {
    return loadState_->running;
}

void ChromeHistoryReader::removeHistoryCopy() {
    const auto remove = [](const fs::path& destination) {
        std::error_code ignored;
        fs::remove(destination, ignored);
    };
    remove(destinationPath_);
    if (loadState_->running) {
        // The load that runs would leave a new copy behind: remove that one too, once it is done.
        loader_->post([remove, destination = destinationPath_] { remove(destination); });
    }
}

void ChromeHistoryReader::copyAndLoadHistory() {
    startLoad();
}

Task<void> ChromeHistoryReader::reloadHistory() {
    if (!startLoad()) {
        co_return;
    }
    // A cancelled waiter goes on at once; the load itself runs to its end for the others.
    const std::weak_ptr<LoadState> state = loadState_;
    const std::uint64_t waiter = loadState_->nextWaiter++;
    auto loaded = withContinuation<void>(
        [state, waiter](Continuation<void> continuation) {
            if (const auto loadState = state.lock()) {
                const std::lock_guard lock(loadState->waitersMutex);
                loadState->waiters.emplace(waiter, std::move(continuation));
            }
        },
        [state, waiter] {
            std::optional<Continuation<void>> cancelled;
            if (const auto loadState = state.lock()) {
                const std::lock_guard lock(loadState->waitersMutex);
                if (const auto found = loadState->waiters.find(waiter); found != loadState->waiters.end()) {
                    cancelled = std::move(found->second);
                    loadState->waiters.erase(found);
                }
            }
            if (cancelled) {
                cancelled->resumeThrowing(std::make_exception_ptr(CancellationError{}));
            }
        });
    co_await std::move(loaded);
}

bool ChromeHistoryReader::startLoad() {
    if (loadState_->running) {
        return true;
    }
    const Date now = clock_.now();
    if (const auto last = lastLoadTime(); last && now.timeIntervalSince(*last) < reloadInterval) {
        return false;
    }
    loadState_->running = true;
    HistoryLoadRequest request{sourcePath_, destinationPath_, isChromeRunning(), now, limits_, abandoned_,
                               loadState_->refused};
    RunLoop& mainLoop = RunLoop::main();
    loader_->post([request = std::move(request), &mainLoop, state = std::weak_ptr<LoadState>(loadState_)] {
        auto outcome = std::make_shared<HistoryLoadOutcome>(loadHistoryCopy(request));
        mainLoop.post([state, outcome] {
            if (const auto loadState = state.lock(); loadState && loadState->reader) {
                loadState->reader->finishLoad(std::move(*outcome));
            }
        });
    });
    return true;
}

void ChromeHistoryReader::finishLoad(HistoryLoadOutcome outcome) {
    if (outcome.items) {
        loadState_->failures.succeeded();
    }
    // A failure that comes back with every load (a History that is not there, asked for with each report)
    // is said once, until a load succeeds. A History refused is read again only once it has changed, and
    // said again then.
    bool said = true;
    if (!outcome.items && !outcome.lines.empty()) {
        said = loadState_->failures.isNewFailure(wordsOf(outcome.lines)) || outcome.refused;
    }
    if (said) {
        for (const HistoryLoadOutcome::Line& line : outcome.lines) {
            (line.toStandardOutput ? printLine : systemLog)(line.text);
        }
    }
    loadState_->refused = outcome.refused;
    if (outcome.items) {
        // The lists they replace go on the loader thread: freeing a large history takes a while.
        historyItems.modify([&](std::vector<HistoryItem>& items) { items.swap(*outcome.items); });
        googleSearches.modify([&](std::vector<std::string>& searches) { searches.swap(outcome.searches); });
        loader_->post([replaced = std::make_shared<HistoryLoadOutcome>(std::move(outcome))] {});
        {
            const std::lock_guard lock(gateMutex());
            lastLoad() = clock_.now();
        }
        systemLog("--- Finished Chrome History Load ---\n");
    }
    loadState_->running = false;
    std::map<std::uint64_t, Continuation<void>> waiters;
    {
        const std::lock_guard lock(loadState_->waitersMutex);
        waiters.swap(loadState_->waiters);
    }
    for (const auto& [id, waiter] : waiters) {
        waiter.resume();
    }
}

std::vector<std::string> ChromeHistoryReader::extractSearches(const std::vector<HistoryItem>& items) {
    return extractSearches(std::span<const HistoryItem>(items));
}

std::vector<std::string> ChromeHistoryReader::extractSearches(std::span<const HistoryItem> items) {
    std::vector<std::string> searches;
    for (const HistoryItem& item : items) {
        // A host that contains the domain means an address that does: most visits stop here, at the host
        // where the load worked it out.
        const std::string& hostOrAddress = item.host ? *item.host : item.url;
        if (hostOrAddress.find(searchEngineDomain) == std::string::npos) {
            continue;
        }
        const std::optional<URL> url = URL::parse(item.url);
        if (!url) {
            continue;
        }
        const std::optional<std::string> host = url->host();
        if (!host || host->find(searchEngineDomain) == std::string::npos) {
            continue;
        }
        if (std::optional<std::string> term = url->queryValue("q")) {
            searches.push_back(std::move(*term));
        }
    }
    return searches;
}

std::string ChromeHistoryReader::historySummary(const std::string& timeframe, std::size_t nonEmptyLines) const {
    const Date now = clock_.now();
    const Calendar calendar = Calendar::current();
    // The visits at or after `since` and before `until` pass.
    Date since;
    std::optional<Date> until;
    if (timeframe == "WEEK") {
        since = calendar.addingDays(now, -7);
    } else if (timeframe == "MONTH") {
        since = calendar.addingMonths(now, -1);
    } else {
        since = calendar.startOfDay(now);
        until = calendar.startOfNextDay(now);
    }
    std::string summary = "Recent Chrome Web Activity:\n---\n";
    std::size_t lines = 2;
    TimestampFormatter timestamps;
    bool first = true;
    for (const HistoryItem& item : historyItems.get()) {
        if (lines >= nonEmptyLines) {
            break;
        }
        if (item.lastVisit < since || (until && !(item.lastVisit < *until))) {
            continue;
        }
        // Each visit starts a line, so the lines it adds are whole (a title may hold line feeds).
        const std::size_t start = summary.size();
        if (!first) {
            summary += "\n";
        }
        first = false;
        timestamps.append(item.lastVisit, summary);
        summary += ": ";
        summary += item.title;
        summary += " (";
        appendCutURL(item.url, summary);
        summary += ")";
        lines += nonEmptyLineCount(std::string_view(summary).substr(start));
    }
    return summary;
}

int ChromeHistoryReader::siteSwitchCount(Date from, Date to) const {
    const Date bounds[] = {from, to};
    return siteSwitchCounts(bounds).front();
}

std::vector<int> ChromeHistoryReader::siteSwitchCounts(std::span<const Date> bounds) const {
    SwitchCounts switches(bounds);
    for (const HistoryItem& item : historyItems.get()) {
        if (item.host) {
            switches.offer(item.lastVisit, *item.host);
        }
    }
    return switches.counts();
}

} // namespace glimmo
