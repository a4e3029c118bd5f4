#include "app/ServiceConfiguration.h"

#include "platform/foundation/Log.h"

#include <cstdlib>
#include <mutex>
#include <set>

#ifndef GLIMMO_GEMINI_API_KEY
#define GLIMMO_GEMINI_API_KEY ""
#endif
#ifndef GLIMMO_OPENAI_API_KEY
#define GLIMMO_OPENAI_API_KEY ""
#endif

namespace glimmo {
namespace {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string environmentOr(const char* name, const char* fallback) {
    std::string value = environmentValue(name);
    return value.empty() ? std::string(fallback) : value;
}

} // namespace

std::string ServiceConfiguration::geminiAPIKey() {
    return environmentOr("GEMINI_API_KEY", GLIMMO_GEMINI_API_KEY);
}

std::string ServiceConfiguration::geminiBaseURL() {
    return environmentOr("GEMINI_BASE_URL", defaultGeminiBaseURL);
}

std::string ServiceConfiguration::openAIAPIKey() {
    return environmentOr("OPENAI_API_KEY", GLIMMO_OPENAI_API_KEY);
}

std::string ServiceConfiguration::openAIBaseURL() {
    return environmentOr("OPENAI_BASE_URL", defaultOpenAIBaseURL);
}

bool ServiceConfiguration::checkKeyPresent(const std::string& key, const char* environmentVariable) {
    if (!key.empty()) {
        return true;
    }
    static std::mutex mutex;
    static std::set<std::string> reported;
    const std::lock_guard lock(mutex);
    if (reported.insert(environmentVariable).second) {
        systemLog(std::string("⚠️ ") + environmentVariable +
                  " is not set: requests to the AI service will fail until it is.");
    }
    return false;
}

} // namespace glimmo
