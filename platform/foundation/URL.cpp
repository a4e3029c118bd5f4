#include "platform/foundation/URL.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/foundation/HexDigit.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cctype>

namespace glimmo {

namespace {

bool isAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isHexDigit(char c) { return isDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelimiter(char c) {
    return c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' || c == '+' ||
           c == ',' || c == ';' || c == '=';
}
bool isPathCharacter(char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':' || c == '@'; }

// Every character is allowed by `allowed` or starts a well-formed percent escape.
template <typename Allowed>
bool conforms(std::string_view text, Allowed allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
                return false;
            }
            i += 2;
        } else if (!allowed(c)) {
            return false;
        }
    }
    return true;
}

struct Reference {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

struct Authority {
    std::string host;
    std::optional<int> port;
};

// Splits "userinfo@host:port"; nullopt when a part breaks the grammar.
std::optional<Authority> splitAuthority(std::string_view authority) {
    const auto at = authority.rfind('@');
    if (at != std::string_view::npos) {
        const auto userInfo = authority.substr(0, at);
        if (!conforms(userInfo, [](char c) { return isUnreserved(c) || isSubDelimiter(c) || c == ':'; })) {
            return std::nullopt;
        }
        authority.remove_prefix(at + 1);
    }
    Authority result;
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto literal = authority.substr(1, close - 1);
        const bool literalOk = !literal.empty() && std::all_of(literal.begin(), literal.end(), [](char c) {
            return isHexDigit(c) || c == ':' || c == '.' || isUnreserved(c) || isSubDelimiter(c);
        });
        if (!literalOk) {
            return std::nullopt;
        }
        result.host = std::string(literal);
        const auto rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            portText = rest.substr(1);
        }
    } else {
        const auto colon = authority.rfind(':');
        const auto host = authority.substr(0, colon);
        if (!conforms(host, [](char c) { return isUnreserved(c) || isSubDelimiter(c); })) {
            return std::nullopt;
        }
        result.host = std::string(host);
        if (colon != std::string_view::npos) {
            portText = authority.substr(colon + 1);
        }
    }
    if (!portText.empty()) {
        if (portText.size() > 5 || !std::all_of(portText.begin(), portText.end(), isDigit)) {
            return std::nullopt;
        }
        const auto port = parseInteger(portText);
        if (!port || *port > 65535) {
            return std::nullopt;
        }
        result.port = static_cast<int>(*port);
    }
    return result;
}

std::optional<Reference> parseReference(std::string_view text) {
    Reference reference;
    // scheme ":" only when the text before the first ":" is a valid scheme and comes before any / ? #.
    const auto schemeEnd = text.find_first_of(":/?#");
    if (schemeEnd != std::string_view::npos && text[schemeEnd] == ':' && schemeEnd > 0) {
        const auto scheme = text.substr(0, schemeEnd);
        const bool valid = isAlpha(scheme.front()) && std::all_of(scheme.begin(), scheme.end(), [](char c) {
                               return isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.';
                           });
        if (!valid) {
            return std::nullopt;
        }
        reference.scheme = asciiLowercased(std::string(scheme));
        text.remove_prefix(schemeEnd + 1);
    }
    if (const auto hash = text.find('#'); hash != std::string_view::npos) {
        const auto fragment = text.substr(hash + 1);
        if (!conforms(fragment, [](char c) { return isPathCharacter(c) || c == '/' || c == '?'; })) {
            return std::nullopt;
        }
        reference.fragment = std::string(fragment);
        text = text.substr(0, hash);
    }
    if (const auto question = text.find('?'); question != std::string_view::npos) {
        const auto query = text.substr(question + 1);
        if (!conforms(query, [](char c) { return isPathCharacter(c) || c == '/' || c == '?'; })) {
            return std::nullopt;
        }
        reference.query = std::string(query);
        text = text.substr(0, question);
    }
    if (text.substr(0, 2) == "//") {
        text.remove_prefix(2);
        const auto slash = text.find('/');
        const auto authority = text.substr(0, slash);
        if (!splitAuthority(authority)) {
            return std::nullopt;
        }
        reference.authority = std::string(authority);
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    if (!conforms(text, [](char c) { return isPathCharacter(c) || c == '/'; })) {
        return std::nullopt;
    }
    // A relative path's first segment must not look like a scheme.
    if (!reference.scheme && !reference.authority) {
        const auto firstSegment = text.substr(0, text.find('/'));
        if (firstSegment.find(':') != std::string_view::npos) {
            return std::nullopt;
        }
    }
    reference.path = std::string(text);
    return reference;
}

// RFC 3986, 5.2.4.
std::string removeDotSegments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.substr(0, 3) == "../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == "./") {
            input.remove_prefix(2);
        } else if (input.substr(0, 3) == "/./") {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.substr(0, 4) == "/../" || input == "/..") {
            if (input == "/..") {
                input = "/";
            } else {
                input.remove_prefix(3);
            }
            const auto lastSlash = output.rfind('/');
            output.erase(lastSlash == std::string::npos ? 0 : lastSlash);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const auto next = input.find('/', input.front() == '/' ? 1 : 0);
            const auto segment = input.substr(0, next);
            output.append(segment);
            input.remove_prefix(segment.size());
        }
    }
    return output;
}

// RFC 3986, 5.2.3.
std::string mergePaths(const std::optional<std::string>& baseAuthority, const std::string& basePath,
                       const std::string& referencePath) {
    if (baseAuthority && basePath.empty()) {
        return "/" + referencePath;
    }
    const auto lastSlash = basePath.rfind('/');
    if (lastSlash == std::string::npos) {
        return referencePath;
    }
    return basePath.substr(0, lastSlash + 1) + referencePath;
}

std::string decodedOrRaw(std::string_view text) { return percentDecode(text).value_or(std::string(text)); }

// Calls `visit(name, value)` with each non-empty "&"-separated piece of `query`, split on its first "="
// (no value without one), as written, until it returns false.
template <class Visit>
void forEachQueryPiece(std::string_view query, Visit visit) {
    std::string_view rest = query;
    while (!rest.empty()) {
        const std::string_view piece = rest.substr(0, rest.find('&'));
        rest.remove_prefix(std::min(rest.size(), piece.size() + 1));
        if (piece.empty()) continue;
        const auto equals = piece.find('=');
        const std::optional<std::string_view> value =
            equals == std::string_view::npos ? std::nullopt : std::optional(piece.substr(equals + 1));
        if (!visit(piece.substr(0, equals), value)) return;
    }
}

// Resolution can leave a path that the text would not read back as that path: without an authority,
// one that starts with "//" would read as an authority; without a scheme too, a first segment with
// ":" would read as a scheme. A dot segment in front keeps it a path and changes neither where it
// leads nor how references resolve against it.
void keepReadableAsPath(const std::string& scheme, const std::optional<std::string>& authority, std::string& path) {
    if (authority) return;
    if (path.starts_with("//")) {
        path.insert(0, "/.");
    } else if (scheme.empty() && path.substr(0, path.find('/')).find(':') != std::string::npos) {
        path.insert(0, "./");
    }
}

} // namespace

URL::URL(Parts parts) : parts_(std::move(parts)) {
    keepReadableAsPath(parts_.scheme, parts_.authority, parts_.path);
    if (!parts_.scheme.empty()) text_ = parts_.scheme + ":";
    if (parts_.authority) {
        text_ += "//" + *parts_.authority;
    }
    text_ += parts_.path;
    if (parts_.query) {
        text_ += "?" + *parts_.query;
    }
    if (parts_.fragment) {
        text_ += "#" + *parts_.fragment;
    }
}

std::optional<URL> URL::parse(std::string_view text) {
    auto reference = parseReference(text);
    if (!reference || !reference->scheme) {
        return std::nullopt;
    }
    return URL(Parts{*reference->scheme, reference->authority, reference->path, reference->query,
                     reference->fragment});
}

std::optional<URL> URL::parseKeepingRelative(std::string_view text) {
    auto reference = parseReference(text);
    if (!reference) return std::nullopt;
    return URL(Parts{reference->scheme.value_or(""), reference->authority, reference->path, reference->query,
                     reference->fragment});
}

std::optional<URL> URL::parse(std::string_view text, const URL& base) {
    auto reference = parseReference(text);
    if (!reference) {
        return std::nullopt;
    }
    const Parts& b = base.parts_;
    Parts target;
    if (reference->scheme) {
        target = Parts{*reference->scheme, reference->authority, removeDotSegments(reference->path),
                       reference->query, {}};
    } else if (reference->authority) {
        target = Parts{b.scheme, reference->authority, removeDotSegments(reference->path), reference->query, {}};
    } else if (reference->path.empty()) {
        target = Parts{b.scheme, b.authority, b.path, reference->query ? reference->query : b.query, {}};
    } else if (reference->path.front() == '/') {
        target = Parts{b.scheme, b.authority, removeDotSegments(reference->path), reference->query, {}};
    } else {
        target = Parts{b.scheme, b.authority, removeDotSegments(mergePaths(b.authority, b.path, reference->path)),
                       reference->query, {}};
    }
    target.fragment = reference->fragment;
    return URL(std::move(target));
}

URL URL::fileURL(std::string_view absolutePath) {
    std::string path;
    for (const char c : absolutePath) {
        if (isPathCharacter(c) || c == '/') {
            path.push_back(c);
        } else {
            path += percentEncode(std::string_view(&c, 1), PercentEncodingSet::unreserved);
        }
    }
    return URL(Parts{"file", std::string(), path, std::nullopt, std::nullopt});
}

std::string URL::scheme() const { return parts_.scheme; }

std::optional<std::string> URL::host() const {
    if (!parts_.authority) {
        return std::nullopt;
    }
    const auto authority = splitAuthority(*parts_.authority);
    if (!authority || authority->host.empty()) {
        return std::nullopt;
    }
    return decodedOrRaw(authority->host);
}

std::optional<int> URL::port() const {
    if (!parts_.authority) {
        return std::nullopt;
    }
    const auto authority = splitAuthority(*parts_.authority);
    return authority ? authority->port : std::nullopt;
}

std::string URL::path() const { return decodedOrRaw(parts_.path); }

std::string URL::percentEncodedPath() const { return parts_.path; }

std::string URL::lastPathComponent() const {
    std::string_view path = parts_.path;
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    if (path.empty() || path == "/") {
        return {};
    }
    return decodedOrRaw(path.substr(path.rfind('/') + 1));
}

std::optional<std::string> URL::query() const { return parts_.query; }

std::optional<std::string> URL::fragment() const { return parts_.fragment; }

std::vector<URLQueryItem> URL::queryItems() const {
    std::vector<URLQueryItem> items;
    if (parts_.query) {
        forEachQueryPiece(*parts_.query, [&items](std::string_view name, std::optional<std::string_view> value) {
            items.push_back({decodedOrRaw(name), value ? std::optional(decodedOrRaw(*value)) : std::nullopt});
            return true;
        });
    }
    return items;
}

std::optional<std::string> URL::queryValue(std::string_view name) const {
    std::optional<std::string> found;
    if (parts_.query) {
        forEachQueryPiece(*parts_.query, [&](std::string_view itemName, std::optional<std::string_view> value) {
            // Only a name with an escape needs decoding to compare; other items are passed over as they are.
            const bool named =
                itemName == name || (itemName.find('%') != std::string_view::npos && decodedOrRaw(itemName) == name);
            if (!named) return true;
            if (value) found = decodedOrRaw(*value);
            return false;
        });
    }
    return found;
}

bool URL::isFileURL() const { return parts_.scheme == "file"; }

std::string percentEncode(std::string_view text, PercentEncodingSet allowed) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const auto keep = [allowed](char c) {
        if (isUnreserved(c)) {
            return true;
        }
        if (allowed == PercentEncodingSet::urlQueryAllowed) {
            return c == '!' || c == '$' || c == '&' || c == '\'' || c == '(' || c == ')' || c == '*' || c == '+' ||
                   c == ',' || c == ';' || c == '=' || c == ':' || c == '@' || c == '/' || c == '?';
        }
        return false;
    };
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (keep(c)) {
            out.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(hexDigits[byte >> 4]);
            out.push_back(hexDigits[byte & 0x0F]);
        }
    }
    return out;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size() || !isHexDigit(text[i + 1]) || !isHexDigit(text[i + 2])) {
            return std::nullopt;
        }
        out.push_back(static_cast<char>(hexDigitValue(text[i + 1]) * 16 + hexDigitValue(text[i + 2])));
        i += 2;
    }
    if (!isValidUTF8(out)) {
        return std::nullopt;
    }
    return out;
}

} // namespace glimmo
