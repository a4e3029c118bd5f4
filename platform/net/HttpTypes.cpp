#include "platform/net/HttpTypes.h"

#include <strings.h>

namespace glimmo {

std::optional<std::string> findHeader(const HttpHeaders& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (key.size() == name.size() && ::strncasecmp(key.data(), name.data(), name.size()) == 0) {
            return value;
        }
    }
    return std::nullopt;
}

std::optional<std::string> HttpResponse::header(std::string_view name) const { return findHeader(headers, name); }

HttpError::HttpError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

}  // namespace glimmo
