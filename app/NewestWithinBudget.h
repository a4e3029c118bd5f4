#pragma once

#include <cstddef>

namespace glimmo {

// How a store writes the text of its list: as it is, or as its Base64 (the user defaults' byte values).
enum class StoredEncoding { text, base64 };

// What a store rewritten whole keeps: entries offered newest first, each kept while the list, as the
// store writes it (its entries between two brackets, a comma between two, then encoded), stays within a
// budget of bytes. The caller says what follows an entry that does not fit: the older ones go, or only it.
class NewestWithinBudget {
public:
    NewestWithinBudget(std::size_t budget, StoredEncoding encoding);

    // Keeps an entry written in `entrySize` bytes if the list still fits with it: whether it did.
    bool keep(std::size_t entrySize);
    // Whether an entry of that size fits the budget alone in the list.
    bool fitsAlone(std::size_t entrySize) const;
    // The largest entry that keep() still takes; 0 when none.
    std::size_t room() const;

private:
    static constexpr std::size_t bracketsSize = 2;
    static constexpr std::size_t commaSize = 1;

    // What the list's text takes with one more entry, besides the entry.
    std::size_t takenWithOneMore() const { return textSize_ + (kept_ == 0 ? 0 : commaSize); }

    // The budget in bytes of the list's text before its encoding.
    const std::size_t textBudget_;
    std::size_t textSize_ = bracketsSize;
    std::size_t kept_ = 0;
};

} // namespace glimmo
