#pragma once

#include <string>

namespace genai {

// The public address of the Gemini REST API.
inline constexpr const char* defaultServiceBaseURL = "https://generativelanguage.googleapis.com";

// Per-model request settings.
struct RequestOptions {
    double timeout = 300;            // seconds each HTTP request may go without progress
    std::string apiVersion = "v1beta";
    // Scheme, host and port of the service, without a trailing slash; tests point it at a
    // loopback server.
    std::string baseURL = defaultServiceBaseURL;
};

} // namespace genai
