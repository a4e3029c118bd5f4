#include "RemoteImage/DecodingThread.h"

#include "platform/view/PixelDecoding.h"

#include <new>
#include <utility>

namespace remoteimage::detail {

DecodingThread::DecodingThread(std::shared_ptr<glimmo::PixelBudget> budget) : budget_(std::move(budget)) {}

glimmo::Task<DecodingThread::Outcome> DecodingThread::decode(std::string bytes) {
    return queue_.perform([bytes = std::move(bytes), budget = budget_] {
        Outcome outcome;
        try {
            outcome.image = glimmo::decodePixels(bytes, 1, budget);
        } catch (const glimmo::ImageDecodingError& error) {
            outcome.failure = error.what();
            outcome.failureKind = error.kind();
        } catch (const std::bad_alloc&) {
            outcome.failure = "There is not enough memory for its pixels.";
        }
        return outcome;
    });
}

} // namespace remoteimage::detail
