#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

struct URLQueryItem {
    std::string name;
    std::optional<std::string> value; // nullopt for "name" without "="

    bool operator==(const URLQueryItem&) const = default;
};

// An absolute URL as RFC 3986 parses it (or a relative reference, from parseKeepingRelative only).
// Strings with spaces, control characters, other characters outside the URI set, or malformed
// percent escapes are rejected.
class URL {
public:
    // nullopt unless the text is an absolute URL (with a scheme).
    static std::optional<URL> parse(std::string_view text);
    // Resolves a reference (relative or absolute) against `base`. A resulting path that the text would
    // read as an authority ("//evil.com/x" without one) or as a scheme ("a:b" without one) is written
    // behind a dot segment ("/.//evil.com/x", "./a:b"), so the text always reads back as the parts.
    static std::optional<URL> parse(std::string_view reference, const URL& base);
    // A reference kept as written when there is nothing to resolve it against: an absolute URL as
    // `parse` gives it, or a relative one whose scheme() is empty (for addresses handed on as they
    // are, such as a link in a document without a base address).
    static std::optional<URL> parseKeepingRelative(std::string_view reference);
    // A file URL for an absolute path, percent-encoding what needs it.
    static URL fileURL(std::string_view absolutePath);

    std::string scheme() const;                 // lower-cased
    std::optional<std::string> host() const;    // nullopt without an authority
    std::optional<int> port() const;
    std::string path() const;                   // percent-decoded
    std::string percentEncodedPath() const;
    std::string lastPathComponent() const;      // percent-decoded, "" for "/" or an empty path
    std::optional<std::string> query() const;   // as written, without "?"
    std::optional<std::string> fragment() const;
    // Split on "&" then on the first "="; names and values percent-decoded, "+" kept as it is.
    std::vector<URLQueryItem> queryItems() const;
    // The value of the first item named `name` as queryItems() gives it, decoding only that item;
    // nullopt when there is none or it has no "=".
    std::optional<std::string> queryValue(std::string_view name) const;
    const std::string& absoluteString() const { return text_; }
    bool isFileURL() const;

    bool operator==(const URL& other) const { return text_ == other.text_; }

private:
    struct Parts {
        std::string scheme;
        std::optional<std::string> authority;
        std::string path;
        std::optional<std::string> query;
        std::optional<std::string> fragment;
    };
    explicit URL(Parts parts);

    Parts parts_;
    std::string text_;
};

// The grammar of a URL, for callers that need a part of many addresses without building each URL (the
// host of every visit of the browser history). Every part is a view into the text split, as written:
// escapes kept, the scheme in its own case.
struct URLReferenceParts {
    std::optional<std::string_view> scheme;    // nullopt for a relative reference
    std::optional<std::string_view> authority; // "userinfo@host:port"
    std::string_view host;                     // the authority's; an IP literal without its brackets
    std::optional<int> port;
    std::string_view path;
    std::optional<std::string_view> query;
    std::optional<std::string_view> fragment;
};
// nullopt unless `text` is a URL reference: what URL::parseKeepingRelative takes.
std::optional<URLReferenceParts> splitURLReference(std::string_view text);

enum class PercentEncodingSet {
    urlQueryAllowed, // keeps what may stand in a query as it is ("&", "=", "+" included)
    unreserved       // keeps only A-Z a-z 0-9 - . _ ~ (safe for one query name or value)
};

std::string percentEncode(std::string_view text, PercentEncodingSet allowed);
// nullopt for a malformed escape or a result that is not valid UTF-8.
std::optional<std::string> percentDecode(std::string_view text);
// What the parts of a URL read as: `text` decoded, or as written where percentDecode gives nothing.
std::string percentDecodedOrAsWritten(std::string_view text);

} // namespace glimmo
