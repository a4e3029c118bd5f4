#pragma once

// Images shipped with the application, looked up by name: "<name>@2x.png" (two pixels per point) or
// "<name>.png" in the first assets folder that has one. Folders, in order: $GLIMMO_ASSETS_DIR, the
// "assets" folder next to the executable, "../share/<executable name>/assets" from the executable's
// folder (an installed program), and the source tree's assets folder of the build.

#include "platform/view/PixelImage.h"

#include <filesystem>
#include <string>
#include <vector>

namespace glimmo {

std::vector<std::filesystem::path> assetDirectories();

// The image, or null when no folder has it, it cannot be decoded, or the name is not a plain file name.
SharedPixels assetImage(const std::string& name);
SharedPixels assetImage(const std::string& name, const std::vector<std::filesystem::path>& directories);

} // namespace glimmo
