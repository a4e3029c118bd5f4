#include "RemoteImage/DecodingThread.h"

#include "platform/view/PixelDecoding.h"

#include <utility>

namespace remoteimage::detail {

DecodingThread::DecodingThread(std::shared_ptr<glimmo::PixelBudget> budget) : budget_(std::move(budget)) {}

glimmo::Task<DecodedImage> DecodingThread::decode(std::string bytes) {
    return queue_.perform([bytes = std::move(bytes), budget = budget_] { return glimmo::decodePixels(bytes, 1, budget); });
}

} // namespace remoteimage::detail
