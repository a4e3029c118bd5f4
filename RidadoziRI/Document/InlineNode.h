#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace ridadozi {

// Nodes nested no deeper than this are destroyed by plain recursion; deeper ones are taken apart with a
// heap-held stack, so that no depth can exhaust the call stack.
inline constexpr int recursiveTeardownDepth = 32;

// One piece of inline Markdown content. An immutable value: equal when the case and every payload
// are equal, lists element by element.
class InlineNode {
public:
    struct Text {
        std::string text;
        bool operator==(const Text&) const = default;
    };
    struct Code {
        std::string code;
        bool operator==(const Code&) const = default;
    };
    struct Html {
        std::string html;
        bool operator==(const Html&) const = default;
    };
    struct Emphasis {
        std::vector<InlineNode> children;
        bool operator==(const Emphasis&) const;
    };
    struct Strong {
        std::vector<InlineNode> children;
        bool operator==(const Strong&) const;
    };
    struct Strikethrough {
        std::vector<InlineNode> children;
        bool operator==(const Strikethrough&) const;
    };
    struct Link {
        std::string destination; // as the parser gives it, never resolved
        std::vector<InlineNode> children;
        bool operator==(const Link&) const;
    };
    struct Image {
        std::string source; // as the parser gives it, never resolved
        std::vector<InlineNode> children; // the description, used as the label
        bool operator==(const Image&) const;
    };
    struct SoftBreak {
        bool operator==(const SoftBreak&) const = default;
    };
    struct LineBreak {
        bool operator==(const LineBreak&) const = default;
    };

    using Value = std::variant<Text, Code, Html, Emphasis, Strong, Strikethrough, Link, Image,
                               SoftBreak, LineBreak>;

    static InlineNode text(std::string text) { return InlineNode(Text{std::move(text)}); }
    static InlineNode code(std::string code) { return InlineNode(Code{std::move(code)}); }
    static InlineNode html(std::string html) { return InlineNode(Html{std::move(html)}); }
    static InlineNode emphasis(std::vector<InlineNode> children);
    static InlineNode strong(std::vector<InlineNode> children);
    static InlineNode strikethrough(std::vector<InlineNode> children);
    static InlineNode link(std::string destination, std::vector<InlineNode> children);
    static InlineNode image(std::string source, std::vector<InlineNode> children);
    static InlineNode softBreak() { return InlineNode(SoftBreak{}); }
    static InlineNode lineBreak() { return InlineNode(LineBreak{}); }

    InlineNode(Value value);
    // Trees built in code may nest without bound: copying, comparing, hashing and destroying walk
    // them with a heap-held stack, never by recursion.
    InlineNode(const InlineNode& other);
    InlineNode(InlineNode&&) noexcept = default;
    InlineNode& operator=(const InlineNode& other);
    InlineNode& operator=(InlineNode&&) noexcept = default;
    ~InlineNode();

    const Value& value() const { return value_; }
    template <class Case>
    const Case* as() const { return std::get_if<Case>(&value_); }
    template <class Case>
    bool is() const { return std::holds_alternative<Case>(value_); }

    // The child list of emphasis, strong, strikethrough, link and image; empty for the rest.
    const std::vector<InlineNode>& children() const;
    // How deep those five cases nest in this node, itself included (0 for the others). Known from the start.
    int nestingDepth() const { return nestingDepth_; }

    std::size_t hashValue() const;
    bool operator==(const InlineNode& other) const;

private:
    struct WithoutChildren {};
    // A copy of `other` whose child list is still empty.
    InlineNode(WithoutChildren, const InlineNode& other);
    std::vector<InlineNode>* mutableChildren();

    Value value_;
    int nestingDepth_ = 0;
};

using InlineRewriter = std::function<std::vector<InlineNode>(InlineNode)>;

// Bottom-up, order-preserving rewrite: every node is handed to `rewriter` exactly once, children
// before their parent, and a parent already carries its rewritten children. The nodes it returns
// replace the node in place (none removes it). Whatever the rewriter throws reaches the caller.
std::vector<InlineNode> rewrite(const std::vector<InlineNode>& inlines, const InlineRewriter& rewriter);

} // namespace ridadozi

template <>
struct std::hash<ridadozi::InlineNode> {
    std::size_t operator()(const ridadozi::InlineNode& node) const { return node.hashValue(); }
};
