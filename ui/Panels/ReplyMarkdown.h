#pragma once

// A reply shown as Markdown, the one way the application shows one: only its excerpt, with a line
// saying how much was left out (ShownReply). A short reply is parsed at once; a longer one is parsed
// on a thread of its own, with a small spinner meanwhile, so the main loop never waits for the parser
// and lays out no more than the excerpt. The reply is shared, not copied, and told from another by
// being the same text: however long it is, the main loop neither copies nor reads it whole.

#include "analysis/SharedText.h"
#include "platform/runtime/Observable.h"
#include "platform/runtime/Task.h"
#include "platform/view/ViewKit.h"
#include "ui/Panels/ShownReply.h"

#include <cstddef>
#include <memory>

namespace glimmo {

class BackgroundQueue;

// The shown form of the reply a ReplyMarkdown last asked for, made off the main loop.
class ReplyPreparation : public ObservableObject, public std::enable_shared_from_this<ReplyPreparation> {
public:
    struct Prepared {
        SharedText reply;
        ShownReply shown;
    };

    ReplyPreparation();
    ~ReplyPreparation() override;

    Published<std::shared_ptr<const Prepared>> prepared{*this, nullptr};

    Task<void> prepare(SharedText reply);

private:
    std::unique_ptr<BackgroundQueue> parser_;
};

struct ReplyMarkdown : View<ReplyMarkdown> {
    // Parsing this much takes a few milliseconds whatever it holds.
    static constexpr std::size_t parsedAtOnceBytes = 16 * 1024;

    explicit ReplyMarkdown(SharedText reply);

    SharedText reply;
    StateObject<ReplyPreparation> preparation;

    AnyView body() const;
};

} // namespace glimmo
