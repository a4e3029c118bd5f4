#pragma once

#include "platform/foundation/Error.h"
#include "platform/imaging/ImageDecoding.h"

#include <optional>

namespace remoteimage {

// Why an image load failed after the transfer itself went through, with the codes the platform's URL
// loading uses for the same failures.
class URLError : public glimmo::Error {
public:
    static constexpr const char* errorDomain = "NSURLErrorDomain";

    enum class Code {
        badServerResponse = -1011,        // not an HTTP response, or a status outside 200...299
        cannotDecodeContentData = -1016,  // not an image we can decode, too big to download or to decode
    };

    explicit URLError(Code code);
    URLError(Code code, const std::string& detail);
    // cannotDecodeContentData for the decoder's reason.
    URLError(glimmo::ImageDecodingError::Kind decodingFailure, const std::string& detail);

    Code errorCode() const noexcept { return static_cast<Code>(code()); }
    // Why the decoder refused the data, when it did: a malformed file, one too large, pixels past the
    // bound on decoded images alive, or a decode past the bound on scans, work or time.
    std::optional<glimmo::ImageDecodingError::Kind> decodingFailure() const noexcept { return decodingFailure_; }
    glimmo::ErrorValue::Thrower copyForThrowing() const override { return glimmo::ErrorValue::thrower(*this); }

private:
    std::optional<glimmo::ImageDecodingError::Kind> decodingFailure_;
};

} // namespace remoteimage
