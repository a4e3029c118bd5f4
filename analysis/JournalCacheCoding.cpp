// The stored form of the journal cache: entries, the flat array of days and entries, and the same
// array made from the days held in memory.
#include "analysis/JournalCacheDays.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/JsonWriting.h"
#include "platform/foundation/NumberText.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace glimmo {
namespace {

// The shortest text that reads back as the same double; whole numbers without a fraction.
void appendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        value = 0;
    }
    out += numberText(value);
}

const nlohmann::json& member(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end()) {
        throw JSONDecodingError(key, "no value for key");
    }
    return *found;
}

std::string encodedEntry(std::string_view response, Date timestamp) {
    std::string out = "{\"response\":";
    // Strings as the platform's JSON encoder writes them by default: "/" escaped too.
    appendJSONString(out, response, JSONSlashes::escaped);
    out += ",\"timestamp\":";
    appendNumber(out, timestamp.secondsSinceReferenceDate);
    out += '}';
    return out;
}

} // namespace

std::string encodeJournalPromptResponse(const JournalPromptResponse& entry) {
    return encodedEntry(entry.response, entry.timestamp);
}

JournalPromptResponse decodeJournalPromptResponse(std::string_view bytes) {
    const nlohmann::json root = parseJSON(bytes);
    if (!root.is_object()) {
        throw JSONDecodingError("", "expected an object");
    }
    const nlohmann::json& response = member(root, "response");
    if (!response.is_string()) {
        throw JSONDecodingError("response", "expected a string");
    }
    return {response.get<std::string>(), decodeDate(member(root, "timestamp"))};
}

namespace {

// The flat array of days and their entries, each entry appended by `appendEntry`.
template <class Days, class AppendEntry>
std::string encodeDays(const Days& days, std::size_t entriesSize, AppendEntry appendEntry) {
    std::string out = "[";
    out.reserve(entriesSize + 32 * days.size() + 2);
    bool first = true;
    for (const auto& [day, entry] : days) {
        if (!first) {
            out += ',';
        }
        first = false;
        appendNumber(out, day.secondsSinceReferenceDate);
        out += ',';
        appendEntry(out, entry);
    }
    out += ']';
    return out;
}

std::string storedEntry(std::string_view bytes) {
    std::string text;
    appendJSONString(text, base64Encode(bytes), JSONSlashes::escaped);
    return text;
}

} // namespace

std::string encodeJournalCache(const JournalCacheDictionary& cache) {
    return encodeDays(cache, 0, [](std::string& out, const std::string& entry) { out += storedEntry(entry); });
}

std::string encodeJournalCacheDays(const JournalCacheDays& days) {
    std::size_t entriesSize = 0;
    for (const auto& day : days) {
        entriesSize += day.second->storedText().size();
    }
    return encodeDays(days, entriesSize, [](std::string& out, const std::shared_ptr<const JournalCacheEntry>& entry) {
        out += entry->storedText();
    });
}

JournalCacheDictionary decodeJournalCache(std::string_view bytes) {
    const nlohmann::json root = parseJSON(bytes);
    if (!root.is_array() || root.size() % 2 != 0) {
        throw JSONDecodingError("", "expected an array of days and entries");
    }
    JournalCacheDictionary cache;
    for (std::size_t i = 0; i < root.size(); i += 2) {
        const Date day = decodeDate(root[i]);
        if (!root[i + 1].is_string()) {
            throw JSONDecodingError("[" + std::to_string(i + 1) + "]", "expected a Base64 string");
        }
        const auto entry = base64Decode(root[i + 1].get<std::string>());
        if (!entry) {
            throw JSONDecodingError("[" + std::to_string(i + 1) + "]", "invalid Base64");
        }
        // A day written twice keeps its later entry rather than costing every other day.
        cache[day] = std::string(entry->begin(), entry->end());
    }
    return cache;
}

JournalCacheDays decodeJournalCacheDays(std::string_view bytes) {
    JournalCacheDays days;
    for (auto& [day, bytesOfEntry] : decodeJournalCache(bytes)) {
        std::optional<JournalPromptResponse> response;
        try {
            response = decodeJournalPromptResponse(bytesOfEntry);
        } catch (const std::exception&) {
            days.emplace(day, std::make_shared<const JournalCacheEntry>(std::move(bytesOfEntry)));
            continue;
        }
        days.emplace(day, std::make_shared<const JournalCacheEntry>(std::move(response->response), response->timestamp));
    }
    return days;
}

std::string JournalCacheEntry::bytes() const {
    return response_ ? encodedEntry(**response_, timestamp_) : undecoded_;
}

std::size_t JournalCacheEntry::storedSizeAtLeast() const {
    // The bytes hold the reply at least; their Base64 takes four bytes for every three, and quotes.
    const std::size_t bytes = response_ ? (*response_)->size() : undecoded_.size();
    return base64EncodedSize(bytes) + 2;
}

const std::string& JournalCacheEntry::storedText() const {
    std::call_once(storing_, [this] { storedText_ = storedEntry(bytes()); });
    return storedText_;
}

} // namespace glimmo
