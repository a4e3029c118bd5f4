#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>
#include <vector>

namespace genai {

class JSONValue;
using JSONObject = std::map<std::string, JSONValue>;
using JSONArray = std::vector<JSONValue>;

// Any JSON value: the free-form arguments and results of function calls. Integers and fractions
// share one number case.
class JSONValue {
public:
    enum class Kind { number, string, boolean, object, array, null };

    JSONValue() : storage_(nullptr) {}
    JSONValue(std::nullptr_t) : storage_(nullptr) {}
    JSONValue(double number) : storage_(number) {}
    JSONValue(int number) : storage_(static_cast<double>(number)) {}
    JSONValue(std::int64_t number) : storage_(static_cast<double>(number)) {}
    JSONValue(std::string text) : storage_(std::move(text)) {}
    JSONValue(const char* text) : storage_(std::string(text)) {}
    JSONValue(bool value) : storage_(value) {}
    JSONValue(JSONObject object) : storage_(std::move(object)) {}
    JSONValue(JSONArray array) : storage_(std::move(array)) {}

    Kind kind() const;
    bool isNull() const { return kind() == Kind::null; }

    // Each throws std::bad_variant_access when the value is of another kind.
    double number() const { return std::get<double>(storage_); }
    const std::string& string() const { return std::get<std::string>(storage_); }
    bool boolean() const { return std::get<bool>(storage_); }
    const JSONObject& object() const { return std::get<JSONObject>(storage_); }
    const JSONArray& array() const { return std::get<JSONArray>(storage_); }

    // Same kind and equal payloads; numbers compare as doubles (NaN equals nothing), objects ignore
    // member order.
    bool operator==(const JSONValue& other) const { return storage_ == other.storage_; }

private:
    std::variant<std::nullptr_t, double, std::string, bool, JSONObject, JSONArray> storage_;
};

} // namespace genai
