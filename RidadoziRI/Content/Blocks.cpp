#include "RidadoziRI/Content/Blocks.h"

#include "RidadoziRI/Document/HashCombine.h"

namespace ridadozi {

namespace {

std::size_t countParagraphs(const std::vector<BlockNode>& children) {
    std::size_t count = 0;
    for (const auto& child : children) {
        if (child.is<BlockNode::Paragraph>()) ++count;
    }
    return count;
}

template <class Item>
bool tightness(bool requested, const std::vector<Item>& items) {
    for (const auto& item : items) {
        if (countParagraphs(item.children) > 1) return false;
    }
    return requested;
}

MarkdownContent oneBlock(BlockNode block) { return MarkdownContent(std::vector<BlockNode>{std::move(block)}); }

std::vector<BlockNode> plainParagraph(std::string text) {
    return {BlockNode::paragraph({InlineNode::text(std::move(text))})};
}

std::vector<RawListItem> rawItems(std::vector<ListItem> items) {
    std::vector<RawListItem> raw;
    raw.reserve(items.size());
    for (auto& item : items) raw.push_back({std::move(item.children)});
    return raw;
}

} // namespace

ListItem::ListItem(std::string text) : children(plainParagraph(std::move(text))) {}

TaskListContentBuilder::Component::Component(std::string text)
    : items_{TaskListItem(false, MarkdownContent(plainParagraph(std::move(text))))} {}

std::vector<TaskListItem> TaskListContentBuilder::build(std::initializer_list<Component> components) {
    std::vector<TaskListItem> items;
    for (const auto& component : components) items.insert(items.end(), component.items().begin(), component.items().end());
    return items;
}

BulletedList::BulletedList(bool tight, std::vector<ListItem> items)
    : tight(tightness(tight, items)), items(rawItems(std::move(items))) {}

MarkdownContent BulletedList::markdownContent() const { return oneBlock(BlockNode::bulletedList(tight, items)); }

NumberedList::NumberedList(bool tight, std::int64_t start, std::vector<ListItem> items)
    : tight(tightness(tight, items)), start(start), items(rawItems(std::move(items))) {}

MarkdownContent NumberedList::markdownContent() const {
    return oneBlock(BlockNode::numberedList(tight, start, items));
}

TaskList::TaskList(bool tight, std::vector<TaskListItem> taskItems) : tight(tightness(tight, taskItems)) {
    items.reserve(taskItems.size());
    for (auto& item : taskItems) items.push_back({item.isCompleted, std::move(item.children)});
}

MarkdownContent TaskList::markdownContent() const { return oneBlock(BlockNode::taskList(tight, items)); }

MarkdownContent Blockquote::markdownContent() const { return oneBlock(BlockNode::blockquote(content.blocks)); }

MarkdownContent CodeBlock::markdownContent() const { return oneBlock(BlockNode::codeBlock(language, content)); }

std::optional<Heading::Level> Heading::levelFromRawValue(std::int64_t rawValue) {
    if (rawValue < 1 || rawValue > 6) return std::nullopt;
    return static_cast<Level>(rawValue);
}

MarkdownContent Heading::markdownContent() const {
    return oneBlock(BlockNode::heading(static_cast<std::int64_t>(level), content.inlines));
}

MarkdownContent Paragraph::markdownContent() const { return oneBlock(BlockNode::paragraph(content.inlines)); }

MarkdownContent ThematicBreak::markdownContent() const { return oneBlock(BlockNode::thematicBreak()); }

} // namespace ridadozi

std::size_t std::hash<ridadozi::ListItem>::operator()(const ridadozi::ListItem& item) const {
    std::size_t seed = item.children.size();
    for (const auto& child : item.children) ridadozi::detail::hashCombine(seed, child.hashValue());
    return seed;
}

std::size_t std::hash<ridadozi::TaskListItem>::operator()(const ridadozi::TaskListItem& item) const {
    std::size_t seed = std::hash<bool>{}(item.isCompleted);
    ridadozi::detail::hashCombine(seed, item.children.size());
    for (const auto& child : item.children) ridadozi::detail::hashCombine(seed, child.hashValue());
    return seed;
}
