#pragma once

// On-disk form of one cached response (internal to the URL cache).

#include "platform/net/HttpTypes.h"

#include <optional>
#include <string>

namespace glimmo::cachefile {

std::string encode(const std::string& url, const HttpResponse& response);

// The response stored for `url`, or nothing when the bytes are damaged or belong to another URL.
std::optional<HttpResponse> decode(const std::string& bytes, const std::string& url);

}  // namespace glimmo::cachefile
