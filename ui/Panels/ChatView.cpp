#include "ui/Panels/ChatView.h"

#include "platform/view/Controls/Controls.h"
#include "ui/Panels/ReplyText.h"

#include <utility>

namespace glimmo {
namespace {

// The messages as the view compares them (by ChatMessage equality), without copying them.
struct Conversation {
    std::shared_ptr<const std::vector<ChatMessage>> list;
    bool operator==(const Conversation& other) const { return list == other.list || *list == *other.list; }
};

} // namespace

AnyView MessageView::body() const {
    const bool isUser = message.role == ChatMessage::SenderRole::user;
    const HorizontalAlignment side = isUser ? HorizontalAlignment::trailing() : HorizontalAlignment::leading();
    const Alignment frameAlignment = isUser ? Alignment::trailing() : Alignment::leading();

    AnyView content = message.isLoading
        ? ProgressView().progressViewStyle(ProgressViewStyle::circular).scaleEffect(0.7).frame(50, 20)
        : (isUser ? Text::verbatim(message.content) : replyText(message.content))
              .padding(10)
              .background(isUser ? Color::blue().opacity(0.8) : Color::gray().opacity(0.3))
              .foregroundColor(isUser ? Color::white() : Color::primary())
              .clipShape(AnyShape(RoundedRectangle(12, Path::RoundedCornerStyle::continuous)))
              .textSelection(true);
    AnyView column = VStack(side, std::nullopt, {content}).frame({.maxWidth = maxBubbleWidth, .alignment = frameAlignment});

    return isUser ? HStack({Spacer(), column}) : HStack({column, Spacer()});
}

ChatView::ChatView(std::shared_ptr<UnifiedActivityService> unifiedActivityService, std::string timeframe)
    : ChatView(
          [service = std::move(unifiedActivityService), timeframe] { return std::make_shared<ChatViewModel>(service, timeframe); },
          timeframe) {}

ChatView::ChatView(std::function<std::shared_ptr<ChatViewModel>()> makeViewModel, std::string timeframe)
    : viewModel(std::move(makeViewModel)), timeframe(std::move(timeframe)) {}

bool ChatView::canSend(const ChatViewModel& model) {
    return !model.currentInput->empty() && !model.isLoading.get();
}

AnyView ChatView::body() const {
    const std::shared_ptr<ChatViewModel> model = viewModel.get();
    // One copy, shared by what the body builds: a conversation of long replies runs to megabytes.
    const Conversation messages{std::make_shared<const std::vector<ChatMessage>>(model->messages.get())};
    const FocusState focus = isInputFocused;

    AnyView conversation = ScrollViewReader([model, messages](const ScrollViewProxy& proxy) {
        AnyView column = VStack(HorizontalAlignment::center(), 15,
                                {Spacer(0), ForEach(*messages.list, [](const ChatMessage& m) { return MessageView{{}, m}; })})
                             .padding(EdgeSet::horizontal())
                             .frame({.maxWidth = infinity, .minHeight = 500, .alignment = Alignment::bottom()});
        return ScrollView(AxisSet::vertical(), true, column)
            .frame(std::nullopt, conversationHeight)
            .onChange(messages, [model, proxy] {
                if (model->messages->empty()) return;
                const UUID last = model->messages->back().id;
                withAnimation(Animation::easeOut(0.3), [&] { proxy.scrollTo(last, UnitPoint::bottom()); });
            });
    });

    const bool sendable = canSend(*model);
    AnyView field = onSubmit(textFieldStyle(TextField(placeholder, Binding<std::string>([model] { return model->currentInput.get(); },
                                                               [model](std::string text) { model->currentInput = std::move(text); }),
                              Axis::vertical)
                                       .lineLimit(1, 5),
                                   TextFieldStyle::plain)
                        .padding(8)
                        .background(Color::textBackgroundColor())
                        .clipShape(AnyShape(RoundedRectangle(8, Path::RoundedCornerStyle::continuous)))
                        .focused(focus.binding()),
                                     [model] {
                                         if (!model->isLoading.get()) model->sendMessage();
                                     })
                        .accessibilityLabel("chat input");
    AnyView send = Button(
                       [model, focus] {
                           model->sendMessage();
                           focus.set(false);
                       },
                       Image::systemName("arrow.up.circle.fill")
                           .font(Font::title2())
                           .foregroundColor(sendable ? Color::blue() : Color::gray()))
                       .buttonStyle(AnyButtonStyle::plain())
                       .disabled(!sendable)
                       .accessibilityLabel("send");

    AnyView inputBar = HStack(VerticalAlignment::center(), 10, {field, send})
                           .padding(EdgeSet::horizontal())
                           .padding(EdgeSet::vertical(), 4)
                           .background(AnyShapeStyle(Material::ultraThinMaterial))
                           .ignoresSafeArea();

    return VStack(HorizontalAlignment::center(), 0, {conversation.padding(EdgeSet::bottom(), 8), Divider(), inputBar})
        .background(Color::textBackgroundColor().opacity(0.1))
        .ignoresSafeArea()
        .frame({.maxHeight = infinity})
        .onChange(timeframe, [model](const std::string&, const std::string& now) { model->timeframe = now; });
}

} // namespace glimmo
