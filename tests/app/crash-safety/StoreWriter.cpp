// Rewrites every store in the folder it is given (with "records", converts an older version's record
// file instead; with "clear", converts and then clears it), version after version, until it is killed. It says "ready" once its stores are open,
// so that the kills land in the writes.
#include "tests/app/crash-safety/Stores.h"

#include "platform/foundation/Log.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <folder> <first version> [records|clear]\n", argv[0]);
        return 2;
    }
    glimmo::setLogSinkForTesting([](glimmo::LogLevel, std::string_view) {});
    glimmo::testing::Stores stores(argv[1]);
    std::puts("ready");
    std::fflush(stdout);
    for (int version = std::atoi(argv[2]);; ++version) {
        if (argc == 3) {
            stores.write(version);
        } else if (std::string_view(argv[3]) == "clear") {
            glimmo::testing::convertThenClear(argv[1], version);
        } else {
            glimmo::testing::convertRecordFile(argv[1], version);
        }
    }
}
