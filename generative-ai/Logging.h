#pragma once

#include "platform/foundation/Log.h"

#include <string>
#include <string_view>
#include <vector>

namespace genai {

// The client's three loggers, all with the subsystem `clientErrorDomain`. The default one always
// writes; the network and verbose ones write only when the process was started with the argument
// "-GenerativeAIDebugLogEnabled" (read once from /proc/self/cmdline when each is first used), so
// request and reply texts stay out of the logs unless a developer asks for them.
namespace Logging {

inline constexpr const char* debugLaunchArgument = "-GenerativeAIDebugLogEnabled";

const glimmo::Logger& defaultLogger();   // category ""
const glimmo::Logger& network();         // category "NetworkResponse"
const glimmo::Logger& verbose();         // category ""

// Whether the process's arguments hold the debug argument.
bool additionalLoggingEnabled();

// The test behind `additionalLoggingEnabled`: one argument equal to the flag, whole and
// case-sensitive, anywhere in the list.
bool containsDebugLaunchArgument(const std::vector<std::string>& arguments);

} // namespace Logging
} // namespace genai
