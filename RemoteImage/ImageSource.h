#pragma once

#include "platform/foundation/URL.h"
#include "platform/view/Geometry.h"

#include <cstddef>
#include <functional>
#include <string>

namespace remoteimage {

// Where an image comes from and how many of its pixels make one point.
struct ImageSource {
    glimmo::URL url;
    glimmo::CGFloat scale = 1;

    bool operator==(const ImageSource&) const = default;
};

} // namespace remoteimage

template <>
struct std::hash<remoteimage::ImageSource> {
    std::size_t operator()(const remoteimage::ImageSource& source) const noexcept {
        const std::size_t address = std::hash<std::string>{}(source.url.absoluteString());
        return address ^ (std::hash<double>{}(source.scale) + 0x9e3779b97f4a7c15ULL + (address << 6) + (address >> 2));
    }
};
