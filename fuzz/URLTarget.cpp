#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "platform/foundation/URL.h"

#include <algorithm>
#include <array>
#include <string>

namespace glimmo::fuzz::url {

namespace {

// The input is "reference\nbase\nname": a reference resolved against the base (when it parses as one)
// and against a few fixed ones, and a query name looked up in every URL made.
struct Pieces {
    std::string_view reference;
    std::string_view base;
    std::string name;
};

Pieces piecesOf(std::string_view text) {
    std::array<std::string_view, 3> lines{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto end = i + 1 < lines.size() ? text.find('\n') : std::string_view::npos;
        lines[i] = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    return {lines[0], lines[1], std::string(lines[2])};
}

// The text must read back as the parts it was written from.
void checkReadsBack(const URL& url) {
    const auto reread = URL::parseKeepingRelative(url.absoluteString());
    if (!reread || reread->scheme() != url.scheme() || reread->host() != url.host() || reread->port() != url.port() ||
        reread->percentEncodedPath() != url.percentEncodedPath() || reread->query() != url.query()) {
        fail("a URL's text does not read back as its parts: " + url.absoluteString());
    }
}

// queryValue decodes only the item it finds; what it finds is what queryItems lists first.
void checkQueryValue(const URL& url, const std::string& name) {
    const auto items = url.queryItems();
    const auto first =
        std::find_if(items.begin(), items.end(), [&](const URLQueryItem& item) { return item.name == name; });
    if (url.queryValue(name) != (first == items.end() ? std::nullopt : first->value)) {
        fail("queryValue disagrees with queryItems");
    }
}

void check(const URL& url, const std::string& name) {
    checkReadsBack(url);
    checkQueryValue(url, name);
}

void resolve(std::string_view reference, const URL& base, const std::string& name) {
    const auto resolved = URL::parse(reference, base);
    if (resolved) check(*resolved, name);
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    const Pieces pieces = piecesOf(bytesOf(data, size));
    static const std::array<URL, 3> fixedBases = {*URL::parse("http://a/b/c/d;p?q"), *URL::parse("foo:a/b"),
                                                  *URL::parseKeepingRelative("b/c")};
    for (const URL& base : fixedBases) resolve(pieces.reference, base, pieces.name);

    const auto base = URL::parseKeepingRelative(pieces.base);
    if (URL::parse(pieces.base) != (base && !base->scheme().empty() ? base : std::nullopt)) {
        fail("parse and parseKeepingRelative disagree on an absolute URL");
    }
    if (!base) return 0;
    check(*base, pieces.name);
    resolve(pieces.reference, *base, pieces.name);
    return 0;
}

} // namespace glimmo::fuzz::url
