#pragma once

// The sample sheets of the kit gallery: what the kit's views look like when the Qt backend draws them.

#include "platform/view/Color.h"
#include "platform/view/View.h"
#include "platform/view/ViewHost.h"

#include <functional>

#include <ostream>
#include <string>
#include <vector>

namespace glimmo::gallery {

struct Sheet {
    Sheet(std::string name, AnyView root, CGFloat width, ColorScheme scheme = ColorScheme::light)
        : name(std::move(name)), root(std::move(root)), width(width), scheme(scheme) {}

    std::string name;      // file name without ".png"
    AnyView root;
    CGFloat width;         // the sheet is as tall as its content at this width
    ColorScheme scheme = ColorScheme::light;
    // Input delivered once the sheet is laid out (a held-down button, a scrolled view).
    std::function<void(ViewHost&)> interact;
};

std::vector<Sheet> sheets();

// Test names show the sheet's name.
void PrintTo(const Sheet& sheet, std::ostream* out);

} // namespace glimmo::gallery
