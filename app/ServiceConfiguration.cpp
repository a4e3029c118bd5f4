#include "app/ServiceConfiguration.h"

#include "platform/foundation/Log.h"

#include <algorithm>
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

// The variables already reported in this process, per kind of report.
struct Reports {
    std::mutex mutex;
    std::set<std::string> refused;
    std::set<std::string> missing;
};

Reports& reports() {
    static Reports instance;
    return instance;
}

// Logs `line` unless `reported` (one of the sets of reports()) already holds the variable.
void reportOnce(std::set<std::string>& reported, const char* variable, const std::string& line) {
    const std::lock_guard lock(reports().mutex);
    if (reported.insert(variable).second) {
        systemLog(line);
    }
}

// A key goes out in a request header: a control character (a line break, say) would end that header
// and start another, so such a key is refused and read as no key.
std::string keyFrom(const char* variable, const char* compiledIn) {
    std::string key = environmentOr(variable, compiledIn);
    const bool hasControlCharacter = std::any_of(key.begin(), key.end(), [](unsigned char c) {
        return c < 0x20 || c == 0x7F;
    });
    if (!hasControlCharacter) {
        return key;
    }
    reportOnce(reports().refused, variable,
               std::string("⚠️ ") + variable +
                   " holds a control character (a line break, say): it is ignored, as if it were not set.");
    return {};
}

} // namespace

std::string ServiceConfiguration::geminiAPIKey() {
    return keyFrom("GEMINI_API_KEY", GLIMMO_GEMINI_API_KEY);
}

std::string ServiceConfiguration::geminiBaseURL() {
    return environmentOr("GEMINI_BASE_URL", defaultGeminiBaseURL);
}

std::string ServiceConfiguration::openAIAPIKey() {
    return keyFrom("OPENAI_API_KEY", GLIMMO_OPENAI_API_KEY);
}

std::string ServiceConfiguration::openAIBaseURL() {
    return environmentOr("OPENAI_BASE_URL", defaultOpenAIBaseURL);
}

bool ServiceConfiguration::checkKeyPresent(const std::string& key, const char* environmentVariable) {
    if (!key.empty()) {
        return true;
    }
    reportOnce(reports().missing, environmentVariable,
               std::string("⚠️ ") + environmentVariable +
                   " is not set: requests to the AI service will fail until it is.");
    return false;
}

void ServiceConfiguration::forgetReportsForTesting() {
    Reports& all = reports();
    const std::lock_guard lock(all.mutex);
    all.refused.clear();
    all.missing.clear();
}

} // namespace glimmo
