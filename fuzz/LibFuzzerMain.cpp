// The libFuzzer entry of one target; GLIMMO_FUZZ_TARGET names its namespace in FuzzTargets.h.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return glimmo::fuzz::GLIMMO_FUZZ_TARGET::fuzzOne(data, size);
}
