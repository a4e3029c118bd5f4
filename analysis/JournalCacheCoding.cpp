#include "analysis/JournalPromptCache.h"

#include "platform/foundation/Calendar.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/RunLoop.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>

namespace glimmo {
namespace {

// Strings as the platform's JSON encoder writes them by default: "/" escaped too.
void appendJSONString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    out += '"';
}

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

} // namespace

std::string encodeJournalPromptResponse(const JournalPromptResponse& entry) {
    std::string out = "{\"response\":";
    appendJSONString(out, entry.response);
    out += ",\"timestamp\":";
    appendNumber(out, entry.timestamp.secondsSinceReferenceDate);
    out += '}';
    return out;
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

std::string encodeJournalCache(const JournalCacheDictionary& cache) {
    std::string out = "[";
    bool first = true;
    for (const auto& [day, entry] : cache) {
        if (!first) {
            out += ',';
        }
        first = false;
        appendNumber(out, day.secondsSinceReferenceDate);
        out += ',';
        appendJSONString(out, base64Encode(entry));
    }
    out += ']';
    return out;
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

JournalPromptCache::JournalPromptCache(UserDefaults& defaults) : defaults_(&defaults) {}

JournalPromptCache& JournalPromptCache::shared() {
    // Bound to whichever standard defaults are installed when it is used.
    static JournalPromptCache cache(UserDefaults::standard());
    cache.defaults_ = &UserDefaults::standard();
    return cache;
}

UserDefaults& JournalPromptCache::defaults() const {
    return *defaults_;
}

JournalCacheDictionary JournalPromptCache::loadCache() const {
    const auto bytes = defaults_->data(cacheKey);
    if (!bytes) {
        return {};
    }
    try {
        return decodeJournalCache(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    } catch (const std::exception&) {
        return {};
    }
}

void JournalPromptCache::saveResponse(const std::string& text, Date date) {
    const std::string entry = encodeJournalPromptResponse({text, RunLoop::main().now()});
    JournalCacheDictionary cache = loadCache();
    cache[Calendar::current().startOfDay(date)] = entry;
    const std::string encoded = encodeJournalCache(cache);
    defaults_->set(cacheKey, std::vector<std::uint8_t>(encoded.begin(), encoded.end()));
}

std::pair<std::optional<std::string>, bool> JournalPromptCache::getResponse(Date date) const {
    const JournalCacheDictionary cache = loadCache();
    const auto found = cache.find(Calendar::current().startOfDay(date));
    if (found == cache.end()) {
        return {std::nullopt, true};
    }
    JournalPromptResponse entry;
    try {
        entry = decodeJournalPromptResponse(found->second);
    } catch (const std::exception&) {
        return {std::nullopt, true};
    }
    const double age = RunLoop::main().now().timeIntervalSince(entry.timestamp);
    return {entry.response, age > cacheTimeout};
}

void JournalPromptCache::clear() {
    defaults_->remove(cacheKey);
}

} // namespace glimmo
