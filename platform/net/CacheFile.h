#pragma once

// On-disk form of one cached response (internal to the URL cache).

#include "platform/net/HttpTypes.h"

#include <filesystem>
#include <optional>
#include <string>

namespace glimmo::cachefile {

std::string encode(const std::string& url, const HttpResponse& response);

// The response stored for `url`, or nothing when the bytes are damaged or belong to another URL.
std::optional<HttpResponse> decode(const std::string& bytes, const std::string& url);

// Writes through a temporary file in the same folder, fsync and rename; the file is mode 0600.
// Throws std::system_error.
void writeAtomically(const std::filesystem::path& file, const std::string& bytes);

std::optional<std::string> readWhole(const std::filesystem::path& file);

}  // namespace glimmo::cachefile
