#include "platform/foundation/Text.h"

#include <gtest/gtest.h>

namespace glimmo {
namespace {

const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"; // 👨‍👩‍👧‍👦
const std::string flagJapan = "\U0001F1EF\U0001F1F5";
const std::string flagFrance = "\U0001F1EB\U0001F1F7";
const std::string thumbsUpDark = "\U0001F44D\U0001F3FF";
const std::string eAcute = "e\u0301"; // e + combining acute
const std::string hangul = "\u1112\u1161\u11AB"; // 한 as conjoining jamo

TEST(GraphemeTest, CountsUserPerceivedCharacters) {
    EXPECT_EQ(graphemeCount(""), 0u);
    EXPECT_EQ(graphemeCount("abc"), 3u);
    EXPECT_EQ(graphemeCount(family), 1u);
    EXPECT_EQ(graphemeCount(flagJapan + flagFrance), 2u);
    EXPECT_EQ(graphemeCount(thumbsUpDark), 1u);
    EXPECT_EQ(graphemeCount(eAcute + "x"), 2u);
    EXPECT_EQ(graphemeCount(hangul), 1u);
    EXPECT_EQ(graphemeCount("a\r\nb"), 3u);
}

TEST(GraphemeTest, PrefixNeverSplitsACluster) {
    EXPECT_EQ(prefixGraphemes("a" + family + "b", 2), "a" + family);
    EXPECT_EQ(prefixGraphemes(flagJapan + flagFrance, 1), flagJapan);
    EXPECT_EQ(prefixGraphemes(thumbsUpDark + "!", 1), thumbsUpDark);
    EXPECT_EQ(prefixGraphemes(eAcute + eAcute, 1), eAcute);
    EXPECT_EQ(prefixGraphemes("hello", 10), "hello");
    EXPECT_EQ(prefixGraphemes("hello", 0), "");
    EXPECT_EQ(prefixGraphemes("", 3), "");
}

TEST(GraphemeTest, PrefixIfLongerAgreesWithTheBreakRules) {
    const std::string plain = "https://de.example.org/Zürich-東京-";
    for (const std::string& tail : {std::string("x"), std::string(), eAcute, family, flagJapan, hangul, std::string("\r\n")}) {
        for (const std::string& text : {plain + tail, tail + plain, plain + tail + plain}) {
            for (std::size_t n = 0; n <= graphemeCount(text) + 1; ++n) {
                const auto cut = prefixGraphemesIfLonger(text, n);
                EXPECT_EQ(cut.has_value(), graphemeCount(text) > n) << text << " " << n;
                if (cut) EXPECT_EQ(*cut, prefixGraphemes(text, n)) << text << " " << n;
            }
        }
    }
    EXPECT_EQ(prefixGraphemesIfLonger("ab\xFF" "cd", 3), "ab\uFFFD");
}

TEST(GraphemeTest, InvalidBytesCountAsReplacementCharacters) {
    const std::string broken = "ab\xFF" "c";
    EXPECT_EQ(graphemeCount(broken), 4u);
    EXPECT_EQ(prefixGraphemes(broken, 3), "ab\uFFFD");
}

TEST(CaseTest, MapsNonAsciiLetters) {
    EXPECT_EQ(lowercased("ÄÖÜ ÇA VA ΣΟΦΙΑ İ"), "äöü ça va σοφια i̇");
    EXPECT_EQ(uppercased("straße ǆ"), "STRASSE Ǆ");
    EXPECT_EQ(lowercased("Chrome"), "chrome");
}

TEST(CaseTest, CaseInsensitiveContainment) {
    EXPECT_TRUE(containsCaseInsensitive("Visual Studio Code", "studio"));
    EXPECT_TRUE(containsCaseInsensitive("Größe", "GRÖSSE"));
    EXPECT_TRUE(containsCaseInsensitive("ΣΟΦΙΑ", "σοφ"));
    EXPECT_FALSE(containsCaseInsensitive("Safari", "chrome"));
    EXPECT_FALSE(containsCaseInsensitive("Safari", ""));
}

TEST(TrimTest, RemovesUnicodeWhiteSpaceAndNewlinesAtTheEndsOnly) {
    EXPECT_EQ(trimmed("  \t\n hello world \r\n"), "hello world");
    EXPECT_EQ(trimmed("\u00A0\u3000text\u2028\u0085"), "text");
    EXPECT_EQ(trimmed("   "), "");
    EXPECT_EQ(trimmed("a \u200B"), "a \u200B"); // zero-width space is not white space
}

TEST(Utf8Test, ValidationFollowsTheStandard) {
    EXPECT_TRUE(isValidUTF8(""));
    EXPECT_TRUE(isValidUTF8("plain ✅ " + family));
    EXPECT_FALSE(isValidUTF8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(isValidUTF8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(isValidUTF8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(isValidUTF8("\xE2\x9C"));         // truncated
}

TEST(Utf8Test, RepairReplacesEachMaximalInvalidPart) {
    EXPECT_EQ(repairUTF8("ok"), "ok");
    EXPECT_EQ(repairUTF8("a\xE2\x9C" "b"), "a\uFFFD" "b");            // one truncated sequence, one mark
    EXPECT_EQ(repairUTF8("\xC0\xAF"), "\uFFFD\uFFFD");                 // overlong: each byte
    EXPECT_EQ(repairUTF8("\xF0\x9F\x91" "\xF0\x9F\x91\x8D"), "\uFFFD\U0001F44D");
}

} // namespace
} // namespace glimmo
