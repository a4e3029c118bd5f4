#include "platform/foundation/JsonWriting.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Utf8.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <limits>
#include <random>
#include <string>
#include <vector>

namespace glimmo {
namespace {

std::string written(std::string_view text, JSONSlashes slashes = JSONSlashes::asTheyAre) {
    std::string out = "[";
    appendJSONString(out, text, slashes);
    return out;
}

// A text's size told sequence by sequence.
std::size_t sizeBySequences(std::string_view text) {
    std::size_t size = 2;
    for (std::size_t position = 0; position < text.size();) {
        const std::size_t length = utf8::decode(text, position).length;
        size += jsonStringSequenceSize(text.substr(position, length));
        position += length;
    }
    return size;
}

// Every byte below 0x80 and characters of two to four bytes, alone, all together, and drawn at random
// wherever they fall in the eight bytes looked at together: as compactJSON writes them (with "/" written
// "\/" when asked), in the size told, whole or sequence by sequence.
TEST(JsonWriting, StringsAreWrittenAsCompactJSONWritesThem) {
    std::vector<std::string> pieces = {"é", "€", "💻"};
    std::string everyByte;
    for (int c = 0; c < 0x80; ++c) {
        pieces.push_back(std::string(1, static_cast<char>(c)));
        everyByte += static_cast<char>(c);
    }
    std::vector<std::string> texts = pieces;
    texts.insert(texts.end(), {"", "a\"b\\c/d\x7f", everyByte + "é€💻" + everyByte});
    std::mt19937 random(11);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        // Mostly plain letters, so that runs of eight plain bytes come up between the others.
        for (std::size_t count = random() % 40; count > 0; --count) text += random() % 3 == 0 ? pieces[random() % pieces.size()] : "abc";
        texts.push_back(std::move(text));
    }
    for (const std::string& text : texts) {
        const std::string expected = "[" + compactJSON(nlohmann::json(text));
        ASSERT_EQ(written(text), expected) << text;
        ASSERT_EQ(jsonStringSize(text), expected.size() - 1) << text;
        ASSERT_EQ(sizeBySequences(text), expected.size() - 1) << text;
        std::string slashesEscaped = expected;
        for (std::size_t slash = slashesEscaped.find('/'); slash != std::string::npos; slash = slashesEscaped.find('/', slash + 2)) {
            slashesEscaped.insert(slash, "\\");
        }
        ASSERT_EQ(written(text, JSONSlashes::escaped), slashesEscaped) << text;
    }
}

// Invalid UTF-8 is written as U+FFFD, and the sizes told are the size written.
TEST(JsonWriting, InvalidUTF8IsWrittenRepaired) {
    for (const std::string text : {"\xff", "a\xe2\x82", "\xe2\x82" "b\x80\"", "\xf0\x9f\x92" "\n\xc3"}) {
        const std::string out = written(text);
        EXPECT_EQ(parseJSON(out + "]")[0], repairUTF8(text)) << out;
        EXPECT_EQ(jsonStringSize(text), out.size() - 1) << out;
        EXPECT_EQ(sizeBySequences(text), out.size() - 1) << out;
    }
}

TEST(JsonWriting, NumbersAreWrittenAsCompactJSONWritesThem) {
    for (const double value : {0.0, -0.0, 1.5, 786000000.5, 786000000.0, 1e20, 1e-7, -3.25, 0.1,
                               std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        std::string out;
        appendJSONNumber(out, value);
        EXPECT_EQ(out, compactJSON(nlohmann::json(value))) << value;
    }
}

} // namespace
} // namespace glimmo
