#include "fuzz/FuzzSupport.h"

#include "platform/foundation/Log.h"

#include <cstdio>
#include <cstdlib>

namespace glimmo::fuzz {

void silenceLogs() {
    static const bool silenced = [] {
        setLogSinkForTesting([](LogLevel, std::string_view) {});
        return true;
    }();
    (void)silenced;
}

void fail(std::string_view what) {
    std::fprintf(stderr, "fuzz property broken: %.*s\n", static_cast<int>(what.size()), what.data());
    std::abort();
}

} // namespace glimmo::fuzz
