#pragma once

#include "RidadoziRI/Document/BlockNode.h"

#include <concepts>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ridadozi {

struct MarkdownContent;

// Anything that can stand in a content-builder body: it gives its content.
template <class T>
concept MarkdownContentProtocol = requires(const T& value) {
    { value.markdownContent() } -> std::convertible_to<MarkdownContent>;
};

// One component of a content-builder body. A string here is Markdown source and is parsed; an
// absent optional gives nothing; a list (the passes of a loop) gives its items' blocks in order.
class MarkdownContentComponent {
public:
    MarkdownContentComponent(std::string_view markdown);
    MarkdownContentComponent(const std::string& markdown) : MarkdownContentComponent(std::string_view(markdown)) {}
    MarkdownContentComponent(const char* markdown) : MarkdownContentComponent(std::string_view(markdown)) {}
    template <MarkdownContentProtocol T>
    MarkdownContentComponent(const T& value);
    template <MarkdownContentProtocol T>
    MarkdownContentComponent(const std::optional<T>& value);
    template <MarkdownContentProtocol T>
    MarkdownContentComponent(const std::vector<T>& values);

    const std::vector<BlockNode>& blocks() const { return blocks_; }

private:
    std::vector<BlockNode> blocks_;
};

// A Markdown document as a value: its blocks in document order.
struct MarkdownContent {
    std::vector<BlockNode> blocks;

    MarkdownContent() = default;
    explicit MarkdownContent(std::vector<BlockNode> blocks) : blocks(std::move(blocks)) {}
    // Parses `markdown`; text that gives no document gives an empty content.
    explicit MarkdownContent(std::string_view markdown);
    // A content-builder body: the components' blocks concatenated in order.
    MarkdownContent(std::initializer_list<MarkdownContentComponent> components);

    const MarkdownContent& markdownContent() const { return *this; }

    // The blocks nested directly in every block (BlockNode::children), block after block; no value
    // when there are none.
    std::optional<std::vector<BlockNode>> nestedBlocks() const;

    // The content written back by cmark-gfm, without line wrapping. The CommonMark and plain-text
    // forms lose exactly one final line feed; the HTML form is returned as rendered.
    std::string commonMarkText() const;
    std::string plainText() const;
    std::string htmlText() const;

    bool operator==(const MarkdownContent&) const = default;
};

// Combines the components of one content-builder body.
struct MarkdownContentBuilder {
    static MarkdownContent build(std::initializer_list<MarkdownContentComponent> components) {
        return MarkdownContent(components);
    }
};

template <MarkdownContentProtocol T>
MarkdownContentComponent::MarkdownContentComponent(const T& value)
    : blocks_(MarkdownContent(value.markdownContent()).blocks) {}

template <MarkdownContentProtocol T>
MarkdownContentComponent::MarkdownContentComponent(const std::optional<T>& value) {
    if (value) blocks_ = MarkdownContent(value->markdownContent()).blocks;
}

template <MarkdownContentProtocol T>
MarkdownContentComponent::MarkdownContentComponent(const std::vector<T>& values) {
    for (const auto& value : values) {
        const MarkdownContent content(value.markdownContent());
        blocks_.insert(blocks_.end(), content.blocks.begin(), content.blocks.end());
    }
}

} // namespace ridadozi
