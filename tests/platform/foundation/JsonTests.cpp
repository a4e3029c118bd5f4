#include "platform/foundation/Json.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

TEST(SnakeCaseTest, SplitsWordsAtCaseChangesAndKeepsAcronymsWhole) {
    const std::pair<const char*, const char*> cases[] = {
        {"fooBar", "foo_bar"},
        {"myURLKey", "my_url_key"},
        {"generationConfig", "generation_config"},
        {"maxOutputTokens", "max_output_tokens"},
        {"inlineData", "inline_data"},
        {"mimeType", "mime_type"},
        {"systemInstruction", "system_instruction"},
        {"single", "single"},
        {"URL", "url"},
        {"URLs", "ur_ls"},
        {"URLKey", "url_key"},
        {"responseMIMEType", "response_mime_type"},
        {"topP", "top_p"},
        {"myHTTPServer", "my_http_server"},
        {"ABC", "abc"},
        {"ABTest", "ab_test"},
        {"version2Beta", "version2_beta"},
        {"_leading", "_leading"},
        {"_fooBar_", "_foo_bar_"},
        {"__private__", "__private__"},
        {"alreadySnake_case", "already_snake_case"},
        {"", ""},
        {"a", "a"},
        {"aB", "a_b"},
        {"déjàVu", "déjà_vu"},
    };
    for (const auto& [camel, snake] : cases) {
        EXPECT_EQ(snakeCased(camel), snake) << camel;
    }
}

TEST(Base64Test, EncodesWithPadding) {
    EXPECT_EQ(base64Encode(std::string_view("")), "");
    EXPECT_EQ(base64Encode(std::string_view("f")), "Zg==");
    EXPECT_EQ(base64Encode(std::string_view("fo")), "Zm8=");
    EXPECT_EQ(base64Encode(std::string_view("foo")), "Zm9v");
    EXPECT_EQ(base64Encode(std::string_view("foob")), "Zm9vYg==");
    const std::vector<std::uint8_t> high = {0xFB, 0xFF, 0xBF};
    EXPECT_EQ(base64Encode(high), "+/+/");
}

TEST(Base64Test, RoundTripsEveryByteAndLength) {
    std::vector<std::uint8_t> bytes;
    for (int length = 0; length < 260; ++length) {
        const auto decoded = base64Decode(base64Encode(bytes));
        ASSERT_TRUE(decoded) << length;
        EXPECT_TRUE(isBase64(base64Encode(bytes))) << length;
        EXPECT_EQ(*decoded, bytes) << length;
        bytes.push_back(static_cast<std::uint8_t>(length * 7));
    }
}

// The sizes are told without encoding: each against the text base64Encode makes.
TEST(Base64Test, SizesAreThoseOfTheEncodedText) {
    std::string bytes;
    for (std::size_t length = 0; length < 40; ++length) {
        const std::size_t encoded = base64Encode(bytes).size();
        EXPECT_EQ(base64EncodedSize(length), encoded) << length;
        // The budget of that many bytes holds these bytes, and one more byte passes it.
        EXPECT_GE(base64BytesWithin(encoded), length) << length;
        EXPECT_GT(base64Encode(std::string(base64BytesWithin(length) + 1, 'x')).size(), length) << length;
        EXPECT_LE(base64Encode(std::string(base64BytesWithin(length), 'x')).size(), length) << length;
        bytes += 'x';
    }
}

TEST(Base64Test, RejectsMalformedText) {
    for (const char* text : {"Zg", "Zg=", "Z===", "Zm9v!A==", "Zg==Zg==", "=Zg=", "Zm 9v", "Zm9v\n"}) {
        EXPECT_EQ(base64Decode(text), std::nullopt) << text;
        EXPECT_FALSE(isBase64(text)) << text;
    }
}

TEST(JsonTextTest, PrettyKeepsOrderedKeysInInsertionOrder) {
    nlohmann::ordered_json record;
    record["id"] = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    record["appName"] = "Safari";
    record["timestamp"] = 7.5e8;
    EXPECT_EQ(prettyJSON(nlohmann::ordered_json::array({record})),
              "[\n  {\n    \"id\": \"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\n    \"appName\": \"Safari\",\n"
              "    \"timestamp\": 750000000.0\n  }\n]");
    EXPECT_EQ(compactJSON(record),
              "{\"id\":\"E621E1F8-C36C-495A-93FC-0C247A3E6E5F\",\"appName\":\"Safari\",\"timestamp\":750000000.0}");
}

TEST(JsonTextTest, InvalidUtf8IsWrittenAsReplacementInsteadOfThrowing) {
    const nlohmann::json value = std::string("bad \xFF byte");
    EXPECT_EQ(compactJSON(value), "\"bad \xEF\xBF\xBD byte\"");
}

TEST(JsonTextTest, ParseErrorsSayWhereTheTextBreaks) {
    try {
        parseJSON("{\n  \"a\": 1,\n  \"b\": tru }");
        FAIL() << "expected JSONDecodingError";
    } catch (const JSONDecodingError& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("line 3, column 11"), std::string::npos) << message;
        EXPECT_NE(message.find("not valid JSON"), std::string::npos) << message;
        EXPECT_TRUE(error.codingPath().empty());
    }
    EXPECT_THROW(parseJSON(""), JSONDecodingError);
    EXPECT_THROW(parseOrderedJSON("[1,]"), JSONDecodingError);
    EXPECT_EQ(parseOrderedJSON("{\"z\":1,\"a\":2}").begin().key(), "z");
}

TEST(JsonTextTest, OnlyBlanksMayFollowTheValueAndNoNulByteMayAppearAnywhere) {
    using namespace std::string_literals;
    EXPECT_EQ(parseJSON(" [1]\n\t \r\n"), nlohmann::json::array({1}));
    for (const std::string& text : {"[\"a\0b\"]"s, "[1]\0"s, "[1]\0 [2]"s, "{\"a\": 1}\n\0\0"s, "[1] x"s, "[1][2]"s}) {
        EXPECT_THROW(parseJSON(text), JSONDecodingError) << ::testing::PrintToString(text);
        EXPECT_THROW(parseOrderedJSON(text), JSONDecodingError) << ::testing::PrintToString(text);
    }
    try {
        parseJSON("{\"a\": 1}\n  \0{\"b\": 2}"s);
        FAIL() << "expected JSONDecodingError";
    } catch (const JSONDecodingError& error) {
        EXPECT_NE(std::string(error.what()).find("line 2, column 3"), std::string::npos) << error.what();
    }
}

TEST(JsonTextTest, NumbersOutOfRangeAndDeepNestingAreDecodingErrors) {
    EXPECT_THROW(parseJSON("{\"x\": -1e999}"), JSONDecodingError);
    EXPECT_THROW(parseOrderedJSON("[1e400]"), JSONDecodingError);
    const auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
    EXPECT_NO_THROW(parseJSON(nested(maximumJSONNestingDepth)));
    EXPECT_THROW(parseJSON(nested(maximumJSONNestingDepth + 1)), JSONDecodingError);
    EXPECT_THROW(parseOrderedJSON(std::string(20000, '{')), JSONDecodingError);
    // Brackets inside strings, escaped quotes included, do not nest.
    EXPECT_NO_THROW(parseJSON("[\"" + std::string(2000, '[') + "\\\"\"]"));
}

TEST(JsonTextTest, LimitsCountBytesDepthAndValuesOutsideStrings) {
    const JSONLimits limits{.bytes = 64, .nestingDepth = 3, .values = 4};
    // One for the text, one for each comma and for the first element of each array or object that has one.
    for (const char* accepted : {"[0,0,0]", "{\"a\":[0,0]}", "[[[\",,,[[{{\"]]]", "\"[,,,,,,,,]\"", "7", "[[],[]]",
                                 "[ [ ] , { \n} , []]"}) {
        EXPECT_NO_THROW(checkJSONLimits(accepted, limits)) << accepted;
        EXPECT_NO_THROW(parseOrderedJSON(accepted, limits)) << accepted;
    }
    const std::pair<std::string, const char*> refused[] = {
        {"[0,0,0,0]", "holds more than 4 values"},
        {"[[],[],[],[]]", "holds more than 4 values"},
        {"{\"a\":{\"b\":{\"c\":[]}}}", "nested deeper than 3 levels"},
        {"[\"" + std::string(61, 'x') + "\"]", "larger than 64 bytes"},
    };
    for (const auto& [text, reason] : refused) {
        try {
            parseJSON(text, limits);
            ADD_FAILURE() << "accepted " << text;
        } catch (const JSONDecodingError& error) {
            EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
        }
        EXPECT_THROW(parseOrderedJSON(text, limits), JSONDecodingError) << text;
    }
    EXPECT_NO_THROW(checkJSONLimits("[\"" + std::string(60, 'x') + "\"]", limits));
}

// A string ends at its first quote not escaped, one after an even number of backslashes: what lies in a
// string never nests, and what follows one always does.
TEST(JsonTextTest, TheLimitScanEndsAStringAtItsUnescapedQuote) {
    const JSONLimits limits{.nestingDepth = 2};
    for (const char* inside : {R"(["\"[[[[\"{{"])", R"(["\\\"[[[["])", R"({"\"[[[":"\\\\\"[[[["})"}) {
        EXPECT_NO_THROW(checkJSONLimits(inside, limits)) << inside;
    }
    for (const char* after : {R"(["\"",[[[]]]])", R"(["\\",[[[]]]])", R"(["a\\\\",{"b":[[]]}])", R"(["\"\\",[[[]]]])"}) {
        EXPECT_THROW(checkJSONLimits(after, limits), JSONDecodingError) << after;
    }
}

// nlohmann's ordered parse finds each key among the members before it one by one: ours must build the
// same values, a repeated key included, without taking time in the square of an object's size.
TEST(JsonTextTest, OrderedParseBuildsWhatNlohmannBuildsAtAnySize) {
    const auto members = [](int count, int repeatEvery) {
        std::string text = "{";
        for (int i = 0; i < count; ++i) {
            const int key = repeatEvery > 0 && i % repeatEvery == repeatEvery - 1 ? i - repeatEvery + 1 : i;
            text += (i > 0 ? ",\"" : "\"") + std::to_string(key) + "\":[" + std::to_string(i) + ",{\"z\":1,\"a\":2}]";
        }
        return text + "}";
    };
    const std::string texts[] = {"{}", "[]", "null", "[1,-2,3.5,18446744073709551615,\"x\",true,false,null]",
                                 R"({"b":1,"a":2,"b":3})", R"([{"k":{"k":{"k":[]}},"k":0}])",
                                 members(16, 0), members(17, 5), members(300, 7)};
    for (const std::string& text : texts) {
        EXPECT_EQ(parseOrderedJSON(text), nlohmann::ordered_json::parse(text)) << text;
    }
    // The rule itself: a key given twice keeps its first place and its last value.
    const auto repeated = parseOrderedJSON(R"({"b":1,"a":2,"b":3})");
    EXPECT_EQ(repeated.begin().key(), "b");
    EXPECT_EQ(repeated.size(), 2u);
    EXPECT_EQ(repeated["b"], 3);

    constexpr int many = 100'000; // minutes for nlohmann's own parse
    const auto large = parseOrderedJSON(members(many, 4));
    ASSERT_EQ(large.size(), static_cast<std::size_t>(many - many / 4));
    EXPECT_EQ(large.begin().key(), "0");
    EXPECT_EQ(large["0"][0], 3) << "the value given last";
    EXPECT_EQ(large["1"][0], 1);
    EXPECT_EQ((--large.end()).key(), std::to_string(many - 2));
}

// Around the size where the parse stops looking a key up as it comes, and the sizes of its table of
// keys, a key given twice is kept once, in its first place with its last value.
TEST(JsonTextTest, OrderedParseKeepsARepeatedKeyOnceAtEverySize) {
    for (int count = 2; count <= 140; ++count) {
        for (const int repeatAt : {1, 15, 16, 17, count / 2, count - 1}) {
            if (repeatAt >= count) continue;
            for (const int original : {0, repeatAt / 2, repeatAt - 1}) {
                // Member i is "k<i>":i, but the one at repeatAt gives the key of the one at original again.
                std::string text = "{";
                std::vector<std::pair<std::string, int>> expected;
                for (int i = 0; i < count; ++i) {
                    const std::string key = "k" + std::to_string(i == repeatAt ? original : i);
                    text += (i > 0 ? ",\"" : "\"") + key + "\":" + std::to_string(i);
                    if (i == repeatAt) expected[static_cast<std::size_t>(original)].second = i;
                    else expected.emplace_back(key, i);
                }
                text += "}";
                const auto parsed = parseOrderedJSON(text);
                std::vector<std::pair<std::string, int>> members;
                for (const auto& [key, value] : parsed.items()) members.emplace_back(key, value.get<int>());
                EXPECT_EQ(members, expected) << text;
            }
        }
    }
}

TEST(JsonTextTest, DecodingErrorsNameThePlaceButNeverQuoteTheText) {
    for (const std::string text : {"[\"private window title\x01\"]", "[private window title]", "[1e999]"}) {
        try {
            parseJSON(text);
            FAIL() << "expected JSONDecodingError for " << text;
        } catch (const JSONDecodingError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.find("private"), std::string::npos) << message;
            EXPECT_EQ(message.find("999"), std::string::npos) << message;
            EXPECT_TRUE(text == "[1e999]" || message.find("line 1, column ") != std::string::npos) << message;
        }
    }
}

TEST(JsonTextTest, DecodingErrorCarriesCodingPath) {
    const JSONDecodingError error("candidates[0].content.parts", "Expected an array but found a string.");
    EXPECT_STREQ(error.what(), "candidates[0].content.parts: Expected an array but found a string.");
    EXPECT_EQ(error.description(), "Expected an array but found a string.");
}

TEST(JsonDateTest, SecondsSinceTwoThousandOne) {
    const Date date = Date::fromUnixTime(1705278600.5);
    EXPECT_EQ(encodeDate(date), 726971400.5);
    EXPECT_EQ(decodeDate(nlohmann::json(726971400.5)), date);
    EXPECT_EQ(decodeDate(nlohmann::ordered_json(0)), Date{});
    EXPECT_THROW(decodeDate(nlohmann::json("2024-01-15")), JSONDecodingError);
}

} // namespace
} // namespace glimmo
