#include "RidadoziRI/FatalError.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace ridadozi {

void fatalError(std::string_view source, std::string_view message) {
    const std::string line = std::string(source) + ": Fatal error: " + std::string(message) + "\n";
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    std::abort();
}

} // namespace ridadozi
