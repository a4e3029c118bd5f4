#pragma once

// Text: a string or an attributed string, possibly concatenated from several Texts with `+`, with
// inline images. Text-level modifiers (font, bold, foregroundColor, ...) return Text and apply to every
// part that does not set that attribute itself; the environment fills in what is still unset (font:
// body, colour: primary). Layout wraps to the offered width and follows lineLimit, truncationMode,
// multilineTextAlignment, lineSpacing and minimumScaleFactor from the environment.

#include "platform/view/AttributedString.h"
#include "platform/view/Image.h"
#include "platform/view/View.h"

#include <optional>
#include <string>

namespace glimmo {

// Attributes that Text modifiers keep on runs until the font is resolved.
struct TextWeightAttribute { using Value = Font::Weight; static constexpr const char* name = "glimmo.text.weight"; };
struct TextItalicAttribute { using Value = bool; static constexpr const char* name = "glimmo.text.italic"; };
struct TextMonospacedDigitAttribute { using Value = bool; static constexpr const char* name = "glimmo.text.monospacedDigit"; };
struct TextMonospacedAttribute { using Value = bool; static constexpr const char* name = "glimmo.text.monospaced"; };

// What tapping a link does (SwiftUI's OpenURLAction). The window layer installs one that opens the
// URL with the desktop; without one, links do nothing.
struct OpenURLAction {
    std::shared_ptr<const std::function<void(const URL&)>> handler;
    OpenURLAction() = default;
    explicit OpenURLAction(std::function<void(const URL&)> h)
        : handler(std::make_shared<const std::function<void(const URL&)>>(std::move(h))) {}
    void operator()(const URL& url) const {
        if (handler) (*handler)(url);
    }
    bool operator==(const OpenURLAction&) const = default;
};

struct OpenURLKey {
    using Value = OpenURLAction;
    static Value defaultValue() { return {}; }
};

// Where "Copy" of selected text goes: the environment's pasteboard writer (the window layer installs
// one that writes the clipboard).
struct PasteboardWriterKey {
    using Value = std::shared_ptr<const std::function<void(const std::string&)>>;
    static Value defaultValue() { return nullptr; }
};

// With `textSelection(true)` a Text can be selected by dragging across it (or select-all with Ctrl+A
// once it has focus) and copied with Ctrl+C (or Command+C).
class Text : public View<Text> {
public:
    Text(std::string content); // NOLINT: Text("...") as in the views
    Text(const char* content) : Text(std::string(content)) {} // NOLINT
    static Text verbatim(std::string content) { return Text(std::move(content)); }
    explicit Text(AttributedString content);
    explicit Text(const Image& image);
    // A value shown through a formatting function: Text(date, format).
    template <class T, class F>
        requires std::invocable<F, const T&>
    Text(const T& value, F format) : Text(std::string(format(value))) {}

    Text operator+(const Text& other) const;
    // Appends in place: text built piece by piece costs what the pieces hold.
    Text& operator+=(const Text& other);

    Text font(std::optional<Font> font) const;
    Text fontWeight(std::optional<Font::Weight> weight) const;
    Text bold(bool active = true) const;
    Text italic(bool active = true) const;
    Text monospaced(bool active = true) const;
    Text monospacedDigit() const;
    Text foregroundColor(std::optional<Color> color) const;
    Text foregroundStyle(const Color& color) const { return foregroundColor(color); }
    // Other styles (`.secondary`, gradients) go through the environment, as for any view.
    using View<Text>::foregroundStyle;
    Text underline(bool active = true, std::optional<Color> color = std::nullopt) const;
    Text strikethrough(bool active = true, std::optional<Color> color = std::nullopt) const;
    Text kerning(CGFloat kerning) const;
    Text tracking(CGFloat tracking) const;
    Text baselineOffset(CGFloat offset) const;

    const AttributedString& attributedString() const { return content_; }
    std::shared_ptr<const ViewContent> toContent() const;

private:
    template <AttributeKey K>
    Text settingWhereUnset(typename K::Value value) const;
    AttributedString content_;
};

} // namespace glimmo
