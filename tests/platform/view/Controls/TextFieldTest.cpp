#include "../ViewTestSupport.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using testing::TestHost;

struct Record {
    std::string text;
    std::vector<std::string> submitted;
    bool focused = false;
};

struct ChatInput : View<ChatInput> {
    std::shared_ptr<Record> record;
    Axis axis = Axis::horizontal;
    State<std::string> currentInput = std::string();
    FocusState isInputFocused = FocusState();
    AnyView body() const {
        record->text = *currentInput;
        record->focused = *isInputFocused;
        auto r = record;
        auto input = currentInput;
        return VStack({
            TextField("Type your message...", currentInput.binding(), axis)
                .lineLimit(1, 5)
                .focused(isInputFocused.binding())
                .onSubmit([r, input] { r->submitted.push_back(*input); })
                .accessibilityLabel("field"),
            Button("Other", [] {}).focusable().accessibilityLabel("other"),
            Button("Send", [isInputFocused = isInputFocused] { isInputFocused.set(false); }).accessibilityLabel("send"),
            Button("Focus", [isInputFocused = isInputFocused] { isInputFocused.set(true); }).accessibilityLabel("focus"),
        });
    }
};

KeyEvent typed(std::string text) {
    KeyEvent e;
    e.text = std::move(text);
    return e;
}
KeyEvent keyPress(std::string name) {
    KeyEvent e;
    e.key = std::move(name);
    return e;
}

void type(TestHost& t, const std::string& text) {
    for (char c : text) t.host().handleKey(typed(std::string(1, c)));
    t.host().update();
}

TEST(TextFieldTest, TypingAfterAClickEditsTheBoundTextAndReturnSubmitsIt) {
    auto record = std::make_shared<Record>();
    TestHost t(ChatInput{{}, record, Axis::horizontal});
    EXPECT_FALSE(t.host().handleKey(typed("x"))) << "no field has the focus yet";
    t.click("field");
    type(t, "helo");
    EXPECT_EQ(record->text, "helo");
    t.host().handleKey(keyPress("Left"));
    type(t, "l");
    EXPECT_EQ(record->text, "hello") << "typing inserts at the caret";
    t.host().handleKey(keyPress("End"));
    t.host().handleKey(keyPress("Backspace"));
    t.host().update();
    EXPECT_EQ(record->text, "hell");
    t.host().handleKey(keyPress("Return"));
    EXPECT_EQ(record->submitted, (std::vector<std::string>{"hell"}));
    type(t, "o");
    EXPECT_EQ(record->text, "hello") << "the focus stays in the field after submitting";
}

TEST(TextFieldTest, TheFocusStateFollowsTheFieldAndMovesItsFocus) {
    auto record = std::make_shared<Record>();
    TestHost t(ChatInput{{}, record, Axis::horizontal});
    EXPECT_FALSE(record->focused);
    t.click("field");
    EXPECT_TRUE(record->focused) << "a click into the field sets the focus state";
    t.click("send");
    EXPECT_FALSE(record->focused);
    t.host().update();
    EXPECT_FALSE(t.host().handleKey(typed("x"))) << "setting the state false took the focus away";
    t.click("focus");
    t.host().update();
    EXPECT_TRUE(record->focused);
    type(t, "y");
    EXPECT_EQ(record->text, "y") << "setting the state true gave the field the keys";
    t.host().handleKey(keyPress("Tab"));
    t.host().update();
    EXPECT_FALSE(record->focused) << "tabbing away clears it";
}

// The focus state on a view around the field, as the chat's input row carries it.
struct WrappedInput : View<WrappedInput> {
    std::shared_ptr<Record> record;
    State<std::string> currentInput = std::string();
    FocusState isInputFocused = FocusState();
    AnyView body() const {
        record->text = *currentInput;
        record->focused = *isInputFocused;
        return VStack({
            HStack({TextField("Type your message...", currentInput.binding()).accessibilityLabel("field")})
                .padding(4)
                .focused(isInputFocused.binding()),
            Button("Other", [] {}).focusable().accessibilityLabel("other"),
            Button("Send", [isInputFocused = isInputFocused] { isInputFocused.set(false); }).accessibilityLabel("send"),
            Button("Focus", [isInputFocused = isInputFocused] { isInputFocused.set(true); }).accessibilityLabel("focus"),
        });
    }
};

TEST(TextFieldTest, AFocusStateOnAViewAroundTheFieldFollowsAndMovesTheFieldsFocus) {
    auto record = std::make_shared<Record>();
    TestHost t(WrappedInput{{}, record});
    t.click("field");
    EXPECT_TRUE(record->focused) << "focus taken by the field inside sets the state";
    type(t, "a");
    EXPECT_EQ(record->text, "a");
    t.click("send");
    t.host().update();
    EXPECT_FALSE(record->focused);
    EXPECT_FALSE(t.host().handleKey(typed("x"))) << "setting the state false took the keys from the field";
    EXPECT_EQ(record->text, "a");
    t.click("focus");
    t.host().update();
    EXPECT_TRUE(record->focused);
    type(t, "b");
    EXPECT_EQ(record->text, "ab") << "setting the state true gave the field inside the keys";
    t.host().handleKey(keyPress("Tab"));
    t.host().update();
    EXPECT_FALSE(record->focused) << "tabbing to the next view clears it";
    t.host().handleKey(keyPress("Backtab"));
    t.host().update();
    EXPECT_TRUE(record->focused) << "tabbing back lands in the field, not on the wrapper";
}

TEST(TextFieldTest, KeysTypedBetweenUpdatesAreAllKept) {
    auto record = std::make_shared<Record>();
    TestHost t(ChatInput{{}, record, Axis::horizontal});
    t.click("field");
    for (const char* c : {"a", "b", "c"}) t.host().handleKey(typed(c)); // no update in between
    t.host().handleKey(keyPress("Home"));
    t.host().handleKey(keyPress("Delete"));
    t.host().update();
    EXPECT_EQ(record->text, "bc");
}

TEST(TextFieldTest, MultiByteCharactersAreDeletedWhole) {
    auto record = std::make_shared<Record>();
    TestHost t(ChatInput{{}, record, Axis::horizontal});
    t.click("field");
    t.host().handleKey(typed("\xC3\xA9"));  // é
    t.host().handleKey(typed("\xE2\x82\xAC")); // €
    t.host().handleKey(keyPress("Backspace"));
    t.host().update();
    EXPECT_EQ(record->text, "\xC3\xA9");
}

TEST(TextFieldTest, FocusMovesAwayWithTabAndKeysThenGoElsewhere) {
    auto record = std::make_shared<Record>();
    TestHost t(ChatInput{{}, record, Axis::horizontal});
    t.click("field");
    type(t, "a");
    t.host().handleKey(keyPress("Tab"));
    t.host().update();
    type(t, "b");
    EXPECT_EQ(record->text, "a");
    t.click("field");
    type(t, "c");
    EXPECT_EQ(record->text, "ac");
}

TEST(TextFieldTest, AVerticalFieldGrowsWithItsLinesUpToItsLimit) {
    auto record = std::make_shared<Record>();
    // 160 points wide: the bordered box leaves 150 for text, 23 characters of 6.5 points per line.
    TestHost t(ChatInput{{}, record, Axis::vertical}, {160, 400});
    const CGFloat line = 13; // ascent 10.4 + descent 2.6 of the 13-point body font
    EXPECT_EQ(t.frame("field").height(), line + 6);
    t.click("field");
    type(t, "one two three four five six");
    EXPECT_EQ(t.frame("field").height(), 2 * line + 6);
    KeyEvent newline = keyPress("Return");
    newline.modifiers = EventModifiers::option();
    for (int i = 0; i < 6; ++i) t.host().handleKey(newline);
    t.host().update();
    EXPECT_EQ(record->text, "one two three four five six\n\n\n\n\n\n");
    EXPECT_EQ(t.frame("field").height(), 5 * line + 6) << "at most five lines show";
    EXPECT_TRUE(record->submitted.empty()) << "Alt+Return starts a line instead of submitting";
}

TEST(TextFieldTest, PlainStyleHasNoInsetsAndAnIdealWidthFromItsPlaceholder) {
    State<std::string> text{""};
    TestHost t(HStack({TextField("New Category", text.binding()).textFieldStyle(TextFieldStyle::plain).accessibilityLabel("plain").fixedSize()}));
    // "New Category" is 12 characters of 6.5 points, plus one point for the caret.
    EXPECT_EQ(t.frame("plain").size, (CGSize{12 * 6.5 + 1, 13}));
}

TEST(TextFieldTest, ADisabledFieldTakesNoFocusAndNoText) {
    State<std::string> text{"x"};
    TestHost t(TextField("Name", text.binding()).disabled(true).accessibilityLabel("field"));
    t.click("field");
    EXPECT_FALSE(t.host().handleKey(typed("y")));
    EXPECT_EQ(*text, "x");
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

TEST(TextFieldTest, StylesAndSubmitOnAnEnclosingViewReachTheFieldsInside) {
    State<std::string> text{"abc"};
    int submitted = 0;
    testing::TestHost t(onSubmit(textFieldStyle(VStack({TextField("", text.binding()).fixedSize().accessibilityLabel("field")}),
                                                TextFieldStyle::plain),
                                 [&] { ++submitted; }));
    EXPECT_EQ(t.frame("field").height(), 13) << "plain: no insets";
    t.click("field");
    t.host().handleKey(keyPress("Return"));
    EXPECT_EQ(submitted, 1);
}

} // namespace
} // namespace glimmo
