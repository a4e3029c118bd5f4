#pragma once

#include "platform/runtime/ErrorValue.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace glimmo {

// An error with a domain and a numeric code, as the platform's error objects carry them.
class Error : public std::runtime_error, public CopiedAcrossThreads {
public:
    Error(std::string domain, int code, std::string description);

    const std::string& domain() const noexcept { return domain_; }
    int code() const noexcept { return code_; }
    const std::string& localizedDescription() const noexcept { return description_; }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    std::string domain_;
    int code_;
    std::string description_;
};

// A file operation failed. The code is the errno value (0 when the failure was not a system call).
class FileError : public Error {
public:
    static constexpr const char* errorDomain = "glimmo.file";

    // The description reads "<operation> <path>: <strerror(errorNumber)>".
    FileError(std::filesystem::path path, std::string operation, int errorNumber);

    const std::filesystem::path& path() const noexcept { return path_; }
    int errorNumber() const noexcept { return code(); }
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }

private:
    std::filesystem::path path_;
};

} // namespace glimmo
