#include "RidadoziRI/Document/InlineNode.h"

#include "RidadoziRI/Document/HashCombine.h"

#include <algorithm>
#include <iterator>

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

InlineNode::InlineNode(Value value) : value_(std::move(value)) {
    if (const std::vector<InlineNode>* children = mutableChildren()) {
        nestingDepth_ = 1;
        for (const auto& child : *children) nestingDepth_ = std::max(nestingDepth_, child.nestingDepth_ + 1);
    }
}

std::vector<InlineNode>* InlineNode::mutableChildren() {
    return std::visit(
        [](auto& node) -> std::vector<InlineNode>* {
            if constexpr (requires { node.children; }) {
                return &node.children;
            } else {
                return nullptr;
            }
        },
        value_);
}

InlineNode::InlineNode(WithoutChildren, const InlineNode& other)
    : value_(std::visit(
          [](const auto& node) -> Value {
              using Node = std::decay_t<decltype(node)>;
              if constexpr (requires { node.children; }) {
                  Node copy;
                  if constexpr (requires { node.destination; }) copy.destination = node.destination;
                  if constexpr (requires { node.source; }) copy.source = node.source;
                  return copy;
              } else {
                  return node;
              }
          },
          other.value_)),
      nestingDepth_(other.nestingDepth_) {}

InlineNode::InlineNode(const InlineNode& other) : InlineNode(WithoutChildren{}, other) {
    const auto& children = other.children();
    if (children.empty()) return;
    if (nestingDepth_ <= recursiveTeardownDepth) {
        // Shallow, as nearly every node is: the children copy themselves by plain recursion, without a
        // stack made for each copy.
        mutableChildren()->assign(children.begin(), children.end());
        return;
    }
    std::vector<std::pair<const InlineNode*, InlineNode*>> pending{{&other, this}};
    while (!pending.empty()) {
        const auto [from, to] = pending.back();
        pending.pop_back();
        const auto& source = from->children();
        if (source.empty()) continue;
        auto& target = *to->mutableChildren();
        target.reserve(source.size()); // the addresses taken below stay valid
        for (const auto& child : source) target.push_back(InlineNode(WithoutChildren{}, child));
        for (std::size_t i = 0; i < source.size(); ++i) pending.emplace_back(&source[i], &target[i]);
    }
}

InlineNode& InlineNode::operator=(const InlineNode& other) {
    if (this != &other) *this = InlineNode(other);
    return *this;
}

InlineNode::~InlineNode() {
    if (nestingDepth_ <= recursiveTeardownDepth) return; // the members go by plain recursion
    std::vector<InlineNode>* children = mutableChildren();
    if (!children || children->empty()) return;
    // Each node leaves this loop without children, so no destructor below goes deeper than one level.
    std::vector<InlineNode> pending = std::move(*children);
    while (!pending.empty()) {
        InlineNode node = std::move(pending.back());
        pending.pop_back();
        if (std::vector<InlineNode>* grandchildren = node.mutableChildren()) {
            std::move(grandchildren->begin(), grandchildren->end(), std::back_inserter(pending));
            grandchildren->clear();
        }
    }
}

namespace {

// The node without its children: the case, its strings and the number of children.
bool equalWithoutChildren(const InlineNode& left, const InlineNode& right) {
    if (left.value().index() != right.value().index() || left.children().size() != right.children().size()) return false;
    return std::visit(
        [&right](const auto& node) {
            using Node = std::decay_t<decltype(node)>;
            const Node& other = std::get<Node>(right.value());
            if constexpr (std::is_same_v<Node, InlineNode::Text>) return node.text == other.text;
            else if constexpr (std::is_same_v<Node, InlineNode::Code>) return node.code == other.code;
            else if constexpr (std::is_same_v<Node, InlineNode::Html>) return node.html == other.html;
            else if constexpr (std::is_same_v<Node, InlineNode::Link>) return node.destination == other.destination;
            else if constexpr (std::is_same_v<Node, InlineNode::Image>) return node.source == other.source;
            else return true;
        },
        left.value());
}

std::size_t hashWithoutChildren(const InlineNode& inlineNode) {
    std::size_t seed = inlineNode.value().index();
    detail::hashCombine(seed, inlineNode.children().size());
    std::visit(
        [&seed](const auto& node) {
            using Node = std::decay_t<decltype(node)>;
            if constexpr (std::is_same_v<Node, InlineNode::Text>) detail::hashInto(seed, node.text);
            else if constexpr (std::is_same_v<Node, InlineNode::Code>) detail::hashInto(seed, node.code);
            else if constexpr (std::is_same_v<Node, InlineNode::Html>) detail::hashInto(seed, node.html);
            else if constexpr (std::is_same_v<Node, InlineNode::Link>) detail::hashInto(seed, node.destination);
            else if constexpr (std::is_same_v<Node, InlineNode::Image>) detail::hashInto(seed, node.source);
        },
        inlineNode.value());
    return seed;
}

} // namespace

bool InlineNode::operator==(const InlineNode& other) const {
    std::vector<std::pair<const InlineNode*, const InlineNode*>> pending{{this, &other}};
    while (!pending.empty()) {
        const auto [left, right] = pending.back();
        pending.pop_back();
        if (!equalWithoutChildren(*left, *right)) return false;
        for (std::size_t i = 0; i < left->children().size(); ++i) {
            pending.emplace_back(&left->children()[i], &right->children()[i]);
        }
    }
    return true;
}

// Every node's own hash mixed in one fixed walk order; equal trees walk alike.
std::size_t InlineNode::hashValue() const {
    std::size_t seed = 0;
    // Most nodes are text without children: hashed without a stack.
    if (children().empty()) {
        detail::hashCombine(seed, hashWithoutChildren(*this));
        return seed;
    }
    std::vector<const InlineNode*> pending{this};
    while (!pending.empty()) {
        const InlineNode* node = pending.back();
        pending.pop_back();
        detail::hashCombine(seed, hashWithoutChildren(*node));
        for (const auto& child : node->children()) pending.push_back(&child);
    }
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
