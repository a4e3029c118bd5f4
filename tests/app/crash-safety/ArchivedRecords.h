#pragma once

#include "app/ActivityRecordFile.h"

#include <filesystem>
#include <string>
#include <vector>

namespace glimmo::testing {

// A record file in a folder of its own, rewritten for each version as an older version wrote it (every
// record in one file), then converted into days as a start does (a record at a time, on the writer
// thread), then with one more record moved into the archive as a switch does. Every other version is
// quit during its conversion instead, whose save goes into the days. Every version holds the same record
// ids, so the day files stay small.
class ArchivedRecords {
public:
    explicit ArchivedRecords(const std::filesystem::path& folder);
    void write(int version);

private:
    std::filesystem::path path_;
};

// What is wrong in `folder`: a record of the record file's version that neither the file nor the day
// files hold whole (each record read must be exactly one version's, no older than the file's), a file
// set aside as unreadable, a temporary file when none is allowed.
std::vector<std::string> archivedRecordProblems(const std::filesystem::path& folder, bool temporaryFilesAllowed);

} // namespace glimmo::testing
