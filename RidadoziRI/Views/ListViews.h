#pragma once

// Bulleted and numbered lists: one row per item, the marker first and the item's blocks after it.
// A numbered list gives all its markers the width of the widest, aligned on their trailing edge.

#include "RidadoziRI/Document/BlockNode.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ridadozi {

struct BulletedListView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _list = themeMember(&Theme::list);
    glimmo::Environment<BlockStyle<ListMarkerConfiguration>> _bulletedListMarker = themeMember(&Theme::bulletedListMarker);
    glimmo::Environment<int> _listLevel = environmentValue<ListLevelKey>();
    bool isTight = true;
    std::vector<RawListItem> items;

    BulletedListView(bool isTight, std::vector<RawListItem> items) : isTight(isTight), items(std::move(items)) {}
    glimmo::AnyView body() const;
};

struct NumberedListView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _list = themeMember(&Theme::list);
    glimmo::Environment<BlockStyle<ListMarkerConfiguration>> _numberedListMarker = themeMember(&Theme::numberedListMarker);
    glimmo::Environment<int> _listLevel = environmentValue<ListLevelKey>();
    // The widest marker reported from inside the list; absent until the first report.
    glimmo::State<std::optional<glimmo::CGFloat>> _markerWidth;
    bool isTight = true;
    std::int64_t start = 1;
    std::vector<RawListItem> items;

    NumberedListView(bool isTight, std::int64_t start, std::vector<RawListItem> items)
        : isTight(isTight), start(start), items(std::move(items)) {}
    glimmo::AnyView body() const;
};

struct ListItemSequence {
    std::vector<RawListItem> items;
    std::int64_t start = 1;
    BlockStyle<ListMarkerConfiguration> markerStyle;
    std::optional<glimmo::CGFloat> markerWidth;

    glimmo::AnyView body() const;
    bool operator==(const ListItemSequence&) const = default;
};

struct ListItemView {
    glimmo::Environment<BlockStyle<BlockConfiguration>> _listItem = themeMember(&Theme::listItem);
    glimmo::Environment<int> _listLevel = environmentValue<ListLevelKey>();
    RawListItem item;
    std::int64_t number = 1;
    BlockStyle<ListMarkerConfiguration> markerStyle;
    std::optional<glimmo::CGFloat> markerWidth;

    ListItemView(RawListItem item, std::int64_t number, BlockStyle<ListMarkerConfiguration> markerStyle,
                 std::optional<glimmo::CGFloat> markerWidth)
        : item(std::move(item)), number(number), markerStyle(std::move(markerStyle)), markerWidth(markerWidth) {}
    glimmo::AnyView body() const;
    // An item whose list learns its margins or its markers' width is evaluated again only if that
    // changes what it shows (what it reads from the environment is compared by the environment).
    bool operator==(const ListItemView& other) const {
        return item == other.item && number == other.number && markerStyle == other.markerStyle && markerWidth == other.markerWidth;
    }
};

// A marker in the current text style's font (the platform default font when the style sets none).
glimmo::AnyView inTextStyleFont(glimmo::AnyView marker);

// A list item row: the marker, a gap of 6 points and the item's blocks, the marker on the baseline of
// the first line. Each side is measured once per pass: rows nested in rows stay cheap to lay out,
// where a stack measures them several times at every level.
glimmo::AnyView markerRow(glimmo::AnyView marker, glimmo::AnyView content);

// Everything inside is one list level deeper and spaced by the list's tightness.
glimmo::AnyView insideList(glimmo::AnyView items, int listLevel, bool isTight);

} // namespace ridadozi
