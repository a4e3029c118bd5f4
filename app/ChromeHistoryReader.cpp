#include "app/ChromeHistoryReader.h"

#include "app/BackgroundQueue.h"
#include "app/ChromeHistoryReaderLoad.h"
#include "app/TimeFormatting.h"
#include "app/URLHost.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/DateFormatting.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/runtime/RunLoop.h"

#include <cmath>
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

std::string cutURL(const std::string& url) {
    // A text of at most 100 bytes has at most 100 characters; only longer ones need counting.
    if (url.size() > 100 && graphemeCount(url) > 100) {
        return prefixGraphemes(url, 100) + "...";
    }
    return url;
}

} // namespace

// Shared with the loader's completion, which may reach the main loop after the reader is gone.
struct ChromeHistoryReader::LoadState {
    ChromeHistoryReader* reader = nullptr;
    bool running = false;
    std::vector<Continuation<void>> waiters;
};

ChromeHistoryReader::ChromeHistoryReader() : ChromeHistoryReader(RunLoop::main().clock(), Workspace::shared()) {}

ChromeHistoryReader::ChromeHistoryReader(const Clock& clock, Workspace& workspace,
                                         std::optional<fs::path> sourcePath, std::optional<fs::path> destinationPath)
    : clock_(clock), workspace_(workspace), sourcePath_(sourcePath ? *sourcePath : defaultSourcePath()),
      destinationPath_(destinationPath ? *destinationPath : fs::path()), loadState_(std::make_shared<LoadState>()),
      loader_(std::make_unique<BackgroundQueue>()) {
    loadState_->reader = this;
    if (!destinationPath) {
        try {
            destinationPath_ = defaultDestinationPath();
        } catch (const std::exception&) {
            // The private temporary directory cannot be made now; the next load tries again and
            // reports why. The application must still start.
        }
    }
    systemLog("⭐️ history loaded started at " + mediumTimeString(clock_.now()));
}

ChromeHistoryReader::~ChromeHistoryReader() {
    loadState_->reader = nullptr;
    loader_.reset();
}

fs::path ChromeHistoryReader::defaultSourcePath() {
    return homeDirectory() / ".config" / "google-chrome" / "Default" / "History";
}

fs::path ChromeHistoryReader::defaultDestinationPath() {
    return temporaryDirectory() / copyFileName;
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
        if (!destination.empty()) {
            fs::remove(destination, ignored);
        }
    };
    remove(destinationPath_);
    if (loadState_->running) {
        // The load that runs would leave a new copy behind: remove that one too, once it is done.
        loader_->post([remove, destination = destinationPath_] {
            try {
                remove(destination.empty() ? defaultDestinationPath() : destination);
            } catch (const std::exception&) {
                // No private temporary folder: no copy in it either.
            }
        });
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
    auto waiting = std::make_shared<std::optional<Continuation<void>>>();
    auto loaded = withContinuation<void>(
        [state = loadState_, waiting](Continuation<void> continuation) {
            *waiting = continuation;
            state->waiters.push_back(std::move(continuation));
        },
        [waiting] { (*waiting)->resumeThrowing(std::make_exception_ptr(CancellationError{})); });
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
    HistoryLoadRequest request{sourcePath_, destinationPath_, isChromeRunning(), now};
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
    if (!outcome.destination.empty()) {
        destinationPath_ = std::move(outcome.destination);
    }
    for (const HistoryLoadOutcome::Line& line : outcome.lines) {
        (line.toStandardOutput ? printLine : systemLog)(line.text);
    }
    if (outcome.items) {
        historyItems = std::move(*outcome.items);
        googleSearches = std::move(outcome.searches);
        {
            const std::lock_guard lock(gateMutex());
            lastLoad() = clock_.now();
        }
        systemLog("--- Finished Chrome History Load ---\n");
    }
    loadState_->running = false;
    for (const Continuation<void>& waiter : std::exchange(loadState_->waiters, {})) {
        waiter.resume();
    }
}

std::vector<std::string> ChromeHistoryReader::extractSearches(const std::vector<HistoryItem>& items) {
    std::vector<std::string> searches;
    for (const HistoryItem& item : items) {
        const std::optional<URL> url = URL::parse(item.url);
        if (!url) {
            continue;
        }
        const std::optional<std::string> host = url->host();
        if (!host || host->find(searchEngineDomain) == std::string::npos) {
            continue;
        }
        for (const URLQueryItem& query : url->queryItems()) {
            if (query.name == "q") {
                if (query.value) {
                    searches.push_back(*query.value);
                }
                break;
            }
        }
    }
    return searches;
}

std::string ChromeHistoryReader::historySummary(const std::string& timeframe) const {
    const Date now = clock_.now();
    const Calendar calendar = Calendar::current();
    std::function<bool(Date)> passes;
    if (timeframe == "WEEK") {
        const Date since = calendar.addingDays(now, -7);
        passes = [since](Date visit) { return visit >= since; };
    } else if (timeframe == "MONTH") {
        const Date since = calendar.addingMonths(now, -1);
        passes = [since](Date visit) { return visit >= since; };
    } else {
        passes = [&calendar, now](Date visit) { return calendar.isDate(visit, now); };
    }
    std::string summary = "Recent Chrome Web Activity:\n---\n";
    bool first = true;
    for (const HistoryItem& item : historyItems.get()) {
        if (!passes(item.lastVisit)) {
            continue;
        }
        if (!first) {
            summary += "\n";
        }
        first = false;
        summary += timestampString(item.lastVisit) + ": " + item.title + " (" + cutURL(item.url) + ")";
    }
    return summary;
}

int ChromeHistoryReader::siteSwitchCount(Date from, Date to) const {
    std::string previous;
    int count = 0;
    for (const HistoryItem& item : historyItems.get()) {
        if (item.lastVisit < from || !(item.lastVisit < to)) {
            continue;
        }
        const std::optional<std::string> host = hostOfVisitedURL(item.url);
        if (!host) {
            continue;
        }
        if (*host != previous) {
            if (!previous.empty()) {
                ++count;
            }
            previous = *host;
        }
    }
    return count;
}

} // namespace glimmo
