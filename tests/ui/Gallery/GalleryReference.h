#pragma once

// Gallery renderings checked against the PNGs committed under docs/<folder>/, with the kit gallery's
// tolerance. Each run's rendering goes to <folder>/ beside the test program, so the source tree is left
// alone; GLIMMO_UPDATE_GALLERY=1 rewrites a committed PNG that differs (look at it, then commit it with
// the change that made it differ).

#include "platform/view/PixelImage.h"

#include <string>

namespace glimmo::testing {

// Records a gtest failure when `actual` does not match docs/<folder>/<name>.png.
void expectMatchesGallery(const PixelImage& actual, const std::string& folder, const std::string& name);

} // namespace glimmo::testing
