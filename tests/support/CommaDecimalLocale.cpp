#include "tests/support/CommaDecimalLocale.h"

#include <clocale>

namespace glimmo::testing {

CommaDecimalLocale::CommaDecimalLocale() {
    if (const char* current = std::setlocale(LC_ALL, nullptr)) previous_ = current;
    // Set only when the separator really is a comma, so a test cannot pass for the wrong reason.
    set_ = std::setlocale(LC_ALL, name) != nullptr && *std::localeconv()->decimal_point == ',';
}

CommaDecimalLocale::~CommaDecimalLocale() {
    std::setlocale(LC_ALL, previous_.empty() ? "C" : previous_.c_str());
}

}  // namespace glimmo::testing
