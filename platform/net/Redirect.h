#pragma once

// Where a redirected request goes next. Asked only once a response has ended, with what libcurl read
// from it (its status and the address it would follow), never with our own reading of the header
// lines, so the decision cannot disagree with the transfer.

#include <optional>
#include <string>

namespace glimmo {

inline constexpr int maximumRedirects = 16;

struct RedirectHop {
    std::string url;
    // Goes on as a GET without its body: after a 303 ("see other") every method but HEAD does, and
    // after 301 and 302 a POST does, as browsers do. Every other case repeats the request.
    bool becomesGet = false;
};

// Throws HttpError(redirectRefused), naming the address, when the request is confined to an origin
// (it carries credentials) and `target` is outside it; HttpError(transport) past maximumRedirects.
RedirectHop nextHop(long status, const std::string& target, const std::string& method, int hopsSoFar,
                    const std::optional<std::string>& confinedToOrigin);

}  // namespace glimmo
