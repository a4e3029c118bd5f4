#pragma once

// Internal: one prefix code of a lossless WebP bitstream, read as the format writes it (a simple code
// of one or two symbols, or code lengths coded with a code of their own) and used to read symbols.

#include "platform/imaging/LosslessBitReader.h"

#include <array>
#include <vector>

namespace glimmo::decoding {

class LosslessPrefixCode {
public:
    // Reads a code over `alphabetSize` symbols. Throws ImageDecodingError (malformed) for one that
    // cannot be read: cut short, a symbol outside the alphabet, more codes of a length than there is
    // room for.
    static LosslessPrefixCode read(LosslessBitReader& bits, int alphabetSize);

    // The next symbol. A code of a single symbol takes no bits.
    int decode(LosslessBitReader& bits) const;

private:
    static constexpr int longestCode = 15;

    // From the length of each symbol's code (0: unused).
    explicit LosslessPrefixCode(const std::vector<int>& lengths);
    static std::vector<int> codedLengths(LosslessBitReader& bits, int alphabetSize);

    std::array<int, longestCode + 1> countOfLength_{};
    std::vector<int> symbolsByCode_;  // by length, then by symbol: the order of canonical codes
};

} // namespace glimmo::decoding
