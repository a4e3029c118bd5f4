#include "ui/Panels/ReplyMarkdown.h"

#include "RidadoziRI/Views/Markdown.h"
#include "platform/runtime/BackgroundQueue.h"
#include "platform/view/Controls/Controls.h"

#include <functional>
#include <utility>

namespace glimmo {
namespace {

// The renderer's default theme; no base addresses.
AnyView markdownOf(const ShownReply& shown) { return AnyView(ridadozi::Markdown(shown.content)); }

} // namespace

ReplyPreparation::ReplyPreparation() : parser_(std::make_unique<BackgroundQueue>()) {}

ReplyPreparation::~ReplyPreparation() = default;

Task<void> ReplyPreparation::prepare(std::shared_ptr<const std::string> reply, std::size_t key) {
    const auto self = shared_from_this();
    if (prepared.get() && prepared.get()->key == key) co_return;
    // Only the text goes to the parser's thread, and only the finished, immutable result comes back.
    auto parsing =
        parser_->perform([reply, key] { return std::make_shared<const Prepared>(Prepared{key, shownReply(*reply)}); });
    std::shared_ptr<const Prepared> made = co_await std::move(parsing);
    if (co_await isTaskCancelled()) co_return;
    prepared = std::move(made);
}

ReplyMarkdown::ReplyMarkdown(std::string reply)
    : reply(std::move(reply)), preparation([] { return std::make_shared<ReplyPreparation>(); }) {}

AnyView ReplyMarkdown::body() const {
    if (reply.size() <= parsedAtOnceBytes) return markdownOf(shownReply(reply));
    const std::shared_ptr<ReplyPreparation> preparing = preparation.get();
    const std::size_t key = std::hash<std::string>{}(reply);
    const std::shared_ptr<const ReplyPreparation::Prepared> prepared = preparing->prepared.get();
    const bool ready = prepared && prepared->key == key;
    const auto text = std::make_shared<const std::string>(reply);
    const auto spinner = [] {
        return ProgressView().progressViewStyle(ProgressViewStyle::circular).scaleEffect(0.5).frame({.maxWidth = infinity});
    };
    return IfElse(ready, [&] { return markdownOf(prepared->shown); }, spinner)
        .task(AnyHashable(key), [preparing, text, key] { return preparing->prepare(text, key); });
}

} // namespace glimmo
