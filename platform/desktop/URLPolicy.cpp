#include "platform/desktop/URLPolicy.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"

#include <algorithm>
#include <array>

namespace glimmo {

namespace {

// Header names are compared as mail clients read them: decoded, in any letter case.
bool isPlainMailHeader(const URLQueryItem& item) {
    static constexpr std::array<std::string_view, 4> plain{"subject", "body", "cc", "to"};
    return item.value && std::find(plain.begin(), plain.end(), asciiLowercased(item.name)) != plain.end();
}

} // namespace

std::optional<std::string> reasonNotToOpen(std::string_view url) {
    // The parse refuses spaces and control characters, which is how arguments get split.
    const std::optional<URL> parsed = URL::parse(url);
    if (!parsed) return "it is not a well-formed address";
    const std::string scheme = parsed->scheme();
    if (scheme == "http" || scheme == "https") {
        if (!parsed->host()) return "a web link needs a host";
        return std::nullopt;
    }
    if (scheme != "mailto") return "only http, https and mailto links are opened";
    if (parsed->percentEncodedPath().empty() && !parsed->query()) return "the mail link is empty";
    // A client that decodes the address before splitting it would read an encoded "?" or "#" there as
    // the start of headers; a fragment has no meaning in a mail link.
    if (parsed->path().find_first_of("?#") != std::string::npos || parsed->fragment()) {
        return "a mail link's address may not hide headers";
    }
    const std::vector<URLQueryItem> headers = parsed->queryItems();
    if (!std::all_of(headers.begin(), headers.end(), isPlainMailHeader)) {
        return "a mail link may carry only subject, body, cc and to headers";
    }
    return std::nullopt;
}

bool isOpenableWebURL(std::string_view url) { return !reasonNotToOpen(url); }

bool mayOpenWithDesktop(std::string_view url) {
    const std::optional<std::string> reason = reasonNotToOpen(url);
    if (reason) systemLog("⚠️ Link not opened: " + *reason);
    return !reason;
}

} // namespace glimmo
