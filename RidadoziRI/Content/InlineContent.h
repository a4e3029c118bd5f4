#pragma once

#include "RidadoziRI/Document/InlineNode.h"

#include <concepts>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {
class URL;
}

namespace ridadozi {

struct InlineContent;

// Anything that can stand in an inline-builder body: it gives its inline content.
template <class T>
concept InlineContentProtocol = requires(const T& value) {
    { value.inlineContent() } -> std::convertible_to<InlineContent>;
};

// One component of an inline-builder body. A string is plain text (one text inline, never parsed as
// Markdown); an absent optional gives nothing; a list (the passes of a loop) gives its items in order.
class InlineContentComponent {
public:
    InlineContentComponent(std::string text);
    InlineContentComponent(std::string_view text) : InlineContentComponent(std::string(text)) {}
    InlineContentComponent(const char* text) : InlineContentComponent(std::string(text)) {}
    template <InlineContentProtocol T>
    InlineContentComponent(const T& value);
    template <InlineContentProtocol T>
    InlineContentComponent(const std::optional<T>& value);
    template <InlineContentProtocol T>
    InlineContentComponent(const std::vector<T>& values);

    const std::vector<InlineNode>& inlines() const { return inlines_; }

private:
    std::vector<InlineNode> inlines_;
};

// A run of inline Markdown as a value.
struct InlineContent {
    std::vector<InlineNode> inlines;

    InlineContent() = default;
    explicit InlineContent(std::vector<InlineNode> inlines) : inlines(std::move(inlines)) {}
    // An inline-builder body: the components' inlines concatenated in order, nothing merged or inserted.
    InlineContent(std::initializer_list<InlineContentComponent> components);

    const InlineContent& inlineContent() const { return *this; }
    bool operator==(const InlineContent&) const = default;
};

// Combines the components of one inline-builder body.
struct InlineContentBuilder {
    static InlineContent build(std::initializer_list<InlineContentComponent> components) {
        return InlineContent(components);
    }
};

template <InlineContentProtocol T>
InlineContentComponent::InlineContentComponent(const T& value) : inlines_(InlineContent(value.inlineContent()).inlines) {}

template <InlineContentProtocol T>
InlineContentComponent::InlineContentComponent(const std::optional<T>& value) {
    if (value) inlines_ = InlineContent(value->inlineContent()).inlines;
}

template <InlineContentProtocol T>
InlineContentComponent::InlineContentComponent(const std::vector<T>& values) {
    for (const auto& value : values) {
        const InlineContent content(value.inlineContent());
        inlines_.insert(inlines_.end(), content.inlines.begin(), content.inlines.end());
    }
}

// The inline values; each yields exactly one node.

struct Code {
    std::string text; // verbatim, the literal content of a code span
    explicit Code(std::string text) : text(std::move(text)) {}
    InlineContent inlineContent() const;
};

struct Emphasis {
    InlineContent content;
    explicit Emphasis(InlineContent content) : content(std::move(content)) {}
    Emphasis(std::initializer_list<InlineContentComponent> body) : content(body) {}
    explicit Emphasis(std::string text);
    InlineContent inlineContent() const;
};

struct Strong {
    InlineContent content;
    explicit Strong(InlineContent content) : content(std::move(content)) {}
    Strong(std::initializer_list<InlineContentComponent> body) : content(body) {}
    InlineContent inlineContent() const;
};

struct Strikethrough {
    InlineContent content;
    explicit Strikethrough(InlineContent content) : content(std::move(content)) {}
    Strikethrough(std::initializer_list<InlineContentComponent> body) : content(body) {}
    InlineContent inlineContent() const;
};

struct InlineImage {
    std::string source;
    InlineContent content; // the label
    // An image without label; `source` is the URL's absolute string.
    explicit InlineImage(const glimmo::URL& url);
    // The label as one plain text inline.
    InlineImage(std::string label, const glimmo::URL& url);
    InlineContent inlineContent() const;
};

struct InlineLink {
    std::string destination;
    InlineContent content;
    InlineLink(const glimmo::URL& url, InlineContent content);
    InlineLink(const glimmo::URL& url, std::initializer_list<InlineContentComponent> body)
        : InlineLink(url, InlineContent(body)) {}
    InlineContent inlineContent() const;
};

struct SoftBreak {
    // How the inline renderers draw a soft break: as a space or as a line break.
    enum class Mode { space, lineBreak };
    InlineContent inlineContent() const;
};

struct LineBreak {
    InlineContent inlineContent() const;
};

} // namespace ridadozi
