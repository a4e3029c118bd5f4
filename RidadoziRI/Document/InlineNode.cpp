#include "RidadoziRI/Document/InlineNode.h"

#include "RidadoziRI/Document/HashCombine.h"

namespace ridadozi {

bool InlineNode::Emphasis::operator==(const Emphasis&) const = default;
bool InlineNode::Strong::operator==(const Strong&) const = default;
bool InlineNode::Strikethrough::operator==(const Strikethrough&) const = default;
bool InlineNode::Link::operator==(const Link&) const = default;
bool InlineNode::Image::operator==(const Image&) const = default;

InlineNode InlineNode::emphasis(std::vector<InlineNode> children) {
    return InlineNode(Emphasis{std::move(children)});
}
InlineNode InlineNode::strong(std::vector<InlineNode> children) {
    return InlineNode(Strong{std::move(children)});
}
InlineNode InlineNode::strikethrough(std::vector<InlineNode> children) {
    return InlineNode(Strikethrough{std::move(children)});
}
InlineNode InlineNode::link(std::string destination, std::vector<InlineNode> children) {
    return InlineNode(Link{std::move(destination), std::move(children)});
}
InlineNode InlineNode::image(std::string source, std::vector<InlineNode> children) {
    return InlineNode(Image{std::move(source), std::move(children)});
}

const std::vector<InlineNode>& InlineNode::children() const {
    static const std::vector<InlineNode> none;
    return std::visit(
        [](const auto& node) -> const std::vector<InlineNode>& {
            if constexpr (requires { node.children; }) {
                return node.children;
            } else {
                return none;
            }
        },
        value_);
}

namespace {

std::size_t hashList(const std::vector<InlineNode>& nodes) {
    std::size_t seed = nodes.size();
    for (const auto& node : nodes) detail::hashCombine(seed, node.hashValue());
    return seed;
}

} // namespace

std::size_t InlineNode::hashValue() const {
    std::size_t seed = value_.index();
    std::visit(
        [&seed](const auto& node) {
            using Node = std::decay_t<decltype(node)>;
            if constexpr (std::is_same_v<Node, Text>) detail::hashInto(seed, node.text);
            else if constexpr (std::is_same_v<Node, Code>) detail::hashInto(seed, node.code);
            else if constexpr (std::is_same_v<Node, Html>) detail::hashInto(seed, node.html);
            else if constexpr (std::is_same_v<Node, Link>) detail::hashInto(seed, node.destination);
            else if constexpr (std::is_same_v<Node, Image>) detail::hashInto(seed, node.source);
            if constexpr (requires { node.children; }) detail::hashCombine(seed, hashList(node.children));
        },
        value_);
    return seed;
}

namespace {

// The same case, carrying the rewritten children.
InlineNode withRewrittenChildren(InlineNode node, const InlineRewriter& rewriter) {
    return std::visit(
        [&rewriter](auto&& value) -> InlineNode {
            using Node = std::decay_t<decltype(value)>;
            if constexpr (requires { value.children; }) {
                Node rebuilt = std::move(value);
                rebuilt.children = rewrite(rebuilt.children, rewriter);
                return InlineNode(std::move(rebuilt));
            } else {
                return InlineNode(std::move(value));
            }
        },
        InlineNode::Value(node.value()));
}

} // namespace

std::vector<InlineNode> rewrite(const std::vector<InlineNode>& inlines, const InlineRewriter& rewriter) {
    std::vector<InlineNode> result;
    result.reserve(inlines.size());
    for (const auto& node : inlines) {
        auto replacement = rewriter(withRewrittenChildren(node, rewriter));
        for (auto& replaced : replacement) result.push_back(std::move(replaced));
    }
    return result;
}

} // namespace ridadozi
