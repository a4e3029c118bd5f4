#include "platform/net/HttpTypes.h"

#include "platform/runtime/ErrorValue.h"

#include <strings.h>

namespace glimmo {

namespace {
// Crosses threads as a value.
[[maybe_unused]] const bool taught = ErrorValue::teach<HttpError>();
} // namespace

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
