#include "platform/foundation/Json.h"

#include "platform/foundation/JsonOrderedParse.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/Utf8.h"

#include <nlohmann/json.hpp>
#include <unicode/uchar.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>

namespace glimmo {

namespace {
std::string whatText(const std::string& codingPath, const std::string& description) {
    return codingPath.empty() ? description : codingPath + ": " + description;
}

bool isUpperCaseLetter(char32_t c) {
    const auto type = u_charType(static_cast<UChar32>(c));
    return type == U_UPPERCASE_LETTER || type == U_TITLECASE_LETTER;
}

bool isLowerCaseLetter(char32_t c) { return u_charType(static_cast<UChar32>(c)) == U_LOWERCASE_LETTER; }

constexpr char base64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') {
        return c - 'A';
    }
    if (c >= 'a' && c <= 'z') {
        return c - 'a' + 26;
    }
    if (c >= '0' && c <= '9') {
        return c - '0' + 52;
    }
    if (c == '+') {
        return 62;
    }
    if (c == '/') {
        return 63;
    }
    return -1;
}

// nlohmann's messages start with "[json.exception.parse_error.101] "; the rest says what and where,
// and may quote the text ("; last read: '…'", "number overflow parsing '…'"). The quote is left out:
// these messages reach the logs, and the text can be the user's window titles.
std::string describeParseFailure(const nlohmann::json::exception& error) {
    if (dynamic_cast<const nlohmann::json::out_of_range*>(&error) != nullptr) {
        return "a number is out of the range of a double";
    }
    std::string text(error.what());
    if (!text.empty() && text.front() == '[') {
        if (const auto close = text.find("] "); close != std::string::npos) {
            text.erase(0, close + 2);
        }
    }
    if (const auto quote = text.find("; last read:"); quote != std::string::npos) {
        text.erase(quote);
    }
    return text;
}

// nlohmann's lexer takes a NUL byte for the end of the input, as in a C string, and would return the
// value before it: the bytes after it would be lost without a word. JSON text never holds a raw NUL.
void checkNoNulByte(std::string_view text) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string_view::npos) {
        return;
    }
    const std::size_t lineStart = text.rfind('\n', nul);
    const std::size_t line = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + nul, '\n'));
    const std::size_t column = lineStart == std::string_view::npos ? nul + 1 : nul - lineStart;
    throw JSONDecodingError("", "The data is not valid JSON: syntax error at line " + std::to_string(line) +
                                    ", column " + std::to_string(column) + ": a NUL byte");
}

template <typename Json>
Json parseAs(std::string_view text, const JSONLimits& limits) {
    checkNoNulByte(text);
    checkJSONLimits(text, limits);
    try {
        if constexpr (std::is_same_v<Json, nlohmann::ordered_json>) {
            return parseOrderedJSONText(text);
        } else {
            return Json::parse(text.begin(), text.end());
        }
    } catch (const nlohmann::json::exception& error) {
        // parse_error, and out_of_range for numbers such as 1e999 that no double holds.
        throw JSONDecodingError("", "The data is not valid JSON: " + describeParseFailure(error));
    }
}

template <typename Json>
Date decodeDateFrom(const Json& value) {
    if (!value.is_number()) {
        throw JSONDecodingError("", std::string("Expected a number of seconds for a date but found ") +
                                        value.type_name() + ".");
    }
    return Date{value.template get<double>()};
}

} // namespace

JSONDecodingError::JSONDecodingError(std::string codingPath, std::string description)
    : std::runtime_error(whatText(codingPath, description)), codingPath_(std::move(codingPath)),
      description_(std::move(description)) {}

std::string snakeCased(std::string_view camel) {
    // A word starts at a capital that follows anything but a capital ("fooBar", "version2Beta"), and
    // at the last capital of a run of capitals when lower case follows it ("URLKey" -> "URL", "Key").
    // So "URL" stays one word, and underscores already present are kept as they are.
    std::vector<char32_t> characters;
    for (std::size_t position = 0; position < camel.size();) {
        const auto decoded = utf8::decode(camel, position);
        characters.push_back(decoded.codePoint);
        position += decoded.length;
    }
    std::string result;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        if (i > 0 && isUpperCaseLetter(characters[i])) {
            const bool afterNonCapital = !isUpperCaseLetter(characters[i - 1]);
            const bool endsARunBeforeLowerCase =
                i + 1 < characters.size() && isLowerCaseLetter(characters[i + 1]);
            if (afterNonCapital || endsARunBeforeLowerCase) {
                result.push_back('_');
            }
        }
        utf8::append(result, static_cast<char32_t>(u_tolower(static_cast<UChar32>(characters[i]))));
    }
    return result;
}

std::string base64Encode(std::span<const std::uint8_t> bytes) {
    // Written in place: stored values run to tens of megabytes.
    std::string out(base64EncodedSize(bytes.size()), '=');
    char* next = out.data();
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t triple = (std::uint32_t{bytes[i]} << 16) | (std::uint32_t{bytes[i + 1]} << 8) | bytes[i + 2];
        next[0] = base64Alphabet[(triple >> 18) & 0x3F];
        next[1] = base64Alphabet[(triple >> 12) & 0x3F];
        next[2] = base64Alphabet[(triple >> 6) & 0x3F];
        next[3] = base64Alphabet[triple & 0x3F];
        next += 4;
    }
    const std::size_t remaining = bytes.size() - i;
    if (remaining > 0) {
        // The last group: one or two bytes, padded with "=" (already in place).
        const std::uint32_t second = remaining == 2 ? std::uint32_t{bytes[i + 1]} << 8 : 0;
        const std::uint32_t value = (std::uint32_t{bytes[i]} << 16) | second;
        next[0] = base64Alphabet[(value >> 18) & 0x3F];
        next[1] = base64Alphabet[(value >> 12) & 0x3F];
        if (remaining == 2) {
            next[2] = base64Alphabet[(value >> 6) & 0x3F];
        }
    }
    return out;
}

std::string base64Encode(std::string_view bytes) {
    return base64Encode(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

namespace {

// The number of "=" that end the text as padding.
std::size_t base64Padding(std::string_view text) {
    if (text.empty() || text.back() != '=') {
        return 0;
    }
    return text.size() >= 2 && text[text.size() - 2] == '=' ? 2 : 1;
}

} // namespace

bool isBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return false;
    }
    const std::string_view body = text.substr(0, text.size() - base64Padding(text));
    return std::all_of(body.begin(), body.end(), [](char c) { return base64Value(c) >= 0; });
}

std::size_t base64EncodedSize(std::size_t bytes) { return (bytes + 2) / 3 * 4; }

std::size_t base64BytesWithin(std::size_t size) { return size / 4 * 3; }

std::size_t base64DecodedSize(std::string_view text) { return text.size() / 4 * 3 - base64Padding(text); }

std::optional<std::vector<std::uint8_t>> base64Decode(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    const std::size_t padding = base64Padding(text);
    std::vector<std::uint8_t> out;
    out.reserve(text.size() / 4 * 3);
    for (std::size_t i = 0; i < text.size(); i += 4) {
        const bool lastGroup = i + 4 == text.size();
        std::array<int, 4> values{};
        for (std::size_t j = 0; j < 4; ++j) {
            const bool isPadding = lastGroup && j >= 4 - padding;
            values[j] = isPadding ? 0 : base64Value(text[i + j]);
            if (values[j] < 0) {
                return std::nullopt;
            }
        }
        const std::uint32_t quad = (static_cast<std::uint32_t>(values[0]) << 18) |
                                   (static_cast<std::uint32_t>(values[1]) << 12) |
                                   (static_cast<std::uint32_t>(values[2]) << 6) | static_cast<std::uint32_t>(values[3]);
        out.push_back(static_cast<std::uint8_t>(quad >> 16));
        if (!lastGroup || padding < 2) {
            out.push_back(static_cast<std::uint8_t>(quad >> 8));
        }
        if (!lastGroup || padding < 1) {
            out.push_back(static_cast<std::uint8_t>(quad));
        }
    }
    return out;
}

std::string prettyJSON(const nlohmann::ordered_json& value) {
    return value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string prettyJSON(const nlohmann::json& value) {
    return value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string compactJSON(const nlohmann::ordered_json& value) {
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string compactJSON(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

namespace {

using Output = nlohmann::detail::output_adapter_t<char>;

// Strings, integers, booleans and null through nlohmann's own serializer, straight into the output (a
// value may hold a string of many megabytes): its compact forms of them are already the shortest.
class ShortestWriter {
public:
    explicit ShortestWriter(Output output)
        : output_(output), serializer_(std::move(output), ' ', nlohmann::ordered_json::error_handler_t::replace) {}

    void write(const nlohmann::ordered_json& value) {
        switch (value.type()) {
        case nlohmann::ordered_json::value_t::number_float: {
            // nlohmann writes what JSON cannot hold (NaN, infinities) as null.
            const double number = value.get<double>();
            const std::string text = std::isfinite(number) ? floatingNumberText(number) : "null";
            output_->write_characters(text.data(), text.size());
            return;
        }
        case nlohmann::ordered_json::value_t::array: {
            output_->write_character('[');
            bool first = true;
            for (const auto& element : value) {
                if (!first) output_->write_character(',');
                first = false;
                write(element);
            }
            output_->write_character(']');
            return;
        }
        case nlohmann::ordered_json::value_t::object: {
            output_->write_character('{');
            bool first = true;
            for (auto member = value.begin(); member != value.end(); ++member) {
                if (!first) output_->write_character(',');
                first = false;
                serializer_.dump(nlohmann::ordered_json(member.key()), false, false, 0);
                output_->write_character(':');
                write(member.value());
            }
            output_->write_character('}');
            return;
        }
        default:
            serializer_.dump(value, false, false, 0);
        }
    }

private:
    const Output output_;
    nlohmann::detail::serializer<nlohmann::ordered_json> serializer_;
};

// Counts what it is given.
class CountingOutput final : public nlohmann::detail::output_adapter_protocol<char> {
public:
    void write_character(char) override { ++count; }
    void write_characters(const char*, std::size_t length) override { count += length; }
    std::size_t count = 0;
};

} // namespace

void appendShortestJSON(std::string& out, const nlohmann::ordered_json& value) {
    ShortestWriter(nlohmann::detail::output_adapter<char, std::string>(out)).write(value);
}

std::size_t shortestJSONSize(const nlohmann::ordered_json& value) {
    const auto counting = std::make_shared<CountingOutput>();
    ShortestWriter(counting).write(value);
    return counting->count;
}

namespace {

// The end of the string whose content starts at `position`: its closing quote, the first one not
// escaped (preceded by an even number of backslashes). Skips by memchr: strings are most of a reply.
std::size_t closingQuote(std::string_view text, std::size_t position) {
    for (std::size_t quote = text.find('"', position); quote != std::string_view::npos; quote = text.find('"', quote + 1)) {
        std::size_t backslashes = 0;
        while (quote - backslashes > position && text[quote - backslashes - 1] == '\\') ++backslashes;
        if (backslashes % 2 == 0) return quote;
    }
    return text.size();
}

} // namespace

void checkJSONLimits(std::string_view text, const JSONLimits& limits) {
    if (text.size() > limits.bytes) {
        throw JSONDecodingError("", "The data is larger than " + std::to_string(limits.bytes) + " bytes.");
    }
    std::size_t depth = 0;
    std::size_t values = 0;
    const auto countValue = [&] {
        if (++values > limits.values) {
            throw JSONDecodingError("", "The data holds more than " + std::to_string(limits.values) + " values.");
        }
    };
    countValue(); // the text's own
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            i = closingQuote(text, i + 1);
        } else if (c == '[' || c == '{') {
            if (++depth > limits.nestingDepth) {
                throw JSONDecodingError("", "The data is nested deeper than " + std::to_string(limits.nestingDepth) +
                                                " levels.");
            }
            // Its first element, unless it has none; the blanks before what follows are passed once.
            const std::size_t next = text.find_first_not_of(" \t\n\r", i + 1);
            if (next == std::string_view::npos || text[next] != (c == '[' ? ']' : '}')) countValue();
            if (next != std::string_view::npos) i = next - 1;
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        } else if (c == ',') {
            countValue();
        }
    }
}

nlohmann::json parseJSON(std::string_view text, const JSONLimits& limits) {
    return parseAs<nlohmann::json>(text, limits);
}

nlohmann::ordered_json parseOrderedJSON(std::string_view text, const JSONLimits& limits) {
    return parseAs<nlohmann::ordered_json>(text, limits);
}

double encodeDate(Date date) { return date.secondsSinceReferenceDate; }

Date decodeDate(const nlohmann::json& value) { return decodeDateFrom(value); }

Date decodeDate(const nlohmann::ordered_json& value) { return decodeDateFrom(value); }

} // namespace glimmo
