#pragma once

// Typed reads of decoded JSON for hand-written decoders. Include from .cpp files only: it brings in
// the whole of nlohmann/json. Every failure is a JSONDecodingError naming the coding path.

#include <nlohmann/json.hpp>

#include <string>

namespace glimmo {

// The member `key` of `object`; throws when `object` is not an object or has no such member.
const nlohmann::json& requiredMember(const nlohmann::json& object, const char* key, const std::string& path);

// The member `key` of `object`, or nullptr when it is absent.
const nlohmann::json* optionalMember(const nlohmann::json& object, const char* key);

std::string stringValue(const nlohmann::json& value, const std::string& path);
double numberValue(const nlohmann::json& value, const std::string& path);

}  // namespace glimmo
