#pragma once

// Origins of addresses, so a request's secrets stay with the server they were meant for.

#include <optional>
#include <string>

namespace glimmo {

// Scheme, lower-case host and port ("https://example.com:443" for "https://Example.com/a"), the
// scheme's default port when none is written; nullopt for text that is no absolute URL.
std::optional<std::string> originOf(const std::string& url);

}  // namespace glimmo
