#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace glimmo::fuzz {

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Drops every log line from now on: the code under attack logs what it refuses, and a line per
// input would cost more than the input.
void silenceLogs();

// A property that must hold did not: reports it and aborts, so the fuzzer keeps the input.
[[noreturn]] void fail(std::string_view what);

} // namespace glimmo::fuzz
