#pragma once

// Internal: a WebP bitstream decoded straight into rows of RGBA, with the work and the clock checked as
// the rows come out.

#include "platform/imaging/DecodingWork.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace glimmo::decoding {

struct WebPRowsTarget {
    int width = 0;
    int height = 0;
    std::uint8_t* firstRow = nullptr;
    std::size_t stride = 0;  // bytes from one row to the next
};

// Decodes `bitstream` (a still file, or a frame's chunks) of an image of the target's size into it.
// Throws ImageDecodingError: malformed, or tooMuchWork as soon as a check after some rows finds the
// work or the time past its bound, leaving the rows below unwritten.
void decodeWebPRows(std::string_view bitstream, const WebPRowsTarget& target, DecodingWork& work);

} // namespace glimmo::decoding
