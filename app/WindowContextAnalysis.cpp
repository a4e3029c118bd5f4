// The window context analysis: what the front window of a record's application shows, summarised
// by the AI service into the record's window text.
#include "app/ActivityMonitor.h"

#include "platform/runtime/BackgroundQueue.h"
#include "generative-ai/GenerativeModel.h"
#include "platform/desktop/Accessibility.h"
#include "platform/desktop/Workspace.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

namespace glimmo {

Task<std::string> ActivityMonitor::readFrontWindowText(int processIdentifier) {
    // Element reads block, so the walk runs on the reader thread while the main loop goes on.
    Accessibility* accessibility = &accessibility_;
    const ElementTreeLimits limits = treeLimits_;
    auto read = treeReader_->perform([accessibility, processIdentifier, limits] {
        return firstWindowText(*accessibility, processIdentifier, limits);
    });
    co_return co_await std::move(read);
}

Task<void> ActivityMonitor::analyzeWindowContext(std::shared_ptr<ActivityRecord> record) {
    // Keeps the monitor alive while the analysis waits.
    const std::shared_ptr<ActivityMonitor> self = shared_from_this();
    struct RunningCount {
        explicit RunningCount(std::size_t& count) : count(count) { ++count; }
        ~RunningCount() { --count; }
        RunningCount(const RunningCount&) = delete;
        RunningCount& operator=(const RunningCount&) = delete;
        std::size_t& count;
    } const running(runningAnalyses_);
    // A reply that comes after "Clear All Data" must not bring the cleared records back into the file.
    const ClearMark mark = clears_.mark();

    const std::optional<RunningApplication> front = workspace_.frontmostApplication();
    if (!front || front->localizedName.empty() || front->localizedName != record->appName) {
        systemLog("🌬️ Skipping Gemini analysis: App " + record->appName +
                  " is no longer frontmost or doesn't match record.");
        if (record->windowText.get() == windowTextState::pending) {
            record->windowText = windowTextState::notFrontmost;
            announceActivityChange();
            saveRecords();
        }
        co_return;
    }
    const std::string name = front->localizedName;
    systemLog("🧠 Requesting UI tree for " + name + " for Gemini analysis...");

    std::string tree;
    if (lowercased(name).find("loginwindow") == std::string::npos) {
        try {
            auto read = readFrontWindowText(front->processIdentifier);
            tree = co_await std::move(read);
        } catch (const CancellationError&) {
            throw;
        } catch (const std::exception&) {
            tree.clear();
        }
    }
    if (clears_.clearedSince(mark)) {
        co_return;
    }
    if (tree.empty()) {
        systemLog("🤷 No UI tree data to analyze for " + name + ".");
        record->windowText = windowTextState::noContent;
        announceActivityChange();
        saveRecords();
        co_return;
    }

    const std::string prompt = windowContextPrompt(tree);
    systemLog("✨ Sending prompt to Gemini for " + name + ". Prompt length: " + std::to_string(graphemeCount(prompt)) +
              " chars.");

    std::optional<std::string> failure;
    std::optional<std::string> text;
    try {
        if (geminiAPIKey_.empty()) {
            throw genai::GenerateContentError::invalidAPIKey("no Gemini API key is configured (GEMINI_API_KEY)");
        }
        auto request = gemini_->generateContent(prompt);
        const genai::GenerateContentResponse response = co_await std::move(request);
        text = response.text();
    } catch (const CancellationError&) {
        throw;
    } catch (const std::exception& error) {
        failure = error.what();
    }

    if (clears_.clearedSince(mark)) {
        co_return;
    }
    if (failure) {
        record->windowText = storedWindowText(std::string(windowTextState::errorPrefix) + cutText(*failure, 100));
    } else if (text && !text->empty()) {
        systemLog("✅ Gemini analysis successful for " + name + ". Response:\n" + cutText(*text, 500));
        record->windowText = storedWindowText(std::move(*text));
    } else {
        systemLog("⚠️ Gemini response was empty or nil for " + name + ".");
        record->windowText = windowTextState::noText;
    }
    announceActivityChange();
    saveRecords();
}

} // namespace glimmo
