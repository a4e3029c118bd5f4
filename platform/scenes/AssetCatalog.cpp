#include "platform/scenes/AssetCatalog.h"

#include "platform/foundation/Files.h"
#include "platform/imaging/ImageDecoding.h"
#include "platform/view/PixelDecoding.h"

#include <cstdlib>
#include <optional>
#include <string>
#include <system_error>

namespace glimmo {
namespace {

bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

SharedPixels decodeFile(const std::filesystem::path& path, double scale) {
    // A FIFO, a device or a huge file in an image's place is refused, never waited on.
    const std::optional<std::string> bytes = readFileIfReadable(path);
    if (!bytes) return nullptr;
    try {
        return decodePixels(*bytes, scale);
    } catch (const ImageDecodingError&) {
        return nullptr;
    }
}

} // namespace

std::vector<std::filesystem::path> assetDirectories() {
    std::vector<std::filesystem::path> directories;
    if (const char* configured = std::getenv("GLIMMO_ASSETS_DIR"); configured && *configured) {
        directories.emplace_back(configured);
    }
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        directories.push_back(executable.parent_path() / "assets");
        // Where `cmake --install` puts them: <prefix>/bin/<program> and <prefix>/share/<program>/assets.
        directories.push_back(executable.parent_path().parent_path() / "share" / executable.filename() / "assets");
    }
#ifdef GLIMMO_BUILD_ASSETS_DIR
    directories.emplace_back(GLIMMO_BUILD_ASSETS_DIR);
#endif
    return directories;
}

SharedPixels assetImage(const std::string& name) { return assetImage(name, assetDirectories()); }

SharedPixels assetImage(const std::string& name, const std::vector<std::filesystem::path>& directories) {
    if (!isPlainName(name)) return nullptr;
    for (const auto& directory : directories) {
        if (auto image = decodeFile(directory / (name + "@2x.png"), 2)) return image;
        if (auto image = decodeFile(directory / (name + ".png"), 1)) return image;
    }
    return nullptr;
}

} // namespace glimmo
