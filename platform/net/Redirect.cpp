#include "platform/net/Redirect.h"

#include "platform/net/HttpTypes.h"
#include "platform/net/Origin.h"

namespace glimmo {

RedirectHop nextHop(long status, const std::string& target, const std::string& method, int hopsSoFar,
                    const std::optional<std::string>& confinedToOrigin) {
    if (confinedToOrigin && originOf(target) != confinedToOrigin) {
        throw HttpError(HttpError::Kind::redirectRefused,
                        "Refused to follow a redirect to another origin with the request's credentials: " + target);
    }
    if (hopsSoFar >= maximumRedirects) {
        throw HttpError(HttpError::Kind::transport,
                        "More than " + std::to_string(maximumRedirects) + " redirects: " + target);
    }
    const bool becomesGet = status == 303 ? method != "GET" && method != "HEAD"
                                          : (status == 301 || status == 302) && method == "POST";
    return RedirectHop{target, becomesGet};
}

}  // namespace glimmo
