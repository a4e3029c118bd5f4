#include "app/StoredAnswerBounds.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/JsonWriting.h"
#include "platform/foundation/Utf8.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>

namespace glimmo {
namespace {

using Json = nlohmann::ordered_json;
using Kind = Json::value_t;

// The kinds of value a parsed answer holds, from which the generator draws.
constexpr std::array<Kind, 8> valueKinds = {Kind::null,           Kind::boolean,         Kind::number_integer,
                                           Kind::number_unsigned, Kind::number_float, Kind::string,
                                           Kind::array,           Kind::object};
// Pieces of text by how they are written: as they are, escaped in two bytes or as "\u00XX", characters
// of two to four bytes, and a byte that is no UTF-8 (written as U+FFFD).
constexpr std::array<std::string_view, 13> textPieces = {"a", "Code Editor", "/",  "\"", "\\", "\n",    "\t",
                                                        "\x01", "\x7f",      "é", "€", "💻", "\xff"};
constexpr std::array<std::string_view, 8> keys = {"type", "description", "apps", "percentage",
                                                  "categories", "activities", "note", "a\"b"};

class AnswerGenerator {
public:
    explicit AnswerGenerator(unsigned seed) : random_(seed) {}

    // An object or a list, as an answer's root is: now and then a list of hundreds of members, as a
    // day of many activities gives.
    Json answer() { return container(below(2) == 0 ? Kind::object : Kind::array, 0); }

private:
    std::size_t below(std::size_t bound) { return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_); }

    Json value(int depth) {
        // Deeper down, fewer lists and objects, so that every answer ends.
        Kind kind = valueKinds[below(valueKinds.size())];
        while (depth > 3 && (kind == Kind::array || kind == Kind::object)) kind = valueKinds[below(valueKinds.size())];
        switch (kind) {
        case Kind::null: return nullptr;
        case Kind::boolean: return below(2) == 0;
        case Kind::number_integer: return -static_cast<std::int64_t>(below(1000000));
        case Kind::number_unsigned: return static_cast<std::uint64_t>(below(1000000));
        case Kind::number_float: return static_cast<double>(below(100000)) / 7.0;
        case Kind::string: return text();
        default: return container(kind, depth);
        }
    }

    Json container(Kind kind, int depth) {
        const std::size_t count = depth == 0 && below(4) == 0 ? 100 + below(400) : below(5);
        Json made = kind == Kind::array ? Json::array() : Json::object();
        for (std::size_t i = 0; i < count; ++i) {
            if (kind == Kind::array) {
                made.push_back(value(depth + 1));
            } else {
                made[std::string(keys[below(keys.size())]) + (below(3) == 0 ? std::to_string(i) : "")] = value(depth + 1);
            }
        }
        return made;
    }

    std::string text() {
        std::string made;
        for (std::size_t pieces = below(12); pieces > 0; --pieces) made += textPieces[below(textPieces.size())];
        return made;
    }

    std::mt19937 random_;
};

// The order of members that storedAnswerWithin promises: "type", "description", "apps" and "percentage"
// first, then the others in their order.
Json inPromisedOrder(const Json& value) {
    if (value.is_array()) {
        Json list = Json::array();
        for (const Json& element : value) list.push_back(inPromisedOrder(element));
        return list;
    }
    if (!value.is_object()) return value;
    constexpr std::array<std::string_view, 4> leading = {"type", "description", "apps", "percentage"};
    Json object = Json::object();
    for (const std::string_view key : leading) {
        if (const auto member = value.find(std::string(key)); member != value.end()) object[std::string(key)] = inPromisedOrder(*member);
    }
    for (const auto& [key, member] : value.items()) {
        if (std::find(leading.begin(), leading.end(), key) == leading.end()) object[key] = inPromisedOrder(member);
    }
    return object;
}

TEST(StoredAnswerBounds, TheGeneratorDrawsEveryKindOfValueAParsedAnswerHolds) {
    // nlohmann's kinds, in their order; binary values and discarded ones never come from a parse.
    for (auto kind = static_cast<int>(Kind::null); kind <= static_cast<int>(Kind::discarded); ++kind) {
        const bool parsedAnswersHoldIt = kind != static_cast<int>(Kind::binary) && kind != static_cast<int>(Kind::discarded);
        EXPECT_EQ(std::count(valueKinds.begin(), valueKinds.end(), static_cast<Kind>(kind)) == 1, parsedAnswersHoldIt) << kind;
    }
}

// The whole bound counts the pretty-printed size byte for byte: an answer whose texts are within their
// bounds comes back the same with room for exactly its written size, and with less, what comes back is
// written within it and is itself within the bounds.
TEST(StoredAnswerBounds, TheWholeBoundCountsWhatPrettyJSONWrites) {
    constexpr std::size_t roomyText = std::size_t{1} << 30;
    for (unsigned seed = 0; seed < 400; ++seed) {
        const Json answer = AnswerGenerator(seed).answer();
        const std::string written = prettyJSON(answer);
        const StoredAnswerLimits exact{roomyText, roomyText, written.size()};
        ASSERT_EQ(prettyJSON(storedAnswerWithin(answer, exact)), prettyJSON(inPromisedOrder(answer)))
            << "seed " << seed << ", " << written.size() << " bytes";

        std::mt19937 random(seed);
        // An empty list or object takes 2 bytes, and less room holds nothing.
        for (const std::size_t whole : {std::max<std::size_t>(written.size() - 1, 2), std::uniform_int_distribution<std::size_t>(2, written.size())(random)}) {
            const StoredAnswerLimits limits{roomyText, roomyText, whole};
            const Json bounded = storedAnswerWithin(answer, limits);
            const std::string boundedText = prettyJSON(bounded);
            ASSERT_LE(boundedText.size(), whole) << "seed " << seed;
            ASSERT_EQ(prettyJSON(storedAnswerWithin(bounded, limits)), boundedText) << "seed " << seed << ", whole " << whole;
        }
    }
}

// A real answer keeps all of it, a text is cut at a character boundary, and what the day is shown from
// is kept first.
TEST(StoredAnswerBounds, ARealAnswerIsKeptWholeAndAHugeOneKeepsWhatTheDayIsShownFrom) {
    const Json real = parseOrderedJSON(R"({"total_minutes": 180, "active_minutes": 180,
        "categories": [{"type": "Create", "apps": "Code Editor", "percentage": 100, "note": "calls"}],
        "activities": [{"description": "💻 Refactoring the parser", "apps": ["Code Editor"], "mood": {"level": [1, 2]}}]})");
    EXPECT_EQ(prettyJSON(storedAnswerWithin(real)), prettyJSON(real));

    std::string accents;
    for (int i = 0; i < 5000; ++i) accents += "\u00e9"; // two bytes each
    // The category begins with a list that alone passes the whole bound.
    const Json huge = {{"activities", {{{"description", accents}}}},
        {"categories", {{{"blob", std::vector<int>(50000, 1)}, {"type", "Create"}, {"apps", std::string(20000, 'a')}, {"percentage", 50}}}}};
    const Json bounded = storedAnswerWithin(huge);
    EXPECT_EQ(bounded["activities"][0]["description"], accents.substr(0, storedAnswerTextLimit - 4) + "...");
    ASSERT_EQ(bounded["categories"].size(), 1u);
    EXPECT_EQ(bounded["categories"][0]["apps"], std::string(storedAnswerAppsLimit - 3, 'a') + "...");
    EXPECT_EQ(bounded["categories"][0]["percentage"], 50);
}

// What an earlier version stored as it came, no JSON: cut so that the per-day store writes it, as a JSON
// string, in at most storedAnswerLimit bytes, however many bytes each of its characters takes there.
TEST(StoredAnswerBounds, AnAnswerThatIsNoJSONIsCutToWhatTheStoreWritesOfIt) {
    const auto repeated = [](std::string_view piece, std::size_t bytes) {
        std::string text;
        while (text.size() < bytes) text += piece;
        return text;
    };
    EXPECT_EQ(storedAnswerTextWithin(std::string(storedAnswerLimit + 1, 'x')), std::string(storedAnswerLimit - 5, 'x') + "...");
    for (const std::string& text : {repeated("\x01", storedAnswerLimit), repeated("\"\xff", storedAnswerLimit),
                                    repeated("💻\n", 2 * storedAnswerLimit)}) {
        const std::string cut = storedAnswerTextWithin(text);
        ASSERT_LE(jsonStringSize(cut), storedAnswerLimit);
        ASSERT_TRUE(cut.ends_with("..."));
        const std::string kept = cut.substr(0, cut.size() - 3);
        EXPECT_EQ(text.substr(0, kept.size()), kept);
        // Not cut shorter than it must be: one more character would pass the bound.
        const std::size_t next = kept.size() + utf8::decode(text, kept.size()).length;
        EXPECT_GT(jsonStringSize(text.substr(0, next) + "..."), storedAnswerLimit);
        EXPECT_TRUE(isStoredAnswerTextWithinBounds(cut));
    }
}

} // namespace
} // namespace glimmo
