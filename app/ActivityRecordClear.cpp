#include "app/ActivityRecordClear.h"

#include "app/ActivityRecordArchive.h"
#include "platform/foundation/Files.h"
#include "platform/foundation/Json.h"
#include "platform/foundation/Log.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <system_error>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// The note names files by where they lie from the record file's folder.
std::string noteName(const fs::path& recordFile, const fs::path& path) {
    return path.lexically_relative(recordFile.parent_path()).generic_string();
}

// Only the record file, its copies set aside and the archive's own files: a note that names anything
// else (edited by hand) must not make a start remove it.
bool isStoreFileName(const fs::path& recordFile, const std::string& name) {
    const std::string file = recordFile.filename().string();
    const std::string days = ActivityRecordArchive::folderBeside(recordFile).filename().string();
    if (name == file || (name.starts_with(file + ".unreadable-") && name.find('/') == std::string::npos)) {
        return true;
    }
    const std::string entry = name.starts_with(days + "/") ? name.substr(days.size() + 1) : std::string();
    return entry.find('/') == std::string::npos && ActivityRecordArchive::isOwnFileName(entry);
}

void writeNote(const fs::path& recordFile, const std::vector<fs::path>& paths) {
    nlohmann::json names = nlohmann::json::array();
    for (const fs::path& path : paths) {
        names.push_back(noteName(recordFile, path));
    }
    writeFileAtomically(pendingClearNote(recordFile), prettyJSON(names));
}

// The store's files as they are now: the record file, its copies set aside, the archive's own files.
std::vector<fs::path> storeFiles(const fs::path& recordFile, const ActivityRecordArchive& archive) {
    std::vector<fs::path> files;
    std::error_code error;
    if (fs::exists(fs::symlink_status(recordFile, error))) {
        files.push_back(recordFile);
    }
    for (fs::path& copy : setAsideRecordFiles(recordFile)) {
        files.push_back(std::move(copy));
    }
    for (fs::path& file : archive.ownFiles()) {
        files.push_back(std::move(file));
    }
    return files;
}

// Removes a file or link (never a folder's contents); false, logged, when it stays.
bool removed(const fs::path& path) {
    std::error_code error;
    if (fs::remove(path, error) || !error || error == std::errc::no_such_file_or_directory) {
        return true;
    }
    systemLog("❌ Failed to remove activity records " + path.string() + ": " + error.message() +
              "; it is removed at the next start");
    return false;
}

} // namespace

fs::path pendingClearNote(const fs::path& recordFile) {
    return recordFile.parent_path() / (recordFile.filename().string() + ".clear-pending");
}

std::vector<fs::path> setAsideRecordFiles(const fs::path& recordFile) {
    const std::string prefix = recordFile.filename().string() + ".unreadable-";
    std::vector<fs::path> copies;
    std::error_code error;
    for (fs::directory_iterator entry(recordFile.parent_path(), error), end; !error && entry != end;
         entry.increment(error)) {
        std::error_code statusError;
        if (entry->path().filename().string().starts_with(prefix) &&
            !fs::is_directory(fs::symlink_status(entry->path(), statusError))) {
            copies.push_back(entry->path());
        }
    }
    std::sort(copies.begin(), copies.end());
    return copies;
}

void notePendingRemovals(const fs::path& recordFile, const std::vector<fs::path>& left) {
    try {
        if (left.empty()) {
            std::error_code error;
            fs::remove(pendingClearNote(recordFile), error);
            return;
        }
        writeNote(recordFile, left);
    } catch (const std::exception& failure) {
        systemLog(std::string("❌ Failed to note the activity records still to be cleared: ") + failure.what());
    }
}

std::vector<fs::path> clearRecordStore(const fs::path& recordFile, ActivityRecordArchive& archive) {
    // Named first: a kill halfway leaves the rest to the next start, which removes it before reading.
    const std::vector<fs::path> before = storeFiles(recordFile, archive);
    if (!before.empty()) {
        notePendingRemovals(recordFile, before);
    }
    std::vector<fs::path> left;
    for (const fs::path& path : before) {
        if (path.parent_path() == recordFile.parent_path() && !removed(path)) {
            left.push_back(path);
        }
    }
    for (fs::path& path : archive.removeAll()) {
        left.push_back(std::move(path));
    }
    notePendingRemovals(recordFile, left);
    return left;
}

std::vector<fs::path> finishPendingClear(const fs::path& recordFile) {
    const fs::path note = pendingClearNote(recordFile);
    std::vector<std::string> names;
    try {
        const std::optional<std::string> bytes = readFile(note);
        if (!bytes) {
            return {};
        }
        for (const nlohmann::json& name : parseJSON(*bytes)) {
            names.push_back(name.get<std::string>());
        }
    } catch (const std::exception& failure) {
        moveUnreadableFileAside(note, failure.what());
        return {};
    }
    std::vector<fs::path> left;
    for (const std::string& name : names) {
        if (!isStoreFileName(recordFile, name)) {
            systemLog("⚠️ Not removed: " + name + " is not a file of the activity records");
            continue;
        }
        const fs::path path = recordFile.parent_path() / name;
        std::error_code error;
        if (fs::is_directory(fs::symlink_status(path, error))) {
            continue; // never one of the store's files
        }
        if (!removed(path)) {
            left.push_back(path);
        }
    }
    std::error_code error;
    fs::remove(ActivityRecordArchive::folderBeside(recordFile), error); // only when nothing else is left in it
    notePendingRemovals(recordFile, left);
    if (left.empty()) {
        systemLog("🗑️ Removed the activity records that an earlier clear left");
    }
    return left;
}

} // namespace glimmo
