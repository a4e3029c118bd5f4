#pragma once

#include "RidadoziRI/Content/InlineContent.h"
#include "RidadoziRI/Content/MarkdownContent.h"

#include <concepts>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <ranges>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace ridadozi {

// A list item as the list builders take it.
struct ListItem {
    std::vector<BlockNode> children;

    explicit ListItem(MarkdownContent children) : children(std::move(children.blocks)) {}
    // One paragraph holding the whole string as plain text (not parsed as Markdown).
    ListItem(std::string text);
    ListItem(const char* text) : ListItem(std::string(text)) {}

    bool operator==(const ListItem&) const = default;
};

struct TaskListItem {
    bool isCompleted = false;
    std::vector<BlockNode> children;

    TaskListItem(bool isCompleted, MarkdownContent children)
        : isCompleted(isCompleted), children(std::move(children.blocks)) {}

    bool operator==(const TaskListItem&) const = default;
};

namespace detail {
// A builder component: one item, a string made into an item, an absent optional (nothing) or the
// items of a loop.
template <class Item>
class ItemComponent {
public:
    ItemComponent(Item item) : items_{std::move(item)} {}
    ItemComponent(std::string text) : items_{Item(std::move(text))} {}
    ItemComponent(const char* text) : ItemComponent(std::string(text)) {}
    ItemComponent(std::optional<Item> item) {
        if (item) items_.push_back(std::move(*item));
    }
    ItemComponent(std::vector<Item> items) : items_(std::move(items)) {}

    const std::vector<Item>& items() const { return items_; }

private:
    std::vector<Item> items_;
};

template <class Item>
std::vector<Item> buildItems(std::initializer_list<ItemComponent<Item>> components) {
    std::vector<Item> items;
    for (const auto& component : components) items.insert(items.end(), component.items().begin(), component.items().end());
    return items;
}

template <class Elements, class MakeItems, class Item>
concept ItemFunction = std::ranges::input_range<Elements> &&
    std::convertible_to<std::invoke_result_t<MakeItems, std::ranges::range_reference_t<Elements>>, std::vector<Item>>;

template <class Item, class Elements, class MakeItems>
std::vector<Item> itemsFromElements(const Elements& elements, const MakeItems& makeItems) {
    std::vector<Item> items;
    for (const auto& element : elements) {
        std::vector<Item> made = makeItems(element);
        items.insert(items.end(), std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    }
    return items;
}

template <class Strings>
concept StringSequence = std::ranges::input_range<Strings> &&
    std::convertible_to<std::ranges::range_reference_t<Strings>, std::string_view>;

template <class Strings>
std::vector<ListItem> itemsFromStrings(const Strings& strings) {
    std::vector<ListItem> items;
    for (const auto& string : strings) items.emplace_back(std::string(std::string_view(string)));
    return items;
}
} // namespace detail

// The list item string forms: a plain-text ListItem; a TaskListItem that is not completed.
struct ListContentBuilder {
    using Component = detail::ItemComponent<ListItem>;
    static std::vector<ListItem> build(std::initializer_list<Component> components) {
        return detail::buildItems<ListItem>(components);
    }
};

struct TaskListContentBuilder {
    class Component {
    public:
        Component(TaskListItem item) : items_{std::move(item)} {}
        Component(std::string text);
        Component(const char* text) : Component(std::string(text)) {}
        Component(std::optional<TaskListItem> item) {
            if (item) items_.push_back(std::move(*item));
        }
        Component(std::vector<TaskListItem> items) : items_(std::move(items)) {}
        const std::vector<TaskListItem>& items() const { return items_; }

    private:
        std::vector<TaskListItem> items_;
    };
    static std::vector<TaskListItem> build(std::initializer_list<Component> components);
};

// The list types apply one rule to the tight flag: a list is tight only if the caller asks for it
// and no item holds more than one paragraph. Items are kept one for one, in order.
struct BulletedList {
    bool tight;
    std::vector<RawListItem> items;

    BulletedList(bool tight, std::vector<ListItem> items);
    BulletedList(bool tight, std::initializer_list<ListContentBuilder::Component> body)
        : BulletedList(tight, ListContentBuilder::build(body)) {}
    template <class Elements, class MakeItems>
        requires detail::ItemFunction<Elements, MakeItems, ListItem>
    BulletedList(const Elements& elements, bool tight, const MakeItems& makeItems)
        : BulletedList(tight, detail::itemsFromElements<ListItem>(elements, makeItems)) {}
    template <detail::StringSequence Strings>
    BulletedList(const Strings& strings, bool tight) : BulletedList(tight, detail::itemsFromStrings(strings)) {}

    MarkdownContent markdownContent() const;
};

struct NumberedList {
    bool tight;
    std::int64_t start;
    std::vector<RawListItem> items;

    NumberedList(bool tight, std::int64_t start, std::vector<ListItem> items);
    NumberedList(bool tight, std::int64_t start, std::initializer_list<ListContentBuilder::Component> body)
        : NumberedList(tight, start, ListContentBuilder::build(body)) {}
    template <class Elements, class MakeItems>
        requires detail::ItemFunction<Elements, MakeItems, ListItem>
    NumberedList(const Elements& elements, bool tight, std::int64_t start, const MakeItems& makeItems)
        : NumberedList(tight, start, detail::itemsFromElements<ListItem>(elements, makeItems)) {}
    template <detail::StringSequence Strings>
    NumberedList(const Strings& strings, bool tight, std::int64_t start)
        : NumberedList(tight, start, detail::itemsFromStrings(strings)) {}

    MarkdownContent markdownContent() const;
};

struct TaskList {
    bool tight;
    std::vector<RawTaskListItem> items;

    TaskList(bool tight, std::vector<TaskListItem> items);
    TaskList(bool tight, std::initializer_list<TaskListContentBuilder::Component> body)
        : TaskList(tight, TaskListContentBuilder::build(body)) {}
    template <class Elements, class MakeItems>
        requires detail::ItemFunction<Elements, MakeItems, TaskListItem>
    TaskList(const Elements& elements, bool tight, const MakeItems& makeItems)
        : TaskList(tight, detail::itemsFromElements<TaskListItem>(elements, makeItems)) {}

    MarkdownContent markdownContent() const;
};

struct Blockquote {
    MarkdownContent content;

    explicit Blockquote(MarkdownContent content) : content(std::move(content)) {}
    Blockquote(std::initializer_list<MarkdownContentComponent> body) : content(body) {}

    MarkdownContent markdownContent() const;
};

struct CodeBlock {
    std::optional<std::string> language;
    std::string content;

    CodeBlock(std::optional<std::string> language, std::string content)
        : language(std::move(language)), content(std::move(content)) {}
    CodeBlock(std::optional<std::string> language, const char* content)
        : CodeBlock(std::move(language), std::string(content)) {}
    // `makeCode` runs once, here.
    template <std::invocable MakeCode>
        requires std::convertible_to<std::invoke_result_t<MakeCode>, std::string>
    CodeBlock(std::optional<std::string> language, const MakeCode& makeCode)
        : CodeBlock(std::move(language), std::string(makeCode())) {}

    MarkdownContent markdownContent() const;
};

struct Heading {
    enum class Level : std::int64_t { level1 = 1, level2, level3, level4, level5, level6 };
    // A level only for 1 to 6.
    static std::optional<Level> levelFromRawValue(std::int64_t rawValue);

    Level level;
    InlineContent content;

    Heading(Level level, InlineContent content) : level(level), content(std::move(content)) {}
    Heading(Level level, std::initializer_list<InlineContentComponent> body) : level(level), content(body) {}

    MarkdownContent markdownContent() const;
};

struct Paragraph {
    InlineContent content;

    explicit Paragraph(InlineContent content) : content(std::move(content)) {}
    Paragraph(std::initializer_list<InlineContentComponent> body) : content(body) {}

    MarkdownContent markdownContent() const;
};

struct ThematicBreak {
    MarkdownContent markdownContent() const;
};

} // namespace ridadozi

template <>
struct std::hash<ridadozi::ListItem> {
    std::size_t operator()(const ridadozi::ListItem& item) const;
};
template <>
struct std::hash<ridadozi::TaskListItem> {
    std::size_t operator()(const ridadozi::TaskListItem& item) const;
};
