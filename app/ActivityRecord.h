#pragma once

#include "platform/foundation/UUID.h"
#include "platform/runtime/Date.h"
#include "platform/runtime/Observable.h"

#include <memory>
#include <string>
#include <vector>

namespace glimmo {

// The window texts a record holds while no summary has been written for it.
namespace windowTextState {
inline constexpr const char* pending = "Context analysis pending...";
inline constexpr const char* notLoaded = "Context not loaded (app restart)";
inline constexpr const char* notFrontmost = "Context not available (app not frontmost)";
inline constexpr const char* noContent = "No UI content accessible";
inline constexpr const char* noText = "AI analysis failed to produce text.";
inline constexpr const char* errorPrefix = "AI analysis error: ";
} // namespace windowTextState

// A plain copy of a record's fields, as the record file stores them.
struct ActivityRecordValue {
    UUID id;
    std::string appName;
    Date timestamp;
    double duration = 0;
    double activeTime = 0;
    std::string windowText;

    bool operator==(const ActivityRecordValue&) const = default;
};

// One stretch of time with one application in front. The monitor's list and running analyses share
// the same record objects; records are equal when their ids are. Main thread only.
class ActivityRecord : public ObservableObject {
public:
    ActivityRecord(UUID id, std::string appName, Date timestamp, std::string windowText);
    explicit ActivityRecord(const ActivityRecordValue& value);
    // Adopts `value` as the shared copy that saves write.
    explicit ActivityRecord(std::shared_ptr<const ActivityRecordValue> value);

    const UUID id;
    const std::string appName;
    Published<Date> timestamp;
    Published<double> duration{*this, 0};
    Published<double> activeTime{*this, 0};
    Published<std::string> windowText;

    ActivityRecordValue value() const;
    // The same fields, shared until the record next changes: a save of many records copies only
    // the ones that changed since the last save.
    std::shared_ptr<const ActivityRecordValue> sharedValue() const;

    friend bool operator==(const ActivityRecord& a, const ActivityRecord& b) { return a.id == b.id; }

private:
    mutable std::shared_ptr<const ActivityRecordValue> cachedValue_;
    Subscription forgetCachedValue_;
};

// A list of records as one save writes it, newest first.
using ActivityRecordSnapshot = std::vector<std::shared_ptr<const ActivityRecordValue>>;

// The records' fields as they are now, for work off the main thread; records unchanged since the last
// snapshot are not copied again.
ActivityRecordSnapshot snapshotOf(const std::vector<std::shared_ptr<ActivityRecord>>& records);

} // namespace glimmo
