#include "platform/foundation/URL.h"

#include "platform/foundation/AsciiCase.h"
#include "platform/foundation/HexDigit.h"
#include "platform/foundation/NumberText.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace glimmo {

namespace {

// The characters each part of a URL may hold; '%' only as the start of an escape of two hexadecimal
// digits, where `conforms` looks at it. One table look-up a character: the history reader takes the host
// of up to a million addresses at each load.
enum CharacterClass : std::uint8_t {
    unreservedClass = 1, // A-Z a-z 0-9 - . _ ~
    subDelimiterClass = 2,
    colonClass = 4,
    atClass = 8,
    slashClass = 16,
    questionClass = 32,
    letterClass = 64,
    digitClass = 128,
};

constexpr std::array<std::uint8_t, 256> characterClasses = [] {
    std::array<std::uint8_t, 256> classes{};
    for (int c = 0; c < 256; ++c) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) classes[c] |= letterClass | unreservedClass;
        if (c >= '0' && c <= '9') classes[c] |= digitClass | unreservedClass;
    }
    for (const unsigned char c : std::string_view("-._~")) classes[c] |= unreservedClass;
    for (const unsigned char c : std::string_view("!$&'()*+,;=")) classes[c] |= subDelimiterClass;
    classes[':'] |= colonClass;
    classes['@'] |= atClass;
    classes['/'] |= slashClass;
    classes['?'] |= questionClass;
    return classes;
}();

constexpr std::uint8_t hostCharacters = unreservedClass | subDelimiterClass;
constexpr std::uint8_t userInfoCharacters = hostCharacters | colonClass; // an IP literal's too
constexpr std::uint8_t pathCharacters = hostCharacters | colonClass | atClass; // within a segment
constexpr std::uint8_t queryCharacters = pathCharacters | slashClass | questionClass; // a fragment's too
constexpr std::uint8_t schemeCharacters = letterClass | digitClass;

bool isIn(char c, std::uint8_t allowed) { return (characterClasses[static_cast<unsigned char>(c)] & allowed) != 0; }

bool isEscape(std::string_view text, std::size_t start) {
    return start + 2 < text.size() && hexDigitValue(text[start + 1]) >= 0 && hexDigitValue(text[start + 2]) >= 0;
}

// Every character is in `allowed` or starts a well-formed percent escape.
bool conforms(std::string_view text, std::uint8_t allowed) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%') {
            if (!isEscape(text, i)) {
                return false;
            }
            i += 2;
        } else if (!isIn(text[i], allowed)) {
            return false;
        }
    }
    return true;
}

bool isScheme(std::string_view scheme) {
    return !scheme.empty() && isIn(scheme.front(), letterClass) &&
           std::all_of(scheme.begin(), scheme.end(),
                       [](char c) { return isIn(c, schemeCharacters) || c == '+' || c == '-' || c == '.'; });
}

// 0 to 65535 in at most five digits; empty for none.
bool isPort(std::string_view port) {
    return port.size() <= 5 &&
           std::all_of(port.begin(), port.end(), [](char c) { return isIn(c, digitClass); }) &&
           (port.empty() || parseInteger(port).value_or(65536) <= 65535);
}

struct AuthorityParts {
    std::string_view host;
    std::optional<int> port;
};

// Splits "userinfo@host:port"; nullopt when a part breaks the grammar.
std::optional<AuthorityParts> splitAuthority(std::string_view authority) {
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        if (!conforms(authority.substr(0, at), userInfoCharacters)) {
            return std::nullopt;
        }
        authority.remove_prefix(at + 1);
    }
    AuthorityParts parts;
    std::string_view portText;
    if (!authority.empty() && authority.front() == '[') {
        const auto close = authority.find(']');
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        parts.host = authority.substr(1, close - 1); // no escapes in a literal
        if (parts.host.empty() ||
            !std::all_of(parts.host.begin(), parts.host.end(), [](char c) { return isIn(c, userInfoCharacters); })) {
            return std::nullopt;
        }
        const auto rest = authority.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return std::nullopt;
            }
            portText = rest.substr(1);
        }
    } else {
        const auto colon = authority.rfind(':');
        parts.host = authority.substr(0, colon);
        if (!conforms(parts.host, hostCharacters)) {
            return std::nullopt;
        }
        if (colon != std::string_view::npos) {
            portText = authority.substr(colon + 1);
        }
    }
    if (!isPort(portText)) {
        return std::nullopt;
    }
    if (!portText.empty()) {
        parts.port = static_cast<int>(*parseInteger(portText));
    }
    return parts;
}

} // namespace

std::optional<URLReferenceParts> splitURLReference(std::string_view text) {
    URLReferenceParts parts;
    // scheme ":" only when the text before the first ":" is a valid scheme and comes before any / ? #.
    const auto schemeEnd = text.find_first_of(":/?#");
    if (schemeEnd != std::string_view::npos && text[schemeEnd] == ':' && schemeEnd > 0) {
        if (!isScheme(text.substr(0, schemeEnd))) {
            return std::nullopt;
        }
        parts.scheme = text.substr(0, schemeEnd);
        text.remove_prefix(schemeEnd + 1);
    }
    if (const auto hash = text.find('#'); hash != std::string_view::npos) {
        parts.fragment = text.substr(hash + 1);
        if (!conforms(*parts.fragment, queryCharacters)) {
            return std::nullopt;
        }
        text = text.substr(0, hash);
    }
    if (const auto question = text.find('?'); question != std::string_view::npos) {
        parts.query = text.substr(question + 1);
        if (!conforms(*parts.query, queryCharacters)) {
            return std::nullopt;
        }
        text = text.substr(0, question);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const auto slash = text.find('/');
        parts.authority = text.substr(0, slash);
        const std::optional<AuthorityParts> authority = splitAuthority(*parts.authority);
        if (!authority) {
            return std::nullopt;
        }
        parts.host = authority->host;
        parts.port = authority->port;
        text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
    }
    if (!conforms(text, pathCharacters | slashClass)) {
        return std::nullopt;
    }
    // A relative path's first segment must not look like a scheme.
    if (!parts.scheme && !parts.authority && text.substr(0, text.find('/')).find(':') != std::string_view::npos) {
        return std::nullopt;
    }
    parts.path = text;
    return parts;
}

namespace {

std::optional<std::string> owned(std::optional<std::string_view> text) {
    return text ? std::optional<std::string>(*text) : std::nullopt;
}

// A reference's parts, held: the scheme lower-cased.
struct Reference {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

std::optional<Reference> parseReference(std::string_view text) {
    const std::optional<URLReferenceParts> parts = splitURLReference(text);
    if (!parts) {
        return std::nullopt;
    }
    return Reference{parts->scheme ? std::optional(asciiLowercased(std::string(*parts->scheme))) : std::nullopt,
                     owned(parts->authority), std::string(parts->path), owned(parts->query), owned(parts->fragment)};
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
        if (isIn(c, pathCharacters | slashClass)) {
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
    return percentDecodedOrAsWritten(authority->host);
}

std::optional<int> URL::port() const {
    if (!parts_.authority) {
        return std::nullopt;
    }
    const auto authority = splitAuthority(*parts_.authority);
    return authority ? authority->port : std::nullopt;
}

std::string URL::path() const { return percentDecodedOrAsWritten(parts_.path); }

std::string URL::percentEncodedPath() const { return parts_.path; }

std::string URL::lastPathComponent() const {
    std::string_view path = parts_.path;
    while (path.size() > 1 && path.back() == '/') {
        path.remove_suffix(1);
    }
    if (path.empty() || path == "/") {
        return {};
    }
    return percentDecodedOrAsWritten(path.substr(path.rfind('/') + 1));
}

std::optional<std::string> URL::query() const { return parts_.query; }

std::optional<std::string> URL::fragment() const { return parts_.fragment; }

std::vector<URLQueryItem> URL::queryItems() const {
    std::vector<URLQueryItem> items;
    if (parts_.query) {
        forEachQueryPiece(*parts_.query, [&items](std::string_view name, std::optional<std::string_view> value) {
            items.push_back({percentDecodedOrAsWritten(name),
                             value ? std::optional(percentDecodedOrAsWritten(*value)) : std::nullopt});
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
            // An escaped name is compared decoded alone: "%71" names "q", not "%71".
            const bool named = itemName.find('%') == std::string_view::npos
                                   ? itemName == name
                                   : percentDecodedOrAsWritten(itemName) == name;
            if (!named) return true;
            if (value) found = percentDecodedOrAsWritten(*value);
            return false;
        });
    }
    return found;
}

bool URL::isFileURL() const { return parts_.scheme == "file"; }

std::string percentEncode(std::string_view text, PercentEncodingSet allowed) {
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    const auto keep = [allowed](char c) {
        return isIn(c, allowed == PercentEncodingSet::urlQueryAllowed ? queryCharacters : unreservedClass);
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
        if (!isEscape(text, i)) {
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

std::string percentDecodedOrAsWritten(std::string_view text) {
    if (text.find('%') == std::string_view::npos) {
        return std::string(text); // decodes to itself
    }
    return percentDecode(text).value_or(std::string(text));
}

} // namespace glimmo
