#include "platform/net/CacheFile.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <string_view>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace glimmo::cachefile {

namespace {

constexpr std::string_view magic = "GLIMMO-URLCACHE 1\n";

// Each field is its decimal length, ':' and its bytes, so any byte may appear in a field.
void putField(std::string& out, std::string_view field) {
    out += std::to_string(field.size());
    out += ':';
    out += field;
}

class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : rest_(bytes) {}

    std::optional<std::string_view> next() {
        const auto colon = rest_.find(':');
        if (colon == std::string_view::npos || colon == 0 || colon > 20) return std::nullopt;
        std::size_t length = 0;
        const auto [end, error] = std::from_chars(rest_.data(), rest_.data() + colon, length);
        if (error != std::errc() || end != rest_.data() + colon) return std::nullopt;
        if (rest_.size() - colon - 1 < length) return std::nullopt;
        const std::string_view field = rest_.substr(colon + 1, length);
        rest_.remove_prefix(colon + 1 + length);
        return field;
    }

    std::optional<long long> nextNumber() {
        const auto field = next();
        if (!field) return std::nullopt;
        long long value = 0;
        const auto [end, error] = std::from_chars(field->data(), field->data() + field->size(), value);
        if (error != std::errc() || end != field->data() + field->size()) return std::nullopt;
        return value;
    }

    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

[[noreturn]] void fail(const std::string& what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

std::string encode(const std::string& url, const HttpResponse& response) {
    std::string out(magic);
    putField(out, url);
    putField(out, std::to_string(response.status));
    putField(out, std::to_string(response.headers.size()));
    for (const auto& [name, value] : response.headers) {
        putField(out, name);
        putField(out, value);
    }
    putField(out, response.body);
    return out;
}

std::optional<HttpResponse> decode(const std::string& bytes, const std::string& url) {
    std::string_view view(bytes);
    if (!view.starts_with(magic)) return std::nullopt;
    view.remove_prefix(magic.size());
    FieldReader reader(view);
    const auto storedURL = reader.next();
    if (!storedURL || *storedURL != url) return std::nullopt;
    const auto status = reader.nextNumber();
    const auto headerCount = reader.nextNumber();
    if (!status || !headerCount || *headerCount < 0) return std::nullopt;
    HttpResponse response;
    response.status = static_cast<int>(*status);
    for (long long index = 0; index < *headerCount; ++index) {
        const auto name = reader.next();
        const auto value = reader.next();
        if (!name || !value) return std::nullopt;
        response.headers.emplace_back(std::string(*name), std::string(*value));
    }
    const auto body = reader.next();
    if (!body || !reader.atEnd()) return std::nullopt;
    response.body = std::string(*body);
    return response;
}

void writeAtomically(const std::filesystem::path& file, const std::string& bytes) {
    std::string temporary = (file.parent_path() / (file.filename().string() + ".tmp-XXXXXX")).string();
    // mkstemp creates the file with mode 0600.
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) fail("create " + temporary);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t result = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (result < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::unlink(temporary.c_str());
            errno = saved;
            fail("write " + temporary);
        }
        written += static_cast<std::size_t>(result);
    }
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        fail("sync " + temporary);
    }
    if (::rename(temporary.c_str(), file.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        fail("rename " + temporary);
    }
}

std::optional<std::string> readWhole(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (stream.bad()) return std::nullopt;
    return bytes;
}

}  // namespace glimmo::cachefile
