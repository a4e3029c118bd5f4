#include "platform/net/CacheFile.h"

#include "platform/foundation/NumberText.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

namespace glimmo::cachefile {

namespace {

// The files are written without flushing them to the disk, so after a power cut one may be cut
// short or hold blocks of zeros: a checksum of everything after it tells a whole file from those.
constexpr std::string_view magic = "GLIMMO-URLCACHE 2\n";
constexpr std::size_t checksumDigits = 16;

// FNV-1a over 64-bit words (and the last bytes one by one): any change to one word changes the result.
std::uint64_t checksumOf(std::string_view bytes) {
    constexpr std::uint64_t prime = 1099511628211ULL;
    std::uint64_t hash = 1469598103934665603ULL ^ bytes.size();
    std::size_t index = 0;
    for (; index + sizeof(std::uint64_t) <= bytes.size(); index += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + index, sizeof word);
        hash = (hash ^ word) * prime;
    }
    for (; index < bytes.size(); ++index) hash = (hash ^ static_cast<unsigned char>(bytes[index])) * prime;
    return hash;
}

std::string checksumLine(std::string_view bytes) {
    char digits[checksumDigits + 2];
    std::snprintf(digits, sizeof digits, "%016llx\n", static_cast<unsigned long long>(checksumOf(bytes)));
    return std::string(digits, checksumDigits + 1);
}

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
        const auto length = parseInteger(rest_.substr(0, colon));
        if (!length || *length < 0 || rest_.size() - colon - 1 < static_cast<std::uint64_t>(*length)) {
            return std::nullopt;
        }
        const auto size = static_cast<std::size_t>(*length);
        const std::string_view field = rest_.substr(colon + 1, size);
        rest_.remove_prefix(colon + 1 + size);
        return field;
    }

    std::optional<long long> nextNumber() {
        const auto field = next();
        if (!field) return std::nullopt;
        return parseInteger(*field);
    }

    bool atEnd() const { return rest_.empty(); }

private:
    std::string_view rest_;
};

}  // namespace

std::string encode(const std::string& url, const HttpResponse& response) {
    // The checksum line is filled in once the fields after it are written.
    std::string out;
    out.reserve(magic.size() + checksumDigits + 256 + url.size() + response.body.size());
    out.append(magic).append(checksumDigits + 1, '\n');
    const std::size_t fieldsStart = out.size();
    putField(out, url);
    putField(out, std::to_string(response.status));
    putField(out, std::to_string(response.headers.size()));
    for (const auto& [name, value] : response.headers) {
        putField(out, name);
        putField(out, value);
    }
    putField(out, response.body);
    out.replace(magic.size(), checksumDigits + 1, checksumLine(std::string_view(out).substr(fieldsStart)));
    return out;
}

std::optional<HttpResponse> decode(const std::string& bytes, const std::string& url) {
    std::string_view view(bytes);
    if (!view.starts_with(magic)) return std::nullopt;
    view.remove_prefix(magic.size());
    if (view.size() < checksumDigits + 1) return std::nullopt;
    const std::string_view fields = view.substr(checksumDigits + 1);
    if (view.substr(0, checksumDigits + 1) != checksumLine(fields)) return std::nullopt;
    FieldReader reader(fields);
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

}  // namespace glimmo::cachefile
