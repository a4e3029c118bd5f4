#pragma once

// How the user defaults hold their values in memory and write them to their file. Seen only by
// UserDefaults.cpp: the rest of the code knows the typed getters and setters.

#include "platform/foundation/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

// Byte values are kept in the file as {"data": "<base64>"} so they never read back as a string.
inline constexpr const char* defaultsDataTag = "data";

// One value: JSON, or bytes. Never changed once made, so the writer's thread reads it while the main
// thread goes on.
class DefaultsValue {
public:
    explicit DefaultsValue(nlohmann::ordered_json json) : json_(std::move(json)) {}
    explicit DefaultsValue(std::shared_ptr<const DefaultsData> data) : data_(std::move(data)) {}
    DefaultsValue(const DefaultsValue&) = delete;
    DefaultsValue& operator=(const DefaultsValue&) = delete;

    // Null for bytes.
    const nlohmann::ordered_json& json() const { return json_; }
    const std::shared_ptr<const DefaultsData>& data() const { return data_; }
    // The bytes' Base64 text: as read from the file, or made once by whichever thread asks first.
    const std::string& base64() const;

private:
    const nlohmann::ordered_json json_;
    const std::shared_ptr<const DefaultsData> data_;
    mutable std::once_flag encoding_;
    mutable std::string base64_;
};

using DefaultsEntries = std::vector<std::pair<std::string, std::shared_ptr<const DefaultsValue>>>;

// The values of a file's JSON object, in its order; byte values keep their Base64 text, decoded only
// when read.
DefaultsEntries defaultsEntries(nlohmann::ordered_json object);

// The file's text: the values as one JSON object, indented by two spaces.
std::string defaultsFileText(const DefaultsEntries& values);

} // namespace glimmo
