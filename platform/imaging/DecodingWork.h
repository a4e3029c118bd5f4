#pragma once

// Internal: what one decode has done against the limits' bounds on work and time.

#include "platform/imaging/ImageDecoding.h"

#include <chrono>

namespace glimmo::decoding {

class DecodingWork {
public:
    // The clock starts now. `format` names the image in the refusal.
    DecodingWork(const ImageDecodingLimits& limits, const char* format);

    // Counts `samples` about to be decoded or passed over and looks at the clock. False when the work
    // would pass the bound or the time is up; never throws, so a callback inside a C library can ask.
    bool tryAdd(long long samples) noexcept;
    // tryAdd, throwing the refusal when it says no.
    void add(long long samples);

    // ImageDecodingError::Kind::tooMuchWork, naming the bound that was passed.
    [[noreturn]] void refuse() const;
    // The same kind, for a bound a decoder keeps itself (a JPEG's scans).
    [[noreturn]] static void refuse(const char* format, const std::string& detail);

private:
    const ImageDecodingLimits& limits_;
    const char* format_;
    const std::chrono::steady_clock::time_point deadline_;
    long long done_ = 0;
    bool outOfTime_ = false;
};

} // namespace glimmo::decoding
