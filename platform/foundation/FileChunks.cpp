#include "platform/foundation/FileChunks.h"

#include "platform/foundation/FileDescriptor.h"

namespace glimmo {

struct FileChunkReader::Opened {
    OpenedRegularFile file;
    std::filesystem::path path;
};

FileChunkReader::FileChunkReader(std::unique_ptr<Opened> opened) : opened_(std::move(opened)) {}
FileChunkReader::~FileChunkReader() = default;
FileChunkReader::FileChunkReader(FileChunkReader&&) noexcept = default;
FileChunkReader& FileChunkReader::operator=(FileChunkReader&&) noexcept = default;

std::optional<FileChunkReader> FileChunkReader::open(const std::filesystem::path& path) {
    std::optional<OpenedRegularFile> file = openRegularFileToRead(path);
    if (!file) {
        return std::nullopt;
    }
    return FileChunkReader(std::make_unique<Opened>(Opened{std::move(*file), path}));
}

std::size_t FileChunkReader::read(char* into, std::size_t count) {
    return readSome(opened_->file.descriptor.get(), into, count, opened_->path);
}

} // namespace glimmo
