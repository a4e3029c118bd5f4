#include "app/ActivityRecordCoding.h"

#include "app/ActivityRecordDecoding.h"
#include "platform/foundation/Json.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>

namespace glimmo {
namespace {

// One record as the file's pretty array holds it: the object's own pretty text, each line indented once
// more (a JSON string holds no raw line break).
std::string encodedRecordElement(const ActivityRecordValue& record) {
    nlohmann::ordered_json object;
    object["id"] = record.id.uuidString();
    object["appName"] = record.appName;
    object["timestamp"] = encodeDate(record.timestamp);
    object["duration"] = record.duration;
    object["activeTime"] = record.activeTime;
    object["windowText"] = record.windowText;
    const std::string text = prettyJSON(object);
    std::string element = "  ";
    element.reserve(text.size() + 16);
    for (const char c : text) {
        element += c;
        if (c == '\n') {
            element += "  ";
        }
    }
    return element;
}

// The pretty array of the elements, as prettyJSON writes an array.
std::string joinedRecordElements(const std::vector<const std::string*>& elements) {
    if (elements.empty()) {
        return "[]";
    }
    std::size_t size = 4;
    for (const std::string* element : elements) {
        size += element->size() + 2;
    }
    std::string text;
    text.reserve(size);
    text += "[\n";
    for (std::size_t i = 0; i < elements.size(); ++i) {
        text += *elements[i];
        text += i + 1 < elements.size() ? ",\n" : "\n";
    }
    text += "]";
    return text;
}

} // namespace

std::string EncodedRecords::encode(const ActivityRecordSnapshot& records) {
    std::unordered_map<UUID, Entry> next;
    next.reserve(records.size());
    std::deque<std::string> repeated;
    std::vector<const std::string*> parts;
    parts.reserve(records.size());
    for (const auto& record : records) {
        auto held = entries_.find(record->id);
        Entry entry = held != entries_.end() && held->second.value == record ? std::move(held->second)
                                                                              : Entry{record, encodedRecordElement(*record)};
        const auto [placed, inserted] = next.try_emplace(record->id, std::move(entry));
        if (inserted) {
            parts.push_back(&placed->second.text);
        } else {
            parts.push_back(&repeated.emplace_back(encodedRecordElement(*record))); // an id listed twice
        }
    }
    std::string text = joinedRecordElements(parts);
    entries_ = std::move(next);
    return text;
}

std::string encodeActivityRecords(const std::vector<ActivityRecordValue>& records) {
    std::vector<std::string> elements;
    elements.reserve(records.size());
    for (const ActivityRecordValue& record : records) {
        elements.push_back(encodedRecordElement(record));
    }
    std::vector<const std::string*> parts;
    parts.reserve(elements.size());
    for (const std::string& element : elements) {
        parts.push_back(&element);
    }
    return joinedRecordElements(parts);
}

std::string encodeActivityRecords(const ActivityRecordSnapshot& records) {
    std::vector<std::string> elements;
    elements.reserve(records.size());
    for (const auto& record : records) {
        elements.push_back(encodedRecordElement(*record));
    }
    std::vector<const std::string*> parts;
    parts.reserve(elements.size());
    for (const std::string& element : elements) {
        parts.push_back(&element);
    }
    return joinedRecordElements(parts);
}

void sortNewestFirst(std::vector<ActivityRecordValue>& records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const ActivityRecordValue& a, const ActivityRecordValue& b) { return b.timestamp < a.timestamp; });
}

std::vector<ActivityRecordValue> decodeActivityRecords(std::string_view json) {
    const nlohmann::json array = parseJSON(json);
    if (!array.is_array()) {
        throw JSONDecodingError("", "expected an array of records");
    }
    std::vector<ActivityRecordValue> records;
    records.reserve(array.size());
    for (std::size_t i = 0; i < array.size(); ++i) {
        records.push_back(decodeActivityRecord(array[i], "[" + std::to_string(i) + "]"));
    }
    return records;
}

} // namespace glimmo
