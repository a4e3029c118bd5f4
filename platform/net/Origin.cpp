#include "platform/net/Origin.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/net/CurlURL.h"

#include <curl/curl.h>

#include <memory>

namespace glimmo {

namespace {

std::optional<std::string> part(CURLU* url, CURLUPart which, unsigned int flags = 0) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, flags) != CURLUE_OK) return std::nullopt;
    std::string value(text);
    curl_free(text);
    return value;
}

CurlURLHandle parsed(const std::string& url) {
    CurlURLHandle handle(curl_url());
    if (handle && curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) handle.reset();
    return handle;
}

}  // namespace

std::optional<std::string> originOf(const std::string& url) {
    const CurlURLHandle handle = parsed(url);
    if (!handle) return std::nullopt;
    const auto scheme = part(handle.get(), CURLUPART_SCHEME);
    auto host = part(handle.get(), CURLUPART_HOST);
    const auto port = part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT);
    if (!scheme || !host || !port) return std::nullopt;
    return *scheme + "://" + asciiLowercased(*host) + ":" + *port;
}

}  // namespace glimmo
