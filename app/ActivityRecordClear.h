#pragma once

// "Clear All Data" for the record store: the record file, the copies of it set aside and the archive of
// days. A clear first names every file it is about to remove in a note beside the record file
// ("<record file name>.clear-pending"), so that neither a kill nor a file that cannot be removed at once
// brings cleared records back: the next start removes what the note names before anything reads it, and
// the note goes once nothing it names is left. Used by ActivityRecordFile only.

#include <filesystem>
#include <vector>

namespace glimmo {

class ActivityRecordArchive;

// "<record file name>.clear-pending" beside it.
std::filesystem::path pendingClearNote(const std::filesystem::path& recordFile);

// Removes every file of the store; gives those that are left (each logged), which the note names.
std::vector<std::filesystem::path> clearRecordStore(const std::filesystem::path& recordFile,
                                                    ActivityRecordArchive& archive);

// At start: removes what a clear's note names, and gives what still cannot be removed (the note keeps
// naming it). Names that are not the store's own files are ignored.
std::vector<std::filesystem::path> finishPendingClear(const std::filesystem::path& recordFile);

// The note names `left` from now on; none removes it. Logged when it cannot be written.
void notePendingRemovals(const std::filesystem::path& recordFile, const std::vector<std::filesystem::path>& left);

// The copies of the record file that were set aside ("<record file name>.unreadable-<time>").
std::vector<std::filesystem::path> setAsideRecordFiles(const std::filesystem::path& recordFile);

} // namespace glimmo
