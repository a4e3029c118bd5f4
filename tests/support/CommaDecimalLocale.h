#pragma once

#include <string>

namespace glimmo::testing {

// Sets the C library's locale to one whose decimal separator is a comma (de_DE.UTF-8, which
// scripts/install-deps generates), as a Qt program does from the user's environment, and restores
// the previous locale afterwards. A test skips itself when the locale is not installed:
//     const CommaDecimalLocale locale;
//     if (!locale.isSet()) GTEST_SKIP() << CommaDecimalLocale::missingReason;
class CommaDecimalLocale {
public:
    static constexpr const char* name = "de_DE.UTF-8";
    static constexpr const char* missingReason =
        "the locale de_DE.UTF-8 is not installed (scripts/install-deps generates it)";

    CommaDecimalLocale();
    ~CommaDecimalLocale();
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool isSet() const { return set_; }

private:
    std::string previous_;
    bool set_ = false;
};

}  // namespace glimmo::testing
