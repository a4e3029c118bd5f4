#pragma once

// The two looks the dashboard pieces share: section headers, and data dimmed while the day is being
// analysed.

#include "platform/view/ViewKit.h"

#include <string>

namespace glimmo::dashboard {

// Upper-case section titles: gray, system font size 10.
inline Text sectionHeader(std::string title) {
    return Text(std::move(title)).foregroundColor(Color::gray()).font(Font::system(10));
}

// Data under refresh is shown at half opacity.
inline double dimmedOpacity(bool isLoading) { return isLoading ? 0.5 : 1.0; }

} // namespace glimmo::dashboard
