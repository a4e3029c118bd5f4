#include "RemoteImage/DecodingThread.h"

#include "platform/imaging/ImageDecoding.h"

#include <new>
#include <utility>

namespace remoteimage::detail {

glimmo::Task<DecodingThread::Outcome> DecodingThread::decode(std::string bytes) {
    return queue_.perform([bytes = std::move(bytes)] {
        Outcome outcome;
        try {
            glimmo::DecodedImage decoded = glimmo::decodeImage(bytes);
            auto pixels = std::make_shared<glimmo::PixelImage>();
            pixels->width = decoded.width;
            pixels->height = decoded.height;
            pixels->rgba = std::move(decoded.rgba);
            outcome.image = std::move(pixels);
        } catch (const glimmo::ImageDecodingError& error) {
            outcome.failure = error.what();
        } catch (const std::bad_alloc&) {
            outcome.failure = "There is not enough memory for its pixels.";
        }
        return outcome;
    });
}

} // namespace remoteimage::detail
