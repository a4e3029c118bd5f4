#pragma once

#include "analysis/SharedText.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"

#include <cstdint>
#include <memory>
#include <string>

namespace glimmo {

class BackgroundQueue;
class ChatViewModel;
class UnifiedActivityService;

// The day's journal behind the journal view: the cached reply while at most 4 hours old,
// otherwise a new one written by the OpenAI Responses API from the day's activity report.
// Create with std::make_shared. Main thread only.
class JournalHighlightsModel : public ObservableObject, public std::enable_shared_from_this<JournalHighlightsModel> {
public:
    static constexpr const char* failurePrefix = "Failed to generate journal entry: ";

    // `chatViewModel` is used only for its OpenAI request; by default a new one over the service
    // with the timeframe "TODAY".
    explicit JournalHighlightsModel(std::shared_ptr<UnifiedActivityService> unifiedActivityService,
                                    std::shared_ptr<ChatViewModel> chatViewModel = nullptr);
    ~JournalHighlightsModel() override;

    // Shared with the cache and the views: a journal may run to megabytes.
    Published<SharedText> journalText{*this, SharedText()};
    Published<bool> isLoading{*this, false};
    const std::shared_ptr<UnifiedActivityService> unifiedActivityService;
    const std::shared_ptr<ChatViewModel> chatViewModel;

    // Shows the journal of the day of `date`. A run overtaken by a later one shows nothing; a
    // journal it received is still cached under its own day. A run overtaken by a clear of the cache
    // shows nothing and caches nothing: its journal was written from what was cleared. `settled`, when
    // given, is awaited before a new journal is asked for (the day's ContentViewModel::settledOn), so
    // that a day only passed over asks for none.
    Task<void> generateJournal(Date date, Task<void> settled = {});

private:
    bool isCurrent(std::uint64_t generation) const { return generation == generation_; }
    // What is shown follows what is stored: once the cache is cleared, no journal of before.
    void forgetClearedJournal();

    std::uint64_t generation_ = 0;
    Subscription cacheCleared_;
    // Writes the prompt around the day's report and spaces the reply: megabytes on a busy day.
    std::unique_ptr<BackgroundQueue> work_;
};

} // namespace glimmo
