#pragma once

// An editable line of text bound to a string. A click gives it the keyboard focus; typing inserts at
// the caret, Backspace and Delete remove a character, Left, Right, Home and End move the caret, and
// Return runs the `onSubmit` action in the environment (the focus stays). With the vertical axis the
// field grows with its text between the lines of `lineLimit(lower, upper)` (one line by default, with no
// upper bound when none is given) and shows the caret's end of longer text; Alt+Return starts a new line.
// The bound value is written after every edit, so it is always what the field shows.
//
// Styles (`textFieldStyle`): automatic and roundedBorder draw a bordered text box with a focus ring;
// plain draws the text alone.

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/State.h"

#include <optional>
#include <string>

namespace glimmo {

struct TextFieldLineRange {
    int lower = 1;
    std::optional<int> upper;
    bool operator==(const TextFieldLineRange&) const = default;
};
struct TextFieldLineRangeKey {
    using Value = std::optional<TextFieldLineRange>;
    static Value defaultValue() { return std::nullopt; }
};

class TextField : public View<TextField> {
public:
    // TextField(_:text:) and TextField(_:text:axis:)
    TextField(std::string placeholder, Binding<std::string> text, Axis axis = Axis::horizontal);
    // On the field itself these return the field, so they chain in any order with each other; on an
    // enclosing view the free functions of ControlStyles.h reach every field inside.
    TextField textFieldStyle(TextFieldStyle style) const;
    TextField onSubmit(std::function<void()> action) const;
    // lineLimit(lower...upper): the lines a vertical field shows.
    TextField lineLimit(int lower, std::optional<int> upper) const;
    // focused($state) on the field itself: true while the field has the keyboard focus; setting it true
    // moves the focus into the field, false takes it away. The kit's general `focused` on a view around
    // the field does the same for the first focusable view inside it.
    TextField focused(Binding<bool> isFocused) const;
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::string placeholder_;
    Binding<std::string> text_;
    Axis axis_;
    std::optional<TextFieldStyle> style_;
    std::optional<TextFieldLineRange> lineRange_;
    std::shared_ptr<const std::function<void()>> submit_;
    std::shared_ptr<const Binding<bool>> focusBinding_;
};

} // namespace glimmo
