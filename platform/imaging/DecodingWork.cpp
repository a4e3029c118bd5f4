#include "platform/imaging/DecodingWork.h"

#include "platform/foundation/NumberText.h"

#include <algorithm>

namespace glimmo::decoding {

namespace {

std::chrono::steady_clock::time_point deadlineAfter(double seconds) {
    const auto start = std::chrono::steady_clock::now();
    // Beyond a day is no bound at all; it also keeps the sum from overflowing.
    if (!(seconds < 86400)) return std::chrono::steady_clock::time_point::max();
    return start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(std::max(seconds, 0.0)));
}

} // namespace

DecodingWork::DecodingWork(const ImageDecodingLimits& limits, const char* format)
    : limits_(limits), format_(format), deadline_(deadlineAfter(limits.maximumSeconds)) {}

bool DecodingWork::tryAdd(long long samples) noexcept {
    done_ += samples;
    outOfTime_ = std::chrono::steady_clock::now() >= deadline_;
    return done_ <= limits_.maximumWork && !outOfTime_;
}

void DecodingWork::add(long long samples) {
    if (!tryAdd(samples)) refuse();
}

void DecodingWork::refuse() const {
    if (outOfTime_) {
        refuse(format_, "took longer than " + numberText(limits_.maximumSeconds) + " seconds");
    }
    refuse(format_, "needs more than " + std::to_string(limits_.maximumWork) + " samples of work");
}

void DecodingWork::refuse(const char* format, const std::string& detail) {
    throw ImageDecodingError(ImageDecodingError::Kind::tooMuchWork,
                             std::string("Decoding the ") + format + " image stopped: it " + detail + ".");
}

} // namespace glimmo::decoding
