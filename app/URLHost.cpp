#include "app/URLHost.h"

#include "platform/foundation/URL.h"

namespace glimmo {

std::optional<std::string> hostOfVisitedURL(const std::string& url) {
    const std::optional<URL> parsed = URL::parse(url);
    if (!parsed) {
        return std::nullopt;
    }
    std::optional<std::string> host = parsed->host();
    if (!host || host->empty()) {
        return std::nullopt;
    }
    return host;
}

}  // namespace glimmo
