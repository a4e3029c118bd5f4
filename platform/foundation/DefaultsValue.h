#pragma once

// How the user defaults hold their values in memory and write them to their file. Seen only by
// UserDefaults.cpp, its tests and fuzz target: the rest of the code knows the typed getters and setters.

#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/UserDefaults.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
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

// What the defaults' reader takes, and so all their writer writes: readFile's size, the parse's
// nesting, and a number of values far past any settings file's, which bounds what parsing one builds
// to about ten megabytes besides the text of its strings.
inline constexpr JSONLimits defaultsFileLimits{
    .bytes = maximumReadFileSize, .nestingDepth = maximumJSONNestingDepth, .values = 100'000};

// The values of the file's text, in its order; byte values keep their Base64 text, decoded only when
// read. Throws JSONDecodingError for a text past `limits` or that holds no JSON object, and for one
// that would pass them once written back (defaultsFileSize): every file read can be written again.
DefaultsEntries defaultsEntries(std::string_view fileText, const JSONLimits& limits = defaultsFileLimits);

// The file's text: one member of the object a line, each value as compact JSON with its numbers in
// their shortest form, so the text grows with what it holds and never with how deep it nests. Throws
// JSONDecodingError, rather than give a text the reader would refuse, when the values go past `limits`.
std::string defaultsFileText(const DefaultsEntries& values, const JSONLimits& limits = defaultsFileLimits);
// The size of defaultsFileText(values), told without making it.
std::size_t defaultsFileSize(const DefaultsEntries& values);

} // namespace glimmo
