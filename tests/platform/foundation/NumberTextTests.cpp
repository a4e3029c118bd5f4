#include "platform/foundation/NumberText.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Files.h"
#include "tests/support/CommaDecimalLocale.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace glimmo {
namespace {

using testing::CommaDecimalLocale;

// What is stored or sent reads the same under a locale whose decimal separator is a comma, as a Qt
// program's C library uses when the user's environment names one.
TEST(NumberText, StoredNumbersAreWrittenAndReadTheSameUnderACommaDecimalLocale) {
    const CommaDecimalLocale locale;
    if (!locale.isSet()) GTEST_SKIP() << CommaDecimalLocale::missingReason;

    EXPECT_EQ(numberText(0.7), "0.7");
    EXPECT_EQ(numberText(0.7f), "0.7");
    EXPECT_EQ(numberText(-3.0), "-3");
    EXPECT_EQ(numberText(1e300), "1e+300");
    EXPECT_EQ(parseNumber("0.7"), 0.7);
    EXPECT_EQ(parseNumber("-2.5e-3"), -2.5e-3);
    EXPECT_TRUE(std::isinf(parseNumber("inf").value_or(0)));
    for (const char* refused : {"0,7", "", " 1", "1 ", "+1", "1x", "1e999"}) {
        EXPECT_EQ(parseNumber(refused), std::nullopt) << refused;
    }
    EXPECT_EQ(parseInteger("-42"), -42);
    EXPECT_EQ(parseInteger("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    for (const char* refused : {"1.0", "9223372036854775808", "+1", "", "1 000"}) {
        EXPECT_EQ(parseInteger(refused), std::nullopt) << refused;
    }

    // A stored JSON file (the activity records are tested under the locale with their own file).
    const testing::TemporaryDirectory folder;
    const auto file = folder.path() / "defaults.json";
    UserDefaults(file).set("ratio", 0.25);
    EXPECT_NE(readFile(file).value_or("").find("0.25"), std::string::npos);
    EXPECT_EQ(UserDefaults(file).doubleValue("ratio"), 0.25);
}

} // namespace
} // namespace glimmo
