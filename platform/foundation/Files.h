#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// How far an atomic write goes. `durable` flushes the file and its folder to the disk, so the new
// content survives a power cut. `unflushed` skips both flushes: readers and killed processes still see
// one whole version, but after a power cut the file may be empty or damaged; only for content that is
// checked on reading and can be lost, such as a cache.
enum class WriteDurability { durable, unflushed };

// What a store does with a symbolic link where its file belongs. `followed`: the file at the end of the
// links is read and replaced, so a store kept in a dotfiles folder stays there. `refused`: a store that
// owns a folder of files reads and writes only inside it; a link is neither read through nor written
// through (a read throws FileError, and a write replaces the entry itself only if it is no link).
enum class SymbolicLinks { followed, refused };

// Writes to a temporary file in the same folder, flushes it to disk, renames it over `path` and
// flushes the folder (the flushes as `durability` says); the file ends up with mode 0600. Either
// the old content or the new one is there afterwards, never a mix. Temporary files of the same
// target that an interrupted write left behind (a killed process) are removed first; those of
// writes still running are kept. The folder must exist. When `path` is a symbolic link, all of
// this happens to the file at the end of its chain of links, so the link stays. Only a regular file
// (or nothing) is replaced. Throws FileError, also for a chain of links that never ends, and for a link
// at all when `links` is `refused`.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         WriteDurability durability = WriteDurability::durable,
                         SymbolicLinks links = SymbolicLinks::followed);

// Removes the temporary files that interrupted writes of writeFileAtomically left in `folder`, whatever
// file they were for; those of writes still running are kept. For a store of many files, where the one
// a killed write was for may never be written again.
void removeInterruptedWrites(const std::filesystem::path& folder);

// The file that writeFileAtomically(path) replaces: `path`, or the end of its chain of symbolic links.
// Throws FileError where that write would refuse it (a chain that never ends, a non-regular file).
std::filesystem::path atomicWriteTarget(const std::filesystem::path& path);

// No file the application keeps is anywhere near this size; a larger one is refused unread.
inline constexpr std::size_t maximumReadFileSize = std::size_t{256} << 20;

// The whole file, or nullopt when it does not exist. Throws FileError when it exists but cannot be
// read: also when it is not a regular file (a FIFO, a device, a folder), which is never opened in a
// way that could block, and when it holds more than maximumReadFileSize bytes; also for a symbolic link
// when `links` is `refused`.
std::optional<std::string> readFile(const std::filesystem::path& path,
                                    SymbolicLinks links = SymbolicLinks::followed);

// The whole file, or nullopt when it does not exist or readFile cannot read it: for a file whose
// absence is as good as any failure to read it.
std::optional<std::string> readFileIfReadable(const std::filesystem::path& path);

// The first `count` bytes of the regular file at `path` (all of it when it is shorter) and its size,
// or nullopt when it does not exist. Opened as readFile opens it. Throws FileError.
struct FileStart {
    std::string bytes;
    std::uintmax_t size = 0;
};
std::optional<FileStart> readFileStart(const std::filesystem::path& path, std::size_t count);

// Copies the regular file at `source` into a new file `destination` with mode 0600, up to the end
// the source has when the copy reaches it; returns the bytes copied. The source is opened as readFile
// opens it, so a file that another process holds locked is copied all the same. Throws FileError:
// also when the source is missing or not a regular file, and when something is at `destination`.
// `beforeEachChunk` (when given) runs before each copyChunkBytes at most; what it throws ends the copy
// there, leaving `destination` as far as it got. A source that holds more than `maximumBytes` (by the
// time the copy reaches them) throws FileError EFBIG once that many are copied.
inline constexpr std::size_t copyChunkBytes = std::size_t{16} << 20;
std::uintmax_t copyRegularFile(const std::filesystem::path& source, const std::filesystem::path& destination,
                               const std::function<void()>& beforeEachChunk = {},
                               std::uintmax_t maximumBytes = UINTMAX_MAX);

// Renames the file to "<name>.unreadable-<yyyyMMdd-HHmmss>" beside it (with "-2", "-3"... added
// when that name is taken, so an earlier copy is never overwritten) and logs one line through
// systemLog naming both paths and the reason. nullopt when there was no file to move.
// Throws FileError when the rename fails.
std::optional<std::filesystem::path> moveUnreadableFileAside(const std::filesystem::path& path,
                                                              std::string_view reason);

// What `error` says, with the name of a temporary file of writeFileAtomically that it names replaced by
// the name of the file that write was for: the same failure repeated (a full disk) then reads the same.
std::string withoutTemporaryFileName(const std::exception& error);

// Tests only: called with the temporary file's path after the bytes are written and before the
// rename; a hook that throws simulates a write interrupted at that point. Empty to remove.
void setAtomicWriteHookForTesting(std::function<void(const std::filesystem::path& temporaryFile)> hook);

} // namespace glimmo
