#pragma once

// The sample sheets of the kit gallery: what the kit's views look like when the Qt backend draws them.

#include "platform/view/Color.h"
#include "platform/view/View.h"

#include <ostream>
#include <string>
#include <vector>

namespace glimmo::gallery {

struct Sheet {
    std::string name;      // file name without ".png"
    AnyView root;
    CGFloat width;         // the sheet is as tall as its content at this width
    ColorScheme scheme = ColorScheme::light;
};

std::vector<Sheet> sheets();

// Test names show the sheet's name.
void PrintTo(const Sheet& sheet, std::ostream* out);

} // namespace glimmo::gallery
