#include "RemoteImage/URLError.h"

#include "platform/runtime/ErrorValue.h"

namespace remoteimage {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught = glimmo::ErrorValue::teach<URLError>();

std::string describe(URLError::Code code) {
    switch (code) {
    case URLError::Code::badServerResponse: return "The server returned a bad response.";
    case URLError::Code::cannotDecodeContentData: return "The image data cannot be decoded.";
    }
    return "The image cannot be loaded.";
}

} // namespace

URLError::URLError(Code code) : glimmo::Error(errorDomain, static_cast<int>(code), describe(code)) {}

URLError::URLError(Code code, const std::string& detail)
    : glimmo::Error(errorDomain, static_cast<int>(code), describe(code) + " " + detail) {}

URLError::URLError(glimmo::ImageDecodingError::Kind decodingFailure, const std::string& detail)
    : URLError(Code::cannotDecodeContentData, detail) {
    decodingFailure_ = decodingFailure;
}

} // namespace remoteimage
