#include "platform/foundation/UUID.h"

#include "platform/foundation/HexDigit.h"

#include <sys/random.h>

#include <cerrno>
#include <stdexcept>
#include <system_error>

namespace glimmo {

namespace {

constexpr std::size_t hyphenPositions[] = {8, 13, 18, 23};

bool isHyphenPosition(std::size_t index) {
    for (const std::size_t position : hyphenPositions) {
        if (index == position) {
            return true;
        }
    }
    return false;
}

void fillFromSystem(void* buffer, std::size_t size) {
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t count = ::getrandom(bytes + filled, size - filled, 0);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(count);
    }
}

// xoshiro256** seeded once per thread from the system's random source: ids need to be unique, not
// secret, and a history load makes one per row.
class IdGenerator {
public:
    IdGenerator() {
        do {
            fillFromSystem(state_, sizeof state_);
        } while ((state_[0] | state_[1] | state_[2] | state_[3]) == 0);
    }

    std::uint64_t next() {
        const std::uint64_t result = rotate(state_[1] * 5, 7) * 9;
        const std::uint64_t shifted = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= shifted;
        state_[3] = rotate(state_[3], 45);
        return result;
    }

private:
    static std::uint64_t rotate(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::uint64_t state_[4];
};

} // namespace

UUID UUID::random() {
    thread_local IdGenerator generator;
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t half = 0; half < 2; ++half) {
        std::uint64_t value = generator.next();
        for (std::size_t i = 0; i < 8; ++i, value >>= 8) {
            bytes[half * 8 + i] = static_cast<std::uint8_t>(value);
        }
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    return UUID(bytes);
}

std::optional<UUID> UUID::parse(std::string_view text) {
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::size_t byteIndex = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (isHyphenPosition(i)) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = hexDigitValue(text[i]);
        const int low = hexDigitValue(text[i + 1]);
        if (high < 0 || low < 0 || isHyphenPosition(i + 1)) {
            return std::nullopt;
        }
        bytes[byteIndex++] = static_cast<std::uint8_t>(high * 16 + low);
        i += 2;
    }
    return UUID(bytes);
}

std::string UUID::uuidString() const {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) {
            text.push_back('-');
        }
        text.push_back(digits[bytes_[i] >> 4]);
        text.push_back(digits[bytes_[i] & 0x0F]);
    }
    return text;
}

} // namespace glimmo

std::size_t std::hash<glimmo::UUID>::operator()(const glimmo::UUID& uuid) const noexcept {
    // FNV-1a over the bytes: random UUIDs are already well spread.
    std::size_t hash = 14695981039346656037ULL;
    for (const std::uint8_t byte : uuid.bytes()) {
        hash ^= byte;
        hash *= 1099511628211ULL;
    }
    return hash;
}
