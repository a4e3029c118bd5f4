#pragma once

#include <string_view>

namespace ridadozi {

// Stops the process for a broken promise of a dependency (never for bad input): writes
// "<source>: Fatal error: <message>" to standard error and aborts.
[[noreturn]] void fatalError(std::string_view source, std::string_view message);

} // namespace ridadozi
