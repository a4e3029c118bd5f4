#include "analysis/JournalHighlightsModel.h"

#include "analysis/AnalysisSupport.h"
#include "analysis/ChatViewModel.h"
#include "analysis/JournalPrompt.h"
#include "analysis/JournalPromptCache.h"
#include "analysis/ReportPrompt.h"
#include "app/UnifiedActivityService.h"
#include "platform/foundation/Calendar.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/runtime/RunLoop.h"

namespace glimmo {

JournalHighlightsModel::JournalHighlightsModel(std::shared_ptr<UnifiedActivityService> service,
                                               std::shared_ptr<ChatViewModel> chat)
    : unifiedActivityService(service),
      chatViewModel(chat ? std::move(chat) : std::make_shared<ChatViewModel>(service, "TODAY")),
      cacheCleared_(JournalPromptCache::shared().didClear.connect([this] { forgetClearedJournal(); })),
      work_(std::make_unique<BackgroundQueue>()) {}

JournalHighlightsModel::~JournalHighlightsModel() = default;

void JournalHighlightsModel::forgetClearedJournal() {
    ++generation_;
    journalText = SharedText();
    isLoading = false;
}

Task<void> JournalHighlightsModel::generateJournal(Date date, Task<void> settled) {
    const auto self = shared_from_this();
    const std::uint64_t generation = ++generation_;
    isLoading = true;
    JournalPromptCache& cache = JournalPromptCache::shared();
    // The journal is asked for from here on: a clear after this point refuses it.
    const ClearMark requested = cache.clearMark();

    const Calendar calendar = Calendar::current();
    const Date dayStart = calendar.startOfDay(date);
    const Date dayEnd = calendar.startOfNextDay(dayStart);

    // A year of journals read from the file is decoded here, off the main loop, once per process.
    auto preparing = cache.prepare(*work_);
    co_await std::move(preparing);
    if (const auto [cached, expired] = cache.getResponse(date); cached && !expired) {
        journalText = *cached;
        isLoading = false;
        co_return;
    }

    if (settled.isValid()) {
        co_await std::move(settled);
    }

    // The old journal goes at the next turn of the loop, unless this run has already ended by then.
    const auto ended = std::make_shared<bool>(false);
    const std::weak_ptr<JournalHighlightsModel> weakSelf = self;
    RunLoop::main().post([weakSelf, generation, ended] {
        if (const auto model = weakSelf.lock(); model && model->isCurrent(generation) && !*ended) {
            model->journalText = SharedText();
        }
    });

    auto reportTask = unifiedActivityService->generateReport(dayStart, dayEnd);
    UnifiedActivityReport report = co_await std::move(reportTask);
    auto writing =
        reportPrompt(*work_, std::move(report), [](std::string reportText) { return journalRequestText(reportText); });
    std::string prompt = co_await std::move(writing);

    // Without a key the reply is the advice text: shown as it is, never kept as a journal.
    const bool keyConfigured = chatViewModel->hasAPIKey();
    std::string answer;
    std::string failure;
    bool cancelled = false;
    try {
        auto request = chatViewModel->fetchOpenAIResponse(std::move(prompt), "");
        answer = co_await std::move(request);
    } catch (const CancellationError&) {
        cancelled = true;
    } catch (const std::exception& error) {
        failure = failurePrefix + localizedDescription(error);
    }

    SharedText reply;
    if (!cancelled && failure.empty() && keyConfigured) {
        auto spacing = work_->perform([answer = std::move(answer)] { return SharedText(spaceJournalBullets(answer)); });
        reply = co_await std::move(spacing);
        cache.saveResponse(reply, date, requested);
    } else {
        reply = SharedText(std::move(answer));
    }
    *ended = true;
    if (!isCurrent(generation)) {
        co_return;
    }
    if (!cancelled) {
        journalText = failure.empty() ? std::move(reply) : SharedText(std::move(failure));
    }
    isLoading = false;
}

} // namespace glimmo
