#pragma once

// Internal: conversions between our UTF-8 strings and dates and ICU's types.

#include "platform/runtime/Date.h"

#include <unicode/unistr.h>
#include <unicode/utext.h>
#include <unicode/utypes.h>

#include <memory>
#include <string>
#include <string_view>

namespace glimmo::icu_support {

// Repairs invalid UTF-8 first, so nothing is silently dropped.
icu::UnicodeString toUnicode(std::string_view utf8);
std::string toUTF8(const icu::UnicodeString& text);

struct UTextCloser {
    void operator()(UText* text) const { utext_close(text); }
};
// A UText open over our text, closed when it goes.
using UTextPointer = std::unique_ptr<UText, UTextCloser>;

inline UDate toUDate(Date date) { return date.unixTime() * 1000.0; }
inline Date fromUDate(UDate milliseconds) { return Date::fromUnixTime(milliseconds / 1000.0); }

} // namespace glimmo::icu_support
