#include "platform/net/CacheFile.h"

#include <charconv>
#include <string_view>
#include <system_error>

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

}  // namespace glimmo::cachefile
