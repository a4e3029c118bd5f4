// Rewrites every store in the folder it is given (with "records", converts an older version's record
// file instead), version after version, until it is killed. It says "ready" once its stores are open,
// so that the kills land in the writes.
#include "tests/app/crash-safety/Stores.h"

#include "platform/foundation/Log.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s <folder> <first version> [records]\n", argv[0]);
        return 2;
    }
    glimmo::setLogSinkForTesting([](glimmo::LogLevel, std::string_view) {});
    glimmo::testing::Stores stores(argv[1]);
    std::puts("ready");
    std::fflush(stdout);
    for (int version = std::atoi(argv[2]);; ++version) {
        argc == 4 ? glimmo::testing::convertRecordFile(argv[1], version) : stores.write(version);
    }
}
