#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/imaging/ImageDecoding.h"

namespace glimmo::fuzz::images {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    // A smaller side limit than the application's keeps each input's pixels within the fuzzer's
    // memory limit; the decoders take the same paths.
    const ImageDecodingLimits limits{.maximumSide = 2048};
    try {
        if (!decodeImage(bytesOf(data, size), limits).isValid()) {
            fail("a decoded image whose pixels do not match its size");
        }
    } catch (const ImageDecodingError&) {
    }
    return 0;
}

} // namespace glimmo::fuzz::images
