#include "platform/imaging/LosslessPrefixCode.h"

namespace glimmo::decoding {

namespace {

// The code lengths of the code lengths come in this order, so that the rarest can be left out.
constexpr int codeLengthOrder[] = {17, 18, 0, 1, 2, 3, 4, 5, 16, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
constexpr int codeLengthSymbols = 19;
constexpr int firstRepeatSymbol = 16;  // 16 repeats the last length given, 17 and 18 repeat zero

std::vector<int> simpleLengths(LosslessBitReader& bits, int alphabetSize) {
    std::vector<int> lengths(static_cast<std::size_t>(alphabetSize));
    const int symbols = static_cast<int>(bits.read(1)) + 1;
    const int firstSymbolBits = bits.read(1) != 0 ? 8 : 1;
    for (int index = 0; index < symbols; ++index) {
        const auto symbol = static_cast<int>(bits.read(index == 0 ? firstSymbolBits : 8));
        if (symbol >= alphabetSize) throwMalformed("WebP", "a prefix code names a symbol outside its alphabet");
        lengths[static_cast<std::size_t>(symbol)] = 1;
    }
    return lengths;
}

} // namespace

LosslessPrefixCode LosslessPrefixCode::read(LosslessBitReader& bits, int alphabetSize) {
    const bool simple = bits.readBit() != 0;
    return LosslessPrefixCode(simple ? simpleLengths(bits, alphabetSize) : codedLengths(bits, alphabetSize));
}

std::vector<int> LosslessPrefixCode::codedLengths(LosslessBitReader& bits, int alphabetSize) {
    std::vector<int> lengthsOfLengths(codeLengthSymbols);
    const int given = 4 + static_cast<int>(bits.read(4));
    for (int index = 0; index < given; ++index) lengthsOfLengths[codeLengthOrder[index]] = static_cast<int>(bits.read(3));
    const LosslessPrefixCode lengthCode(lengthsOfLengths);
    // The code lengths may stop short of the alphabet: the symbols of the length code read are counted.
    int codesLeft = alphabetSize;
    if (bits.readBit() != 0) {
        const int countBits = 2 + 2 * static_cast<int>(bits.read(3));
        codesLeft = 2 + static_cast<int>(bits.read(countBits));
        if (codesLeft > alphabetSize) throwMalformed("WebP", "a prefix code has more lengths than symbols");
    }
    std::vector<int> lengths(static_cast<std::size_t>(alphabetSize));
    int previous = 8;
    for (std::size_t symbol = 0; symbol < lengths.size() && codesLeft-- > 0;) {
        const int code = lengthCode.decode(bits);
        if (code < firstRepeatSymbol) {
            lengths[symbol++] = code;
            if (code != 0) previous = code;
            continue;
        }
        const int extraBits[] = {2, 3, 7};
        const int least[] = {3, 3, 11};
        const auto repeats = static_cast<std::size_t>(least[code - firstRepeatSymbol]) + bits.read(extraBits[code - firstRepeatSymbol]);
        if (repeats > lengths.size() - symbol) throwMalformed("WebP", "a prefix code repeats past its alphabet");
        for (std::size_t index = 0; index < repeats; ++index) lengths[symbol++] = code == firstRepeatSymbol ? previous : 0;
    }
    return lengths;
}

// Canonical codes: shorter codes first, and within a length in the order of the symbols. More codes
// of a length than the shorter ones leave room for cannot be told apart.
LosslessPrefixCode::LosslessPrefixCode(const std::vector<int>& lengths) {
    for (const int length : lengths) ++countOfLength_[static_cast<std::size_t>(length)];
    long long room = 1;
    for (int length = 1; length <= longestCode; ++length) {
        room = room * 2 - countOfLength_[static_cast<std::size_t>(length)];
        if (room < 0) throwMalformed("WebP", "a prefix code has more codes than room for them");
    }
    for (int length = 1; length <= longestCode; ++length) {
        for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
            if (lengths[symbol] == length) symbolsByCode_.push_back(static_cast<int>(symbol));
        }
    }
    // With no symbol at all the code stands for symbol 0, as an empty code is written.
    if (symbolsByCode_.empty()) symbolsByCode_.push_back(0);
}

int LosslessPrefixCode::decode(LosslessBitReader& bits) const {
    if (symbolsByCode_.size() == 1) return symbolsByCode_.front();
    // The code's bits come highest first; `first` is the first code of the current length.
    int code = 0;
    int first = 0;
    int index = 0;
    for (int length = 1; length <= longestCode; ++length) {
        code |= static_cast<int>(bits.readBit());
        const int count = countOfLength_[static_cast<std::size_t>(length)];
        if (code - first < count) return symbolsByCode_[static_cast<std::size_t>(index + code - first)];
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    throwMalformed("WebP", "a prefix code was read that its code does not hold");
}

} // namespace glimmo::decoding
