#include "bench/ReplyViews.h"

#include "analysis/JournalPromptCache.h"
#include "platform/runtime/RunLoop.h"
#include "platform/view/ScrollView.h"
#include "ui/Panels/ChatView.h"
#include "ui/Panels/JournalHighlightsView.h"

#include <vector>

namespace glimmo::bench {

std::function<AnyView()> journalShowing(const std::string& reply, const std::shared_ptr<UnifiedActivityService>& service) {
    const Date day = RunLoop::main().now();
    JournalPromptCache::shared().saveResponse(reply, day);
    auto journalText = std::make_shared<SharedText>();
    const Binding<SharedText> binding([journalText] { return *journalText; },
                                      [journalText](SharedText text) { *journalText = std::move(text); });
    return [day, service, binding] { return AnyView(ScrollView(AnyView(JournalHighlightsView(day, service, nullptr, binding)))); };
}

std::function<AnyView()> chatShowing(const std::string& reply, const std::shared_ptr<UnifiedActivityService>& service) {
    const auto model = std::make_shared<ChatViewModel>(service, "TODAY");
    model->messages = std::vector<ChatMessage>{{UUID::random(), ChatMessage::SenderRole::user, "What did I do?", false},
                                               {UUID::random(), ChatMessage::SenderRole::assistant, reply, false}};
    return [model] { return AnyView(ChatView([model] { return model; }, "TODAY")); };
}

} // namespace glimmo::bench
