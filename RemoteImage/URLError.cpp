#include "RemoteImage/URLError.h"

namespace remoteimage {

namespace {
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
