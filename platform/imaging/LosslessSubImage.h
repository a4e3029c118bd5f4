#pragma once

// Internal: the images a lossless WebP bitstream holds ahead of its main one (each transform's data,
// the prefix image), coded as the main image is but without transforms or groups of their own.

#include "platform/imaging/DecodingWork.h"
#include "platform/imaging/LosslessBitReader.h"

#include <cstdint>
#include <vector>

namespace glimmo::decoding {

// The colour cache's size as the bitstream declares it: 0 for none, else 1 to 11 bits.
int readColourCacheBits(LosslessBitReader& bits);

// Reads an image of width x height from `bits`, and returns its pixels (alpha, red, green and blue from
// the highest byte down) when `keepPixels`, else nothing: an image that is only skipped needs its
// symbols read but not its pixels made. Its pixels count in `work`, a row at a time before the row is
// read. Throws ImageDecodingError: malformed when the image cannot be read, as a backward reference to
// before its first pixel cannot; tooMuchWork when `work` refuses a row.
std::vector<std::uint32_t> readLosslessSubImage(LosslessBitReader& bits, int width, int height, bool keepPixels,
                                                DecodingWork& work);

} // namespace glimmo::decoding
