#pragma once

// The day's journal under the journal layout's highlights heading: the cached reply while at most
// 4 hours old, otherwise a new one; a small spinner while it is produced, then the text as Markdown
// (as much of it as ReplyMarkdown shows) with text selection.

#include "analysis/ContentViewModel.h"
#include "analysis/JournalHighlightsModel.h"
#include "app/UnifiedActivityService.h"
#include "platform/runtime/Date.h"
#include "platform/view/ViewKit.h"

#include <memory>

namespace glimmo {

struct JournalHighlightsView : View<JournalHighlightsView> {
    JournalHighlightsView(Date date, std::shared_ptr<UnifiedActivityService> unifiedActivityService,
                          std::shared_ptr<ContentViewModel> viewModel, Binding<SharedText> journalText,
                          Color textColor = Color::labelColor());

    Date date;
    std::shared_ptr<UnifiedActivityService> unifiedActivityService;
    std::shared_ptr<ContentViewModel> viewModel;
    // Belongs to the layout, which copies it with the day's summary.
    Binding<SharedText> journalText;
    // The generation, the cache look-up and the chat model used for the request, per identity.
    StateObject<JournalHighlightsModel> model;
    Color textColor;

    AnyView body() const;
};

} // namespace glimmo
