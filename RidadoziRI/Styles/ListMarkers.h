#pragma once

// The built-in list and task-list markers. Every marker sits in a frame at least 1.5 em wide with the
// marker at its trailing edge.

#include "RidadoziRI/Styles/BlockStyle.h"

#include "platform/view/Image.h"
#include "platform/view/View.h"

#include <string>

namespace ridadozi {

// A symbol image drawn with the system font at a third of the current text's font size.
struct ListBullet : glimmo::View<ListBullet> {
    glimmo::Image image;
    explicit ListBullet(glimmo::Image symbol) : image(std::move(symbol)) {}
    glimmo::AnyView body() const;
};

// The task-list check box symbol at the small image scale of the current text's font.
glimmo::AnyView checkboxSymbol(bool isCompleted);
// The same drawn in two colours, as a symbol with hierarchical rendering: the outline and the
// checkmark in `primary`, the filled box of a completed item in `secondary`.
glimmo::AnyView checkboxSymbol(bool isCompleted, const glimmo::Color& primary, const glimmo::Color& secondary);

struct ListMarkers {
    static const BlockStyle<ListMarkerConfiguration>& decimalNumberMarker();
    static const BlockStyle<ListMarkerConfiguration>& upperRomanNumberMarker();
    static const BlockStyle<ListMarkerConfiguration>& lowerRomanNumberMarker();
    static const BlockStyle<ListMarkerConfiguration>& dashBulletMarker();
    static const BlockStyle<ListMarkerConfiguration>& filledCircleBulletMarker();
    static const BlockStyle<ListMarkerConfiguration>& hollowCircleBulletMarker();
    static const BlockStyle<ListMarkerConfiguration>& filledSquareBulletMarker();
    // Filled circle at level 1, hollow circle at level 2, filled square at level 3 and deeper.
    static const BlockStyle<ListMarkerConfiguration>& bulletMarkerByLevel();
    static const BlockStyle<TaskListMarkerConfiguration>& checkboxTaskMarker();

    // The marker texts.
    static std::string decimalMarkerText(int itemNumber);
    static std::string upperRomanMarkerText(int itemNumber);
    static std::string lowerRomanMarkerText(int itemNumber);
    // The symbol names.
    static std::string bulletSymbolName(int listLevel);
    static std::string taskSymbolName(bool isCompleted);
};

} // namespace ridadozi
