#pragma once

#include <string>

namespace glimmo {

// Where the AI services are and the keys to use them. Keys come from the environment (or a key
// compiled in with the GLIMMO_GEMINI_API_KEY or GLIMMO_OPENAI_API_KEY build option), never from the
// source, and are never logged. Each call reads the environment afresh.
struct ServiceConfiguration {
    static constexpr const char* defaultGeminiBaseURL = "https://generativelanguage.googleapis.com";
    static constexpr const char* defaultOpenAIBaseURL = "https://api.openai.com";

    // GEMINI_API_KEY, else the compiled-in key; empty when neither is set, and when the key holds a
    // control character (a line break would inject headers into the request): that key is refused with
    // one log line naming the variable.
    static std::string geminiAPIKey();
    // GEMINI_BASE_URL, else the public endpoint.
    static std::string geminiBaseURL();
    // OPENAI_API_KEY, else the compiled-in key; empty when neither is set or refused as above.
    static std::string openAIAPIKey();
    // OPENAI_BASE_URL, else the public endpoint.
    static std::string openAIBaseURL();

    // Logs one line naming the missing variable when `key` is empty (once per variable and
    // process). Returns whether the key is present.
    static bool checkKeyPresent(const std::string& key, const char* environmentVariable);

    // Tests only: forgets which variables were reported, so that a test sees the first report of its
    // own whichever tests ran before it in the process.
    static void forgetReportsForTesting();
};

} // namespace glimmo
