// Writes the lossless WebP files of LosslessWebPWriter.h that seed the images fuzz target:
//     write_webp_seeds fuzz/corpus/images
// Each is small enough for the target's limits and reaches the reading of a lossless stream's head by
// another way: many groups, each transform with a colour cache, an alpha plane, an animation's frame.

#include "tests/platform/imaging/LosslessWebPWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

int main(int argumentCount, char** arguments) {
    if (argumentCount != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", arguments[0]);
        return 2;
    }
    using glimmo::testing::PrefixGroupsShape;
    const PrefixGroupsShape manyGroups{.width = 128, .height = 128, .groups = 1024};
    const PrefixGroupsShape transforms{.width = 61, .height = 37, .prefixBits = 3, .groups = 9, .colourCacheBits = 6,
                                       .predictor = true, .subtractGreen = true, .paletteColours = 12};
    const std::vector<std::pair<const char*, std::string>> seeds = {
        {"lossless-many-groups.webp", glimmo::testing::losslessWebP(manyGroups)},
        {"lossless-sparse-groups.webp", glimmo::testing::losslessWebP({.width = 16, .height = 16, .groups = 2, .groupStride = 1200})},
        {"lossless-transforms.webp", glimmo::testing::losslessWebP(transforms)},
        {"lossless-two-colours.webp", glimmo::testing::losslessWebP({.width = 45, .height = 20, .groups = 5, .paletteColours = 2})},
        {"lossless-pixels-take-bits.webp",
         glimmo::testing::losslessWebP({.width = 40, .height = 30, .groups = 3, .colourCacheBits = 11, .pixelsTakeBits = true})},
        {"alpha-plane-many-groups.webp", glimmo::testing::lossyWebPWithLosslessAlpha({.width = 64, .height = 64, .groups = 256})},
        {"animated-lossless-groups.webp", glimmo::testing::animatedLosslessWebP(transforms)},
    };
    for (const auto& [name, bytes] : seeds) {
        std::ofstream(std::filesystem::path(arguments[1]) / name, std::ios::binary) << bytes;
    }
    return 0;
}
