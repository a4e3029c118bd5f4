#include "app/URLHost.h"

#include "platform/foundation/URL.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace glimmo {
namespace {

// The characters each part of an address may hold, as the URL parser takes them; '%' only as the start
// of an escape of two hexadecimal digits, where `allowsEscapes` says so.
enum CharacterClass : std::uint8_t {
    unreservedOrSubDelimiter = 1, // what a host name may hold
    colon = 2,
    at = 4,
    slash = 8,
    question = 16,
    hexDigit = 32,
};

constexpr std::array<std::uint8_t, 256> characterClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (const unsigned char c : std::string_view("-._~!$&'()*+,;=")) {
        classes[c] |= unreservedOrSubDelimiter;
    }
    for (int c = 0; c < 256; ++c) {
        const bool digit = c >= '0' && c <= '9';
        const bool upper = c >= 'A' && c <= 'Z';
        const bool lower = c >= 'a' && c <= 'z';
        if (digit || upper || lower) {
            classes[c] |= unreservedOrSubDelimiter;
        }
        if (digit || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) {
            classes[c] |= hexDigit;
        }
    }
    classes[':'] |= colon;
    classes['@'] |= at;
    classes['/'] |= slash;
    classes['?'] |= question;
    return classes;
}();

constexpr std::uint8_t userInfoCharacters = unreservedOrSubDelimiter | colon;
constexpr std::uint8_t pathCharacters = unreservedOrSubDelimiter | colon | at | slash;
constexpr std::uint8_t queryCharacters = pathCharacters | question;

bool isIn(char c, std::uint8_t allowed) {
    return (characterClasses[static_cast<unsigned char>(c)] & allowed) != 0;
}

// Every character is in `allowed` or starts a well-formed percent escape.
bool conforms(std::string_view text, std::uint8_t allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (i + 2 >= text.size() || !isIn(text[i + 1], hexDigit) || !isIn(text[i + 2], hexDigit)) {
                return false;
            }
            i += 2;
        } else if (!isIn(text[i], allowed)) {
            return false;
        }
    }
    return true;
}

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isScheme(std::string_view scheme) {
    return !scheme.empty() && isLetter(scheme.front()) && std::all_of(scheme.begin(), scheme.end(), [](char c) {
               return isLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
           });
}

bool isPort(std::string_view port) {
    if (port.size() > 5) {
        return false;
    }
    int value = 0;
    for (const char c : port) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    return value <= 65535;
}

// The host of "userinfo@host:port", as written; nullopt when a part breaks the grammar.
std::optional<std::string_view> hostOfAuthority(std::string_view authority) {
    if (const auto userInfoEnd = authority.rfind('@'); userInfoEnd != std::string_view::npos) {
        if (!conforms(authority.substr(0, userInfoEnd), userInfoCharacters)) {
            return std::nullopt;
        }
        authority.remove_prefix(userInfoEnd + 1);
    }
    std::string_view host;
    std::string_view port;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        host = authority.substr(1, close - 1); // no escapes in a literal
        if (host.empty() ||
            !std::all_of(host.begin(), host.end(), [](char c) { return isIn(c, userInfoCharacters); })) {
            return std::nullopt;
        }
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            port = rest.substr(1);
        }
    } else {
        const auto portStart = authority.rfind(':');
        host = authority.substr(0, portStart);
        if (!conforms(host, unreservedOrSubDelimiter)) {
            return std::nullopt;
        }
        if (portStart != std::string_view::npos) {
            port = authority.substr(portStart + 1);
        }
    }
    if (!isPort(port)) {
        return std::nullopt;
    }
    return host;
}

} // namespace

std::optional<std::string> hostOfVisitedURL(std::string_view url) {
    const auto schemeEnd = url.find_first_of(":/?#");
    if (schemeEnd == std::string_view::npos || url[schemeEnd] != ':' || !isScheme(url.substr(0, schemeEnd))) {
        return std::nullopt;
    }
    std::string_view rest = url.substr(schemeEnd + 1);
    if (const auto hash = rest.find('#'); hash != std::string_view::npos) {
        if (!conforms(rest.substr(hash + 1), queryCharacters)) {
            return std::nullopt;
        }
        rest = rest.substr(0, hash);
    }
    if (const auto question = rest.find('?'); question != std::string_view::npos) {
        if (!conforms(rest.substr(question + 1), queryCharacters)) {
            return std::nullopt;
        }
        rest = rest.substr(0, question);
    }
    if (!rest.starts_with("//")) {
        return std::nullopt; // no authority, so no host
    }
    rest.remove_prefix(2);
    const auto pathStart = rest.find('/');
    if (pathStart != std::string_view::npos && !conforms(rest.substr(pathStart), pathCharacters)) {
        return std::nullopt;
    }
    const std::optional<std::string_view> host = hostOfAuthority(rest.substr(0, pathStart));
    if (!host || host->empty()) {
        return std::nullopt;
    }
    if (host->find('%') == std::string_view::npos) {
        return std::string(*host);
    }
    return percentDecode(*host).value_or(std::string(*host));
}

}  // namespace glimmo
