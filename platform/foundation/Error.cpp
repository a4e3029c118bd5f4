#include "platform/foundation/Error.h"

#include <cstring>

namespace glimmo {

Error::Error(std::string domain, int code, std::string description)
    : std::runtime_error(description), domain_(std::move(domain)), code_(code),
      description_(std::move(description)) {}

namespace {

std::string fileErrorText(const std::filesystem::path& path, const std::string& operation, int errorNumber) {
    std::string text = operation + " " + path.string();
    if (errorNumber != 0) {
        text += ": ";
        text += std::strerror(errorNumber);
    }
    return text;
}

} // namespace

FileError::FileError(std::filesystem::path path, std::string operation, int errorNumber)
    : Error(errorDomain, errorNumber, fileErrorText(path, operation, errorNumber)), path_(std::move(path)) {}

} // namespace glimmo
