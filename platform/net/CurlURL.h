#pragma once

// Internal: a URL parsed by libcurl, freed when it goes.

#include <curl/curl.h>

#include <memory>

namespace glimmo {

struct CurlURLDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlURLHandle = std::unique_ptr<CURLU, CurlURLDeleter>;

} // namespace glimmo
