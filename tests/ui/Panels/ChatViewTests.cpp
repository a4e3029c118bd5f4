#include "tests/ui/Panels/PanelsFixture.h"

#include "platform/view/ViewGraph.h"
#include "ui/Panels/ChatView.h"

#include <gtest/gtest.h>

namespace glimmo::testing {
namespace {

constexpr CGSize chatSize{400, 700};

class ChatViewTest : public PanelsFixture {
protected:
    ChatViewTest() {
        model = std::make_shared<ChatViewModel>(service, "2026-12-07");
        world.answerOpenAI(200, openAIReplyWithText("You mostly wrote code."));
    }
    AnyView chat(const std::string& timeframe = "2026-12-07") {
        auto made = model;
        return ChatView([made] { return made; }, timeframe);
    }
    std::shared_ptr<ChatViewModel> model;
};

TEST_F(ChatViewTest, AnEmptyFieldCannotSendAndReturnSendsNothing) {
    auto t = host(chat(), chatSize);
    EXPECT_TRUE(shows(drawn(*t), "Type your message..."));
    t->click("send");
    t->click("chat input");
    t->host().handleKey(namedKey("Return"));
    settle(*t);
    EXPECT_TRUE(model->messages->empty());
    EXPECT_FALSE(ChatView::canSend(*model));
}

TEST_F(ChatViewTest, BlanksEnableTheButtonWhichSendsNothingButTakesTheFocus) {
    auto t = host(chat(), chatSize);
    t->click("chat input");
    typeText(*t, "   ");
    EXPECT_EQ(model->currentInput.get(), "   ");
    EXPECT_TRUE(ChatView::canSend(*model)) << "the emptiness test looks at the text as typed";
    t->click("send");
    settle(*t);
    EXPECT_TRUE(model->messages->empty());
    typeText(*t, "x");
    EXPECT_EQ(model->currentInput.get(), "   ") << "the button took the focus from the field";
    t->click("chat input");
    typeText(*t, "x");
    EXPECT_EQ(model->currentInput.get(), "   x") << "a click gives it back";
}

TEST_F(ChatViewTest, ReturnAsksKeepsTheFocusAndTheReplyReplacesTheSpinner) {
    auto t = host(chat(), chatSize);
    t->click("chat input");
    typeText(*t, "What did I do?");
    t->host().handleKey(namedKey("Return"));
    t->host().update();
    ASSERT_EQ(model->messages->size(), 2u);
    EXPECT_TRUE(model->messages->back().isLoading);
    EXPECT_FALSE(ChatView::canSend(*model));

    // While the reply is pending, Return leaves the typed text in place.
    typeText(*t, "more");
    t->host().handleKey(namedKey("Return"));
    t->host().update();
    EXPECT_EQ(model->currentInput.get(), "more") << "the field kept the focus and nothing was sent";
    EXPECT_EQ(model->messages->size(), 2u);

    ASSERT_TRUE(waitFor(*t, [&] { return !model->isLoading.get(); }));
    const DisplayList& list = drawn(*t);
    const auto question = findText(list, "What did I do?");
    const auto reply = findText(list, "You mostly wrote code.");
    ASSERT_TRUE(question && reply);
    EXPECT_GT(question->origin.x, 200) << "the user's bubble hugs the right edge";
    EXPECT_LT(reply->origin.x, 100) << "the assistant's bubble hugs the left edge";
    EXPECT_GT(reply->origin.y, question->origin.y);
    EXPECT_LT(reply->origin.y + 20, ChatView::conversationHeight) << "the newest message is in view";
}

TEST_F(ChatViewTest, TheButtonSendsTheQuestion) {
    auto t = host(chat(), chatSize);
    t->click("chat input");
    typeText(*t, "Hi");
    t->click("send");
    EXPECT_EQ(model->messages->size(), 2u);
    EXPECT_EQ(model->messages->front().content, "Hi");
    EXPECT_EQ(model->currentInput.get(), "");
    typeText(*t, "y");
    EXPECT_EQ(model->currentInput.get(), "") << "the field gave up the focus";
    waitFor(*t, [&] { return !model->isLoading.get(); });
}

TEST_F(ChatViewTest, ALongConversationScrollsToTheNewestMessage) {
    for (int i = 0; i < 12; ++i) {
        model->messages.modify([&](auto& list) {
            list.push_back({UUID::random(), ChatMessage::SenderRole::user, "question " + std::to_string(i), false});
            list.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "answer " + std::to_string(i), false});
        });
    }
    auto t = host(chat(), chatSize);
    model->messages.modify([](auto& list) {
        list.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "the newest answer", false});
    });
    settle(*t);
    loop->advance(1); // past the 0.3 s scroll animation
    settle(*t);
    const DisplayList& list = drawn(*t);
    const auto first = findText(list, "question 0");
    const auto newest = findText(list, "the newest answer");
    ASSERT_TRUE(first && newest);
    EXPECT_LT(first->origin.y, 0) << "the start of the conversation scrolled out of view";

    std::optional<CGRect> visible;
    for (const CGRect& clip : clipRects(list)) {
        if (clip.height() == ChatView::conversationHeight) visible = clip;
    }
    ASSERT_TRUE(visible) << "the conversation's scroll view clips to its 550 points";
    const auto bubbles = fillRectsAt(list, {newest->origin.x + 1, newest->origin.y + 1});
    ASSERT_FALSE(bubbles.empty());
    const CGRect bubble = bubbles.back();
    EXPECT_LT(bubble.height(), 60) << "the bubble, not a background behind it";
    EXPECT_NEAR(bubble.maxY(), visible->maxY(), 0.01) << "the newest bubble's bottom edge is the visible area's";
}

// What a new reply costs, from its arrival until the view has settled again: the views evaluated and
// the nodes drawn.
struct ReplyWork {
    std::size_t bodies = 0;
    std::size_t drawnNodes = 0;
};

TEST_F(ChatViewTest, ANewReplyCostsTheSameHoweverLongTheConversation) {
    const auto replyAfter = [&](int earlier) {
        model->messages = std::vector<ChatMessage>{};
        for (int i = 0; i < earlier; ++i) {
            model->messages.modify([&](auto& list) {
                list.push_back({UUID::random(), ChatMessage::SenderRole::user, "question " + std::to_string(i), false});
                list.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "answer " + std::to_string(i) + "\nwith a second line", false});
            });
        }
        model->messages.modify([](auto& list) { list.push_back({UUID::random(), ChatMessage::SenderRole::assistant, "", true}); });
        auto t = host(chat(), chatSize);
        loop->advance(1);
        settle(*t);
        const std::size_t bodies = t->host().bodyEvaluationCount();
        const std::size_t drawnNodes = t->host().graph().work.drawnNodes;
        model->messages.modify([](auto& list) {
            list.back() = {UUID::random(), ChatMessage::SenderRole::assistant, "the newest answer", false};
        });
        settle(*t);
        loop->advance(1); // past the 0.3 s scroll animation
        settle(*t);
        EXPECT_TRUE(shows(drawn(*t), "the newest answer"));
        return ReplyWork{t->host().bodyEvaluationCount() - bodies, t->host().graph().work.drawnNodes - drawnNodes};
    };
    // Both taller than the scroll view, so that the earlier bubbles stay where they are.
    const ReplyWork longChat = replyAfter(12);
    const ReplyWork longerChat = replyAfter(24);
    EXPECT_EQ(longerChat.bodies, longChat.bodies) << "the earlier messages were not evaluated again";
    EXPECT_EQ(longerChat.drawnNodes, longChat.drawnNodes) << "nor drawn again";
}

TEST_F(ChatViewTest, ANewTimeframeReachesTheViewModel) {
    struct Host : View<Host> {
        std::function<AnyView(const std::string&)> make;
        State<std::string> day{std::string("2026-12-07")};
        AnyView body() const {
            auto d = day;
            return VStack({make(*day), Button("next", [d] { d.set("2026-12-06"); }).accessibilityLabel("next")});
        }
    };
    auto t = host(Host{{}, [this](const std::string& day) { return chat(day); }, {}}, {400, 760});
    EXPECT_EQ(model->timeframe.get(), "2026-12-07");
    t->click("next");
    settle(*t);
    EXPECT_EQ(model->timeframe.get(), "2026-12-06");
}

TEST_F(ChatViewTest, BubblesAreAtMost300PointsWideAndColouredByRole) {
    const std::string longText(400, 'w');
    model->messages = std::vector<ChatMessage>{{UUID::random(), ChatMessage::SenderRole::user, "short", false},
                                               {UUID::random(), ChatMessage::SenderRole::assistant, longText, false}};
    auto t = host(chat(), chatSize);
    const DisplayList& list = drawn(*t);
    for (const auto& shown : shownTexts(list)) {
        if (shown.text.find('w') == 0) EXPECT_LE(shown.text.size() * 6.5, 300.0) << "the long reply wraps";
    }
    const auto user = findText(list, "short");
    ASSERT_TRUE(user);
    EXPECT_EQ(user->color, Color::white().resolve(ColorScheme::light));
}

// Laying out a megabyte of text would hold the window for a good part of a second.
TEST_F(ChatViewTest, ALongReplyIsShownCutWithHowMuchWasLeftOut) {
    std::string reply;
    for (int i = 0; reply.size() < 1000000; ++i) reply += "Paragraph " + std::to_string(i) + " of a long reply.\n\n";
    model->messages = std::vector<ChatMessage>{{UUID::random(), ChatMessage::SenderRole::assistant, reply, false}};
    auto t = host(chat(), chatSize);
    const DisplayList& list = drawn(*t);
    EXPECT_TRUE(shows(list, "Paragraph 0 of a long reply."));
    EXPECT_FALSE(shows(list, "Paragraph 10000 "));
    const auto note = findText(list, "The rest of this reply (");
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->font.italic);
    EXPECT_EQ(model->messages->back().content, reply) << "the message keeps the whole reply";
}

TEST_F(ChatViewTest, Screenshot) {
    model->messages = std::vector<ChatMessage>{
        {UUID::random(), ChatMessage::SenderRole::user, "What did I work on this morning?", false},
        {UUID::random(), ChatMessage::SenderRole::assistant,
         "You spent the morning in your editor on the sync service, then reviewed two pull requests.", false},
        {UUID::random(), ChatMessage::SenderRole::user, "And after lunch?", false},
        {UUID::random(), ChatMessage::SenderRole::assistant, "", true}};
    model->isLoading = true;
    expectGalleryShot(chat(), chatSize, "panels-chat", loop);
}

} // namespace
} // namespace glimmo::testing
