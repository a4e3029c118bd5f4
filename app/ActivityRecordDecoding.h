#pragma once

// One record of the record file decoded from its JSON object: shared by the whole-file and the
// streaming readers, so the two read every file alike. Include from .cpp files only: it brings in the
// whole of nlohmann/json.

#include "app/ActivityRecord.h"

#include <nlohmann/json.hpp>

#include <string>

namespace glimmo {

// Throws JSONDecodingError naming `path` when a required key is missing or a value has the wrong type.
ActivityRecordValue decodeActivityRecord(const nlohmann::json& object, const std::string& path);

} // namespace glimmo
