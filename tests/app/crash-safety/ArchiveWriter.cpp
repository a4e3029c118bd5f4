// Converts and archives a record file in the folder it is given, version after version, until it is
// killed. It says "ready" once the file is open, so that the kills land in the writes.
#include "tests/app/crash-safety/ArchivedRecords.h"

#include "platform/foundation/Log.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <folder> <first version>\n", argv[0]);
        return 2;
    }
    glimmo::setLogSinkForTesting([](glimmo::LogLevel, std::string_view) {});
    glimmo::testing::ArchivedRecords records(argv[1]);
    std::puts("ready");
    std::fflush(stdout);
    for (int version = std::atoi(argv[2]);; ++version) {
        records.write(version);
    }
}
