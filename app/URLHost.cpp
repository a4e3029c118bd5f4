#include "app/URLHost.h"

#include "platform/foundation/URL.h"

namespace glimmo {

std::optional<std::string> hostOfVisitedURL(std::string_view url) {
    const std::optional<URLReferenceParts> parts = splitURLReference(url);
    if (!parts || !parts->scheme || parts->host.empty()) {
        return std::nullopt;
    }
    return percentDecodedOrAsWritten(parts->host);
}

}  // namespace glimmo
