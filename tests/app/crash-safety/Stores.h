#pragma once

#include "app/ActivityDataManager.h"
#include "app/ActivityRecordFile.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/Clock.h"

#include <filesystem>
#include <string>
#include <vector>

namespace glimmo::testing {

// The record file, the per-day store and the settings file in one folder, each written whole for a
// numbered version through its own code. Every version is big enough that a write takes a while.
class Stores {
public:
    explicit Stores(const std::filesystem::path& folder);

    // Writes version `version` of each store in turn; returns when all three are on disk.
    void write(int version);

private:
    ActivityRecordFile recordFile_;
    ManualClock clock_;
    ActivityDataManager dailyStore_;
    UserDefaults settings_;
};

// What is wrong with the files in `folder`: a store file that is not exactly one whole version (an
// absent one is fine), a file set aside as unreadable, a temporary file. Empty when all is well.
std::vector<std::string> storeProblems(const std::filesystem::path& folder, bool temporaryFilesAllowed);

} // namespace glimmo::testing
