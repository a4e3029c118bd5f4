#include "ui/Panels/ReplyMarkdown.h"

#include "RidadoziRI/Views/Markdown.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/view/Controls/Controls.h"

#include <utility>

namespace glimmo {
namespace {

// The renderer's default theme; no base addresses.
AnyView markdownOf(const ShownReply& shown) { return AnyView(ridadozi::Markdown(shown.content)); }

} // namespace

ReplyPreparation::ReplyPreparation() : parser_(std::make_unique<BackgroundQueue>()) {}

ReplyPreparation::~ReplyPreparation() = default;

Task<void> ReplyPreparation::prepare(SharedText reply) {
    const auto self = shared_from_this();
    if (prepared.get() && prepared.get()->reply == reply) co_return;
    // Only the text goes to the parser's thread, and only the finished, immutable result comes back.
    auto parsing = parser_->perform([reply] { return std::make_shared<const Prepared>(Prepared{reply, shownReply(*reply)}); });
    std::shared_ptr<const Prepared> made = co_await std::move(parsing);
    if (co_await isTaskCancelled()) co_return;
    prepared = std::move(made);
}

ReplyMarkdown::ReplyMarkdown(SharedText reply)
    : reply(std::move(reply)), preparation([] { return std::make_shared<ReplyPreparation>(); }) {}

AnyView ReplyMarkdown::body() const {
    if (reply->size() <= parsedAtOnceBytes) return markdownOf(shownReply(*reply));
    const std::shared_ptr<ReplyPreparation> preparing = preparation.get();
    const std::shared_ptr<const ReplyPreparation::Prepared> prepared = preparing->prepared.get();
    const bool ready = prepared && prepared->reply == reply;
    const auto spinner = [] {
        return ProgressView().progressViewStyle(ProgressViewStyle::circular).scaleEffect(0.5).frame({.maxWidth = infinity});
    };
    return IfElse(ready, [&] { return markdownOf(prepared->shown); }, spinner)
        .task(AnyHashable(reply), [preparing, text = reply] { return preparing->prepare(text); });
}

} // namespace glimmo
