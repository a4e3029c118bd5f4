#pragma once

// Shared by the view tests: a document shown under a theme whose styles record what they were given
// and label what they draw, so that frames can be found.

#include "../../platform/view/ViewTestSupport.h"

#include "RidadoziRI/Views/Markdown.h"
#include "RidadoziRI/Views/MarkdownModifiers.h"

#include "platform/view/Shapes.h"
#include "platform/view/Text.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ridadozi::testing {

// A block image provider that draws a 30 x 20 box labelled with the address it was given.
struct BoxImageProvider {
    std::shared_ptr<std::vector<std::optional<glimmo::URL>>> asked = std::make_shared<std::vector<std::optional<glimmo::URL>>>();
    glimmo::AnyView makeImage(const std::optional<glimmo::URL>& url) const {
        asked->push_back(url);
        return glimmo::Rectangle().frame(30, 20).accessibilityLabel("image " + (url ? url->absoluteString() : std::string("none")));
    }
};

inline std::string itemLabel(const std::string& kind, int level, int number) {
    return kind + " " + std::to_string(level) + "." + std::to_string(number);
}

// Markers drawn as text ("1.", "10.", "•") labelled by kind, list level and item number.
inline glimmo::AnyView labelledMarkers(glimmo::AnyView view) {
    view = markdownNumberedListMarker(std::move(view), BlockStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& c) {
        return glimmo::Text(std::to_string(c.itemNumber) + ".").accessibilityLabel(itemLabel("number", c.listLevel, c.itemNumber));
    }));
    view = markdownBulletedListMarker(std::move(view), BlockStyle<ListMarkerConfiguration>([](const ListMarkerConfiguration& c) {
        return glimmo::Text("•").accessibilityLabel(itemLabel("bullet", c.listLevel, c.itemNumber));
    }));
    return markdownTaskListMarker(std::move(view), BlockStyle<TaskListMarkerConfiguration>([](const TaskListMarkerConfiguration& c) {
        return glimmo::Text(c.isCompleted ? "[x]" : "[ ]").accessibilityLabel(c.isCompleted ? "done" : "open");
    }));
}

} // namespace ridadozi::testing
