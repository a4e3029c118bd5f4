#include "platform/foundation/LineBreaks.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <memory>
#include <stdexcept>

namespace glimmo {
namespace {

// Making a line break iterator loads and compiles rules; each thread keeps one.
icu::BreakIterator& lineIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status) || !made) throw std::runtime_error(std::string("ICU line breaking is unavailable: ") + u_errorName(status));
        return made;
    }();
    return *iterator;
}

struct UTextCloser {
    void operator()(UText* text) const { utext_close(text); }
};

} // namespace

std::vector<LineBreakOpportunity> lineBreakOpportunities(std::string_view text) {
    std::vector<LineBreakOpportunity> breaks;
    if (text.empty()) return breaks;
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UText, UTextCloser> utext(
        utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU could not read the text: ") + u_errorName(status));
    icu::BreakIterator& iterator = lineIterator();
    iterator.setText(utext.get(), status);
    if (U_FAILURE(status)) throw std::runtime_error(std::string("ICU could not read the text: ") + u_errorName(status));
    for (int32_t offset = iterator.next(); offset != icu::BreakIterator::DONE; offset = iterator.next()) {
        const int32_t rule = iterator.getRuleStatus();
        breaks.push_back({static_cast<std::size_t>(offset), rule >= UBRK_LINE_HARD && rule < UBRK_LINE_HARD_LIMIT});
    }
    // The iterator keeps a pointer to the text; leave it on an empty one before the UText goes away.
    UText empty = UTEXT_INITIALIZER;
    utext_openUTF8(&empty, "", 0, &status);
    iterator.setText(&empty, status);
    utext_close(&empty);
    return breaks;
}

} // namespace glimmo
