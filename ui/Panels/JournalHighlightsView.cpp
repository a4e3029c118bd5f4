#include "ui/Panels/JournalHighlightsView.h"

#include "platform/view/Controls/Controls.h"
#include "ui/Panels/ReplyMarkdown.h"

#include <utility>

namespace glimmo {

JournalHighlightsView::JournalHighlightsView(Date date, std::shared_ptr<UnifiedActivityService> service,
                                             std::shared_ptr<ContentViewModel> viewModel, Binding<SharedText> journalText,
                                             Color textColor)
    : date(date), unifiedActivityService(service), viewModel(std::move(viewModel)), journalText(std::move(journalText)),
      model([service] { return std::make_shared<JournalHighlightsModel>(service); }), textColor(std::move(textColor)) {}

AnyView JournalHighlightsView::body() const {
    const std::shared_ptr<JournalHighlightsModel> journal = model.get();
    const Binding<SharedText> shared = journalText;
    const Date day = date;
    const std::shared_ptr<ContentViewModel> dayModel = viewModel;
    AnyView content = IfElse(
        journal->isLoading.get(),
        [] {
            return ProgressView().progressViewStyle(ProgressViewStyle::circular).scaleEffect(0.5).frame({.maxWidth = infinity});
        },
        [&] {
            return ReplyMarkdown(journal->journalText.get())
                .textSelection(true)
                .font(Font::system(13))
                .foregroundStyle(HierarchicalShapeStyle::primary)
                .background(Color::windowBackgroundColor())
                .ignoresSafeArea();
        });
    // The layout's copy of the text follows the journal as it is shown.
    return VStack(HorizontalAlignment::leading(), 10, {content})
        .onChange(journal->journalText.get(), [shared](const SharedText&, const SharedText& text) { shared.set(text); })
        .onAppear([shared, journal] { shared.set(journal->journalText.get()); })
        .task([journal, dayModel, day] {
            // Shown in the layout, the journal of a day only passed over is not asked for.
            return journal->generateJournal(day, dayModel ? dayModel->settledOn(day) : Task<void>());
        })
        .id(day);
}

} // namespace glimmo
