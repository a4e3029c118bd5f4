#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/imaging/ImageDecoding.h"

namespace glimmo::fuzz::images {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    // Smaller limits than the application's keep each input's pixels within the fuzzer's memory
    // limit; the decoders take the same paths, and the pixel limit is the tighter one.
    const ImageDecodingLimits limits{.maximumSide = 2048, .maximumPixels = 1 << 20};
    try {
        if (!decodeImage(bytesOf(data, size), limits).isValid()) {
            fail("a decoded image whose pixels do not match its size");
        }
    } catch (const ImageDecodingError&) {
    }
    return 0;
}

} // namespace glimmo::fuzz::images
