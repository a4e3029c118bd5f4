#pragma once

// Block styles: a function from a small read-only description of a block (its configuration) to the
// view that draws it. The block views build the configuration and show what the theme's style makes
// of it.

#include "RidadoziRI/Content/MarkdownContent.h"

#include "platform/view/View.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

namespace ridadozi {

// A block as the calling view draws it, without further styling.
struct BlockLabel : glimmo::View<BlockLabel> {
    glimmo::AnyView content;
    // Only an AnyView is taken: a label is a view itself, and letting any view convert would make
    // copying a label ask whether a label converts to a view, endlessly.
    template <class V>
        requires std::same_as<std::remove_cvref_t<V>, glimmo::AnyView>
    explicit BlockLabel(V&& view) : content(std::forward<V>(view)) {}
    BlockLabel(std::in_place_t, glimmo::AnyView view) : content(std::move(view)) {}
    // Shown as its content itself: the label adds no node of its own to the render tree, where one per
    // block (and per table cell) would only hand its one child on.
    std::shared_ptr<const glimmo::ViewContent> toContent() const { return content.content(); }
};

inline BlockLabel blockLabel(glimmo::AnyView view) { return BlockLabel(std::in_place, std::move(view)); }

// Paragraphs, headings, block quotes, images, lists, list items and tables.
struct BlockConfiguration {
    using Label = BlockLabel;
    Label label;
    MarkdownContent content;
};

struct CodeBlockConfiguration {
    using Label = BlockLabel;
    std::optional<std::string> language; // the fence information; absent when the block has none
    std::string content;
    Label label;
};

// Bulleted and numbered list markers. Level 1 is a list not nested in another list.
struct ListMarkerConfiguration {
    int listLevel = 1;
    int itemNumber = 1;
};

struct TaskListMarkerConfiguration {
    bool isCompleted = false;
};

struct TableCellConfiguration {
    using Label = BlockLabel;
    int row = 0; // row 0 is the table's first row, its header
    int column = 0;
    Label label;
    MarkdownContent content;
};

// The configuration of the thematic break: nothing.
struct EmptyBlockConfiguration {};

template <class Configuration>
struct BlockStyle {
    // Builds the view for one block; runs each time it is called, nothing is cached.
    std::function<glimmo::AnyView(const Configuration&)> body;

    template <class F>
        requires std::invocable<const F&, const Configuration&> &&
                 (!std::same_as<std::remove_cvref_t<F>, BlockStyle>)
    explicit BlockStyle(F makeView)
        : body([makeView = std::move(makeView)](const Configuration& configuration) {
              return glimmo::AnyView(makeView(configuration));
          }) {}

    // A style that ignores its (empty) configuration.
    template <class F>
        requires std::same_as<Configuration, EmptyBlockConfiguration> && std::invocable<const F&>
    static BlockStyle initWithoutConfiguration(F makeView) {
        return BlockStyle([makeView = std::move(makeView)](const EmptyBlockConfiguration&) {
            return glimmo::AnyView(makeView());
        });
    }

    // The style that shows the configuration's label unchanged.
    static BlockStyle labelOnly()
        requires requires(const Configuration& c) { c.label; }
    {
        return BlockStyle([](const Configuration& configuration) { return glimmo::AnyView(configuration.label); });
    }

    // A style equals its copies (a view holding the theme's style is not evaluated again for it); two
    // styles made apart never compare equal.
    bool operator==(const BlockStyle& other) const { return made_ == other.made_; }

private:
    std::shared_ptr<const char> made_ = std::make_shared<const char>('\0');
};

} // namespace ridadozi
