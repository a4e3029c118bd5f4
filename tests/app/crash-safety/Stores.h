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

// Writes version `version` of a record file in `folder` as an older version did (every record, most of
// days long past) and converts it as a start does; odd versions quit during the conversion, even ones
// then move a record into its day as a switch does. The problems: a record of the file's version that
// neither the file nor the days hold whole, a file set aside, a temporary file when none is allowed.
void convertRecordFile(const std::filesystem::path& folder, int version);
std::vector<std::string> convertedRecordProblems(const std::filesystem::path& folder, bool temporaryFilesAllowed);

// Converts version `version` as convertRecordFile does, then clears the store as "Clear All Data" does. The
// problems, seen as the next start sees the store (which first removes what a clear left): a store that
// is neither whole for one version nor empty.
void convertThenClear(const std::filesystem::path& folder, int version);
std::vector<std::string> clearedOrWholeProblems(const std::filesystem::path& folder);

} // namespace glimmo::testing
