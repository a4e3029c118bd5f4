#include "app/URLHost.h"

#include "platform/foundation/URL.h"

namespace glimmo {

std::optional<std::string> hostOfVisitedURL(std::string_view url) {
    const std::optional<URLReferenceParts> parts = splitURLReference(url);
    if (!parts || !parts->scheme || !parts->authority) {
        return std::nullopt;
    }
    const std::optional<URLAuthorityParts> authority = splitURLAuthority(*parts->authority);
    if (!authority || authority->host.empty()) {
        return std::nullopt;
    }
    return percentDecodedOrAsWritten(authority->host);
}

}  // namespace glimmo
