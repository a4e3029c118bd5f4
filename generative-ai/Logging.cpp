#include "generative-ai/Logging.h"

#include "generative-ai/ClientError.h"
#include "platform/foundation/Files.h"

#include <algorithm>

namespace genai::Logging {

namespace {

std::vector<std::string> processArguments() {
    // Without its command line the process has no launch arguments to read.
    const std::string content = glimmo::readFileIfReadable("/proc/self/cmdline").value_or("");
    std::vector<std::string> arguments;
    std::string current;
    for (const char c : content) {
        if (c == '\0') {
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) arguments.push_back(std::move(current));
    return arguments;
}

glimmo::Logger makeDebugLogger(const char* category) {
    if (!additionalLoggingEnabled()) return glimmo::Logger::disabled();
    return glimmo::Logger(clientErrorDomain, category, /*debugEnabled=*/true);
}

} // namespace

bool containsDebugLaunchArgument(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), debugLaunchArgument) != arguments.end();
}

bool additionalLoggingEnabled() {
    return containsDebugLaunchArgument(processArguments());
}

// Function-local statics: created once, thread-safely, on first use.
const glimmo::Logger& defaultLogger() {
    static const glimmo::Logger logger(clientErrorDomain, "");
    return logger;
}

const glimmo::Logger& network() {
    static const glimmo::Logger logger = makeDebugLogger("NetworkResponse");
    return logger;
}

const glimmo::Logger& verbose() {
    static const glimmo::Logger logger = makeDebugLogger("");
    return logger;
}

} // namespace genai::Logging
