#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>

namespace glimmo {

// A regular file read a piece at a time, for a file that may be larger than readFile reads whole (an
// older version's store). Opened as readFile opens it: a FIFO, a device or a folder is refused without
// waiting on it, and no lock is taken.
class FileChunkReader {
public:
    // nullopt when nothing is at `path`. Throws FileError.
    static std::optional<FileChunkReader> open(const std::filesystem::path& path);
    ~FileChunkReader();
    FileChunkReader(FileChunkReader&&) noexcept;
    FileChunkReader& operator=(FileChunkReader&&) noexcept;

    // Reads at most `count` bytes into `into`; 0 at the end. Throws FileError.
    std::size_t read(char* into, std::size_t count);

private:
    struct Opened;
    explicit FileChunkReader(std::unique_ptr<Opened> opened);
    std::unique_ptr<Opened> opened_;
};

} // namespace glimmo
