#include "platform/foundation/LineBreaks.h"

#include "platform/foundation/IcuSupport.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <memory>
#include <stdexcept>
#include <string>

namespace glimmo {
namespace {

// Making a break iterator loads and compiles rules; each thread keeps one of each kind.
using IteratorFactory = icu::BreakIterator* (*)(const icu::Locale&, UErrorCode&);

std::unique_ptr<icu::BreakIterator> makeIterator(IteratorFactory factory) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> made(factory(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !made) throw std::runtime_error(std::string("ICU text breaking is unavailable: ") + u_errorName(status));
    return made;
}

icu::BreakIterator& lineIterator() {
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = makeIterator(&icu::BreakIterator::createLineInstance);
    return *iterator;
}

icu::BreakIterator& characterIterator() {
    thread_local const std::unique_ptr<icu::BreakIterator> iterator = makeIterator(&icu::BreakIterator::createCharacterInstance);
    return *iterator;
}

// Runs `iterator` over `text`, calling `visit(offset, ruleStatus)` at every boundary after the start.
template <class Visit>
void forEachBoundary(icu::BreakIterator& iterator, std::string_view text, Visit visit) {
    if (text.empty()) return;
    UErrorCode status = U_ZERO_ERROR;
    const icu_support::UTextPointer utext(
        utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU could not read the text: ") + u_errorName(status));
    iterator.setText(utext.get(), status);
    if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU could not read the text: ") + u_errorName(status));
    for (int32_t offset = iterator.next(); offset != icu::BreakIterator::DONE; offset = iterator.next()) {
        visit(static_cast<std::size_t>(offset), iterator.getRuleStatus());
    }
    // The iterator keeps a pointer to the text; leave it on an empty one before the UText goes away.
    UText empty = UTEXT_INITIALIZER;
    utext_openUTF8(&empty, "", 0, &status);
    iterator.setText(&empty, status);
    utext_close(&empty);
}

} // namespace

std::vector<LineBreakOpportunity> lineBreakOpportunities(std::string_view text) {
    std::vector<LineBreakOpportunity> breaks;
    forEachBoundary(lineIterator(), text, [&](std::size_t offset, int32_t rule) {
        breaks.push_back({offset, rule >= UBRK_LINE_HARD && rule < UBRK_LINE_HARD_LIMIT});
    });
    return breaks;
}

std::vector<std::size_t> characterBoundaries(std::string_view text) {
    std::vector<std::size_t> boundaries;
    forEachBoundary(characterIterator(), text, [&](std::size_t offset, int32_t) { boundaries.push_back(offset); });
    return boundaries;
}

} // namespace glimmo
