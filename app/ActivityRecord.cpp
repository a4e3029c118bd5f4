#include "app/ActivityRecord.h"

namespace glimmo {

ActivityRecord::ActivityRecord(UUID id, std::string appName, Date timestamp, std::string windowText)
    : id(id), appName(std::move(appName)), timestamp(*this, timestamp), windowText(*this, std::move(windowText)) {
    forgetCachedValue_ = objectWillChange.connect([this] { cachedValue_.reset(); });
}

ActivityRecord::ActivityRecord(const ActivityRecordValue& value)
    : ActivityRecord(value.id, value.appName, value.timestamp, value.windowText) {
    duration.set(value.duration);
    activeTime.set(value.activeTime);
}

ActivityRecord::ActivityRecord(std::shared_ptr<const ActivityRecordValue> value) : ActivityRecord(*value) {
    cachedValue_ = std::move(value);
}

ActivityRecordValue ActivityRecord::value() const {
    return {id, appName, timestamp.get(), duration.get(), activeTime.get(), windowText.get()};
}

std::shared_ptr<const ActivityRecordValue> ActivityRecord::sharedValue() const {
    if (!cachedValue_) {
        cachedValue_ = std::make_shared<const ActivityRecordValue>(value());
    }
    return cachedValue_;
}

ActivityRecordSnapshot snapshotOf(const std::vector<std::shared_ptr<ActivityRecord>>& records) {
    ActivityRecordSnapshot snapshot;
    snapshot.reserve(records.size());
    for (const auto& record : records) {
        snapshot.push_back(record->sharedValue());
    }
    return snapshot;
}

} // namespace glimmo
