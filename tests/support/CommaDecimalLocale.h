#pragma once

#include <clocale>
#include <string>

namespace glimmo::testing {

// Sets the C library's locale to one whose decimal separator is a comma (de_DE.UTF-8, which
// scripts/install-deps generates), as a Qt program does from the user's environment, and restores
// the previous locale afterwards. A test skips itself when the locale is not installed:
//     const CommaDecimalLocale locale;
//     if (!locale.isSet()) GTEST_SKIP() << CommaDecimalLocale::missingReason;
class CommaDecimalLocale {
public:
    static constexpr const char* missingReason =
        "the locale de_DE.UTF-8 is not installed (scripts/install-deps generates it)";

    // Set only when the separator really is a comma, so a test cannot pass for the wrong reason.
    CommaDecimalLocale()
        : set_(std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr && *std::localeconv()->decimal_point == ',') {}
    ~CommaDecimalLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool isSet() const { return set_; }

private:
    const std::string previous_ = std::setlocale(LC_ALL, nullptr); // read before set_ changes it
    const bool set_;
};

} // namespace glimmo::testing
