#pragma once

#include "RidadoziRI/Content/InlineContent.h"
#include "RidadoziRI/Content/MarkdownContent.h"
#include "platform/foundation/NumberText.h"

#include <concepts>
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

enum class TextTableColumnAlignment { leading, center, trailing };

namespace detail {
// The textual description of a value: strings and characters as they are, numbers and Booleans as
// written in code.
template <class Value>
std::string textualDescription(const Value& value) {
    if constexpr (std::is_same_v<Value, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_same_v<Value, char>) {
        return std::string(1, value);
    } else if constexpr (std::convertible_to<const Value&, std::string_view>) {
        return std::string(std::string_view(value));
    } else if constexpr (std::is_same_v<Value, float>) {
        return glimmo::numberText(value);
    } else if constexpr (std::is_floating_point_v<Value>) {
        return glimmo::numberText(static_cast<double>(value));
    } else if constexpr (std::is_integral_v<Value>) {
        return std::to_string(value);
    } else {
        return std::string(value.description());
    }
}

template <class Value>
concept TextuallyDescribable = std::same_as<Value, bool> || std::convertible_to<const Value&, std::string_view> ||
    std::is_arithmetic_v<Value> || requires(const Value& value) { std::string(value.description()); };

InlineContent plainTextContent(std::string text);
} // namespace detail

// A column of a table built from row values of type Row.
template <class Row>
struct TextTableColumn {
    std::optional<TextTableColumnAlignment> alignment;
    InlineContent title;
    std::function<InlineContent(const Row&)> content;

    // Title as inline content (an inline-builder body) or as plain text; cells from a function of the
    // row value.
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, InlineContent title,
                    std::function<InlineContent(const Row&)> content)
        : alignment(alignment), title(std::move(title)), content(std::move(content)) {}
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, std::string title,
                    std::function<InlineContent(const Row&)> content)
        : TextTableColumn(alignment, detail::plainTextContent(std::move(title)), std::move(content)) {}
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, const char* title,
                    std::function<InlineContent(const Row&)> content)
        : TextTableColumn(alignment, std::string(title), std::move(content)) {}

    // Cells from a member of the row value: its textual description as plain text.
    template <class Value>
        requires detail::TextuallyDescribable<Value>
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, InlineContent title, Value Row::*member)
        : TextTableColumn(alignment, std::move(title), [member](const Row& row) {
              return detail::plainTextContent(detail::textualDescription(row.*member));
          }) {}
    template <class Value>
        requires detail::TextuallyDescribable<Value>
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, std::string title, Value Row::*member)
        : TextTableColumn(alignment, detail::plainTextContent(std::move(title)), member) {}
    template <class Value>
        requires detail::TextuallyDescribable<Value>
    TextTableColumn(std::optional<TextTableColumnAlignment> alignment, const char* title, Value Row::*member)
        : TextTableColumn(alignment, std::string(title), member) {}
};

template <class Row>
struct TextTableRow {
    Row value;
    explicit TextTableRow(Row value) : value(std::move(value)) {}
};

namespace detail {
template <class Element>
class ListComponent {
public:
    ListComponent(Element element) : elements_{std::move(element)} {}
    ListComponent(std::optional<Element> element) {
        if (element) elements_.push_back(std::move(*element));
    }
    ListComponent(std::vector<Element> elements) : elements_(std::move(elements)) {}
    const std::vector<Element>& elements() const { return elements_; }

private:
    std::vector<Element> elements_;
};

template <class Element>
std::vector<Element> concatenate(std::initializer_list<ListComponent<Element>> components) {
    std::vector<Element> result;
    for (const auto& component : components) {
        result.insert(result.end(), component.elements().begin(), component.elements().end());
    }
    return result;
}
} // namespace detail

template <class Row>
struct TextTableColumnBuilder {
    std::vector<TextTableColumn<Row>> columns;
    TextTableColumnBuilder(std::initializer_list<detail::ListComponent<TextTableColumn<Row>>> body)
        : columns(detail::concatenate(body)) {}
};

template <class Row>
struct TextTableRowBuilder {
    std::vector<TextTableRow<Row>> rows;
    TextTableRowBuilder(std::initializer_list<detail::ListComponent<TextTableRow<Row>>> body)
        : rows(detail::concatenate(body)) {}
};

// A table built from row values and columns: a header row of the column titles, then one row per
// value with one cell per column, so every row has exactly as many cells as there are columns.
struct TextTable {
    std::vector<RawTableColumnAlignment> columnAlignments;
    std::vector<RawTableRow> rows;

    template <std::ranges::random_access_range Rows>
    TextTable(const Rows& rowValues, TextTableColumnBuilder<std::ranges::range_value_t<Rows>> columns) {
        build(rowValues, columns.columns);
    }
    template <class Row>
    TextTable(TextTableColumnBuilder<Row> columns, TextTableRowBuilder<Row> rowBuilder) {
        std::vector<Row> values;
        values.reserve(rowBuilder.rows.size());
        for (auto& row : rowBuilder.rows) values.push_back(std::move(row.value));
        build(values, columns.columns);
    }

    MarkdownContent markdownContent() const;

private:
    static RawTableColumnAlignment rawAlignment(const std::optional<TextTableColumnAlignment>& alignment);

    template <class Rows, class Row>
    void build(const Rows& rowValues, const std::vector<TextTableColumn<Row>>& columns) {
        columnAlignments.reserve(columns.size());
        RawTableRow header;
        header.cells.reserve(columns.size());
        for (const auto& column : columns) {
            columnAlignments.push_back(rawAlignment(column.alignment));
            header.cells.push_back({column.title.inlines});
        }
        rows.reserve(static_cast<std::size_t>(std::ranges::size(rowValues)) + 1);
        rows.push_back(std::move(header));
        for (const auto& value : rowValues) {
            RawTableRow row;
            row.cells.reserve(columns.size());
            for (const auto& column : columns) row.cells.push_back({column.content(value).inlines});
            rows.push_back(std::move(row));
        }
    }
};

} // namespace ridadozi
