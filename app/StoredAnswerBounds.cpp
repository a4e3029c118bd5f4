#include "app/StoredAnswerBounds.h"

#include "app/BoundedText.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonWriting.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

using StoredJson = nlohmann::ordered_json;
using StoredMembers = StoredJson::object_t;

constexpr std::array<std::string_view, 4> leadingKeys = {"type", "description", "apps", "percentage"};

// The written size of values as prettyJSON writes them (two spaces a level), byte for byte. A list or
// object with members is "[\n" or "{\n", then each member on a line of its own, one level deeper, ended
// by ",\n" but the last, ended by "\n" alone, then its closing bracket on a line at its own level;
// without members it is "[]" or "{}".
constexpr std::size_t indentWidth = 2;
constexpr std::size_t emptyContainerSize = 2;
// What a list or object with members takes besides its members' lines: "[\n", and the closing bracket
// with its indentation, less the comma that the last member's line goes without.
std::size_t filledContainerFrameSize(std::size_t depth) { return 2 + indentWidth * depth; }
// A member's line besides the member: its indentation, and a comma and a line break.
std::size_t memberLineSize(std::size_t depth) { return indentWidth * (depth + 1) + 2; }
// A scalar is written the same compact or pretty.
std::size_t scalarSize(const StoredJson& scalar) { return compactJSON(scalar).size(); }

struct BoundedValue {
    StoredJson value;
    std::size_t size = 0;
    // False when the room ran out inside it.
    bool whole = true;
};

class StoredAnswerBounding {
public:
    explicit StoredAnswerBounding(const StoredAnswerLimits& limits) : limits_(limits) {}

    // The value at `depth` written in at most `room` bytes; nullopt when not even its smallest form fits.
    std::optional<BoundedValue> value(const StoredJson& value, std::size_t depth, std::size_t room, std::size_t textLimit) const {
        if (value.is_array()) {
            return list(value, depth, room);
        }
        if (value.is_object()) {
            return object(value, depth, room);
        }
        return scalar(value, room, textLimit);
    }

private:
    std::size_t textLimitFor(std::string_view key) const { return key == "apps" ? limits_.apps : limits_.text; }

    std::optional<BoundedValue> scalar(const StoredJson& value, std::size_t room, std::size_t textLimit) const {
        BoundedValue bounded;
        bounded.value =
            value.is_string() ? StoredJson(textWithinBytes(value.get_ref<const std::string&>(), textLimit)) : value;
        bounded.size = scalarSize(bounded.value);
        if (bounded.size > room) {
            return std::nullopt;
        }
        return bounded;
    }

    std::optional<BoundedValue> list(const StoredJson& list, std::size_t depth, std::size_t room) const {
        if (room < emptyContainerSize) {
            return std::nullopt;
        }
        BoundedValue bounded{StoredJson::array(), emptyContainerSize, true};
        std::size_t used = filledContainerFrameSize(depth);
        const std::size_t line = memberLineSize(depth);
        for (const StoredJson& element : list) {
            std::optional<BoundedValue> kept;
            if (used + line < room) {
                kept = value(element, depth + 1, room - used - line, limits_.text);
            }
            // A list or object cut to nothing says nothing: left out.
            if (!kept || (!kept->whole && kept->value.is_structured() && kept->value.empty())) {
                bounded.whole = false;
                break;
            }
            used += line + kept->size;
            bounded.value.push_back(std::move(kept->value));
            if (!kept->whole) {
                bounded.whole = false;
                break;
            }
        }
        if (!bounded.value.empty()) {
            bounded.size = used;
        }
        return bounded;
    }

    std::optional<BoundedValue> object(const StoredJson& object, std::size_t depth, std::size_t room) const {
        if (room < emptyContainerSize) {
            return std::nullopt;
        }
        std::vector<const StoredMembers::value_type*> members;
        members.reserve(object.size());
        const auto& source = object.get_ref<const StoredMembers&>();
        for (const std::string_view key : leadingKeys) {
            for (const auto& member : source) {
                if (member.first == key) {
                    members.push_back(&member);
                    break;
                }
            }
        }
        for (const auto& member : source) {
            if (std::find(leadingKeys.begin(), leadingKeys.end(), member.first) == leadingKeys.end()) {
                members.push_back(&member);
            }
        }

        // Keys are unique in the source and none is changed, so members are appended without a lookup.
        StoredMembers kept;
        auto& keptMembers = static_cast<StoredMembers::Container&>(kept);
        std::vector<std::pair<std::size_t, const StoredJson*>> toFill;
        BoundedValue bounded{StoredJson::object(), emptyContainerSize, true};
        std::size_t used = filledContainerFrameSize(depth);
        for (const auto* member : members) {
            const auto& [key, memberValue] = *member;
            if (key.size() > limits_.text) {
                continue;
            }
            const std::size_t line = memberLineSize(depth) + scalarSize(StoredJson(key)) + 2; // the key and ": "
            std::optional<BoundedValue> smallest;
            if (used + line < room) {
                if (!memberValue.is_structured()) {
                    smallest = scalar(memberValue, room - used - line, textLimitFor(key));
                } else if (room - used - line >= emptyContainerSize) {
                    smallest = BoundedValue{memberValue.is_array() ? StoredJson::array() : StoredJson::object(),
                                            emptyContainerSize};
                }
            }
            if (!smallest) {
                bounded.whole = false;
                break;
            }
            used += line + smallest->size;
            if (memberValue.is_structured() && !memberValue.empty()) {
                toFill.emplace_back(keptMembers.size(), &memberValue);
            }
            keptMembers.emplace_back(key, std::move(smallest->value));
        }
        for (const auto& [index, source] : toFill) {
            if (!bounded.whole) {
                break;
            }
            // Its empty form is counted already, so there is room for that at least.
            auto filled = value(*source, depth + 1, room - used + emptyContainerSize, limits_.text);
            used += filled->size - emptyContainerSize;
            keptMembers[index].second = std::move(filled->value);
            bounded.whole = filled->whole;
        }
        if (!kept.empty()) {
            bounded.value.get_ref<StoredMembers&>() = std::move(kept);
            bounded.size = used;
        }
        return bounded;
    }

    const StoredAnswerLimits limits_;
};

} // namespace

nlohmann::ordered_json storedAnswerWithin(const nlohmann::ordered_json& storedForm, const StoredAnswerLimits& limits) {
    const StoredAnswerBounding bounding(limits);
    auto bounded = bounding.value(storedForm, 0, limits.whole, limits.text);
    return bounded ? std::move(bounded->value) : StoredJson();
}

bool isStoredAnswerTextWithinBounds(std::string_view text) {
    // A byte is written in six at most ("\u0001"), and the quotes in two: a short text needs no counting.
    constexpr std::size_t mostWrittenPerByte = 6;
    return text.size() <= storedAnswerLimit && (mostWrittenPerByte * text.size() + 2 <= storedAnswerWrittenLimit ||
                                                jsonStringSize(text) <= storedAnswerWrittenLimit);
}

std::string storedAnswerTextWithin(std::string text) {
    if (isStoredAnswerTextWithinBounds(text)) {
        return text;
    }
    try {
        return prettyJSON(storedAnswerWithin(parseOrderedJSON(text)));
    } catch (const JSONDecodingError&) {
        return textWithinJSONStringSize(text, storedAnswerLimit);
    }
}

} // namespace glimmo
