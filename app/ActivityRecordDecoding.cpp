#include "app/ActivityRecordDecoding.h"

#include "app/ActivityRecordCoding.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/JsonReading.h"

#include <algorithm>

namespace glimmo {
namespace {

double recordSeconds(double seconds) { return std::clamp(seconds, 0.0, longestRecordSeconds); }

} // namespace

ActivityRecordValue decodeActivityRecord(const nlohmann::json& object, const std::string& path) {
    if (!object.is_object()) {
        throw JSONDecodingError(path, "expected an object");
    }
    ActivityRecordValue record;
    const std::optional<UUID> id = UUID::parse(stringValue(requiredMember(object, "id", path), path + ".id"));
    if (!id) {
        throw JSONDecodingError(path + ".id", "not a valid UUID");
    }
    record.id = *id;
    record.appName = stringValue(requiredMember(object, "appName", path), path + ".appName");
    record.timestamp = Date{numberValue(requiredMember(object, "timestamp", path), path + ".timestamp")};
    record.duration = recordSeconds(numberValue(requiredMember(object, "duration", path), path + ".duration"));
    const nlohmann::json* activeTime = optionalMember(object, "activeTime");
    record.activeTime =
        activeTime && !activeTime->is_null() ? recordSeconds(numberValue(*activeTime, path + ".activeTime")) : 0;
    const nlohmann::json* windowText = optionalMember(object, "windowText");
    record.windowText = windowText && !windowText->is_null() ? stringValue(*windowText, path + ".windowText")
                                                             : std::string(windowTextState::pending);
    return record;
}

} // namespace glimmo
