#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

// Decodes `bytes`, where a `Refusal` ends the input quietly; what was decoded must decode the same
// from its encoding, or the input fails with `what`. Returns what was decoded.
template <typename Refusal, typename Decode, typename Encode>
auto roundTripped(std::string_view bytes, const Decode& decode, const Encode& encode, std::string_view what) {
    std::optional<decltype(decode(bytes))> value;
    try {
        value = decode(bytes);
    } catch (const Refusal&) {
        return value;
    }
    if (decode(encode(*value)) != *value) {
        fail(what);
    }
    return value;
}

} // namespace glimmo::fuzz
