#pragma once

// Internal: one decoder per format, reached through decodeImage().

#include "platform/imaging/ImageDecoding.h"

#include <string_view>

namespace glimmo::decoding {

DecodedImage decodePNG(std::string_view bytes, const ImageDecodingLimits& limits);
DecodedImage decodeJPEG(std::string_view bytes, const ImageDecodingLimits& limits);
DecodedImage decodeGIF(std::string_view bytes, const ImageDecodingLimits& limits);
DecodedImage decodeWebP(std::string_view bytes, const ImageDecodingLimits& limits);

// Whether a width and height within both limits; not whether they are positive.
bool fitsLimits(long long width, long long height, const ImageDecodingLimits& limits);

// Throws ImageDecodingError::Kind::tooLarge (or malformed for an empty side) before pixels are
// allocated; returns the byte count of the RGBA buffer.
std::size_t checkedPixelBytes(long long width, long long height, const ImageDecodingLimits& limits,
                              const char* format);

// Hands the byte count of the pixels to the limits' beforeAllocating, which may throw to refuse them.
void admitPixelBytes(std::size_t byteCount, const ImageDecodingLimits& limits);
// Hands the byte count of the decoder's working memory to beforeAllocatingWorkspace, which may throw to
// refuse it; nothing is asked for none. Each count takes the place of the one before.
void admitWorkspaceBytes(std::size_t byteCount, const ImageDecodingLimits& limits);

[[noreturn]] void throwMalformed(const char* format, const std::string& detail);

} // namespace glimmo::decoding
