#include "platform/foundation/JsonReading.h"

#include "platform/foundation/Json.h"

namespace glimmo {

const nlohmann::json& requiredMember(const nlohmann::json& object, const char* key, const std::string& path) {
    if (!object.is_object()) {
        throw JSONDecodingError(path, "expected an object");
    }
    const auto found = object.find(key);
    if (found == object.end()) {
        throw JSONDecodingError(path, std::string("no value for key \"") + key + "\"");
    }
    return *found;
}

const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string stringValue(const nlohmann::json& value, const std::string& path) {
    if (!value.is_string()) {
        throw JSONDecodingError(path, "expected a string");
    }
    return value.get<std::string>();
}

double numberValue(const nlohmann::json& value, const std::string& path) {
    if (!value.is_number()) {
        throw JSONDecodingError(path, "expected a number");
    }
    return value.get<double>();
}

}  // namespace glimmo
