#include "app/ActivityRecord.h"

namespace glimmo {

ActivityRecord::ActivityRecord(UUID id, std::string appName, Date timestamp, std::string windowText)
    : id(id), appName(std::move(appName)), timestamp(*this, timestamp), windowText(*this, std::move(windowText)) {}

ActivityRecord::ActivityRecord(const ActivityRecordValue& value)
    : ActivityRecord(value.id, value.appName, value.timestamp, value.windowText) {
    duration.set(value.duration);
    activeTime.set(value.activeTime);
}

ActivityRecordValue ActivityRecord::value() const {
    return {id, appName, timestamp.get(), duration.get(), activeTime.get(), windowText.get()};
}

} // namespace glimmo
