#include "platform/foundation/URL.h"

#include <gtest/gtest.h>

#include <tuple>

namespace glimmo {
namespace {

TEST(URLTest, ParsesTheParts) {
    const auto url = URL::parse("HTTPS://user:pw@Example.com:8443/v1beta/models/gemini-2.0-flash:generateContent?alt=sse&key=a%20b#top");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "https");
    EXPECT_EQ(url->host(), "Example.com");
    EXPECT_EQ(url->port(), 8443);
    EXPECT_EQ(url->path(), "/v1beta/models/gemini-2.0-flash:generateContent");
    EXPECT_EQ(url->lastPathComponent(), "gemini-2.0-flash:generateContent");
    EXPECT_EQ(url->query(), "alt=sse&key=a%20b");
    EXPECT_EQ(url->fragment(), "top");
    EXPECT_FALSE(url->isFileURL());
}

TEST(URLTest, PartsThatAreAbsent) {
    const auto url = URL::parse("mailto:someone@example.com");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->host(), std::nullopt);
    EXPECT_EQ(url->port(), std::nullopt);
    EXPECT_EQ(url->path(), "someone@example.com");
    EXPECT_EQ(url->query(), std::nullopt);
    EXPECT_EQ(URL::parse("http://example.com")->path(), "");
    EXPECT_EQ(URL::parse("http://example.com/")->lastPathComponent(), "");
    EXPECT_EQ(URL::parse("http://example.com/a/b/")->lastPathComponent(), "b");
    EXPECT_EQ(URL::parse("http://[::1]:8080/")->host(), "::1");
    EXPECT_EQ(URL::parse("http://example.com?")->query(), "");
}

TEST(URLTest, RejectsWhatThePlatformRejected) {
    for (const char* text : {"", "no scheme", "http://exa mple.com/", "http://example.com/a b", "http://x/\x01",
                             "http://x/%zz", "http://x/%4", "http://x/\"quoted\"", "http://x/<tag>", "http://x/a|b",
                             "http://x:99999/", "http://x:8a/", "1http://x/", "http://x/#a#b", "relative/path",
                             "http://x/caf\xC3\xA9"}) {
        EXPECT_EQ(URL::parse(text), std::nullopt) << text;
    }
}

TEST(URLTest, ResolvesReferencesAsTheStandardSays) {
    const auto base = URL::parse("http://a/b/c/d;p?q");
    ASSERT_TRUE(base);
    const std::pair<const char*, const char*> cases[] = {
        {"g:h", "g:h"},           {"g", "http://a/b/c/g"},         {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"}, {"/g", "http://a/g"},           {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"}, {"g?y", "http://a/b/c/g?y"}, {"#s", "http://a/b/c/d;p?q#s"},
        {"", "http://a/b/c/d;p?q"}, {".", "http://a/b/c/"},        {"..", "http://a/b/"},
        {"../g", "http://a/b/g"},  {"../../g", "http://a/g"},      {"../../../g", "http://a/g"},
        {"/./g", "http://a/g"},    {"g.", "http://a/b/c/g."},      {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
    };
    for (const auto& [reference, expected] : cases) {
        const auto resolved = URL::parse(reference, *base);
        ASSERT_TRUE(resolved) << reference;
        EXPECT_EQ(resolved->absoluteString(), expected) << reference;
    }
    EXPECT_EQ(URL::parse("images/a b.png", *base), std::nullopt);
}

// A resolved path is written so that it reads back as that path: without an authority, not as one;
// without a scheme, not as one.
TEST(URLTest, AResolvedURLsTextReadsBackAsItsParts) {
    const URL opaque = *URL::parse("foo:/a/b");
    const URL web = *URL::parse("http://a/b/c");
    const URL relative = *URL::parseKeepingRelative("?q");
    const std::tuple<const URL&, const char*, const char*> cases[] = {
        {opaque, "..//evil.com/x", "foo:/.//evil.com/x"},
        {web, "http:/..//evil.com/x", "http:/.//evil.com/x"},
        {relative, "./a:b", "./a:b"},
    };
    for (const auto& [base, reference, text] : cases) {
        const auto resolved = URL::parse(reference, base);
        ASSERT_TRUE(resolved) << reference;
        EXPECT_EQ(resolved->absoluteString(), text) << reference;
        const auto reread = URL::parseKeepingRelative(resolved->absoluteString());
        ASSERT_TRUE(reread) << text;
        EXPECT_EQ(reread->scheme(), resolved->scheme()) << text;
        EXPECT_EQ(reread->host(), std::nullopt) << text;
        EXPECT_EQ(reread->percentEncodedPath(), resolved->percentEncodedPath()) << text;
    }
}

TEST(URLTest, QueryItemsAreDecodedButPlusIsKept) {
    const auto url = URL::parse("https://www.google.com/search?q=a%26b%3Dc+d&flag&empty=&x=%E2%9C%85");
    ASSERT_TRUE(url);
    const std::vector<URLQueryItem> expected = {
        {"q", "a&b=c+d"}, {"flag", std::nullopt}, {"empty", ""}, {"x", "✅"}};
    EXPECT_EQ(url->queryItems(), expected);
    EXPECT_TRUE(URL::parse("http://x/")->queryItems().empty());
    for (const URLQueryItem& item : expected) EXPECT_EQ(url->queryValue(item.name), item.value) << item.name;
    EXPECT_EQ(URL::parse("http://x/?%71=first&q=second")->queryValue("q"), "first");
    EXPECT_EQ(URL::parse("http://x/?%71=first")->queryValue("%71"), std::nullopt) << "its name is q";
    EXPECT_EQ(url->queryValue("missing"), std::nullopt);
}

TEST(PercentEncodingTest, UnreservedEncodesQuerySeparatorsAndSpaces) {
    EXPECT_EQ(percentEncode("rock & roll = fun + more", PercentEncodingSet::unreserved),
              "rock%20%26%20roll%20%3D%20fun%20%2B%20more");
    EXPECT_EQ(percentEncode("café/ü?#", PercentEncodingSet::unreserved), "caf%C3%A9%2F%C3%BC%3F%23");
    EXPECT_EQ(percentEncode("A-Z_a.z~09", PercentEncodingSet::unreserved), "A-Z_a.z~09");
}

TEST(PercentEncodingTest, QueryAllowedKeepsSeparatorsButEncodesSpaces) {
    EXPECT_EQ(percentEncode("a b&c=d+e/f?g#h\"", PercentEncodingSet::urlQueryAllowed), "a%20b&c=d+e/f?g%23h%22");
}

TEST(PercentEncodingTest, DecodingRoundTripsAndRejectsMalformedInput) {
    const std::string text = "Zeit & Raum = 100% ✅";
    EXPECT_EQ(percentDecode(percentEncode(text, PercentEncodingSet::unreserved)), text);
    EXPECT_EQ(percentDecode("a+b"), "a+b");
    EXPECT_EQ(percentDecode("%zz"), std::nullopt);
    EXPECT_EQ(percentDecode("abc%4"), std::nullopt);
    EXPECT_EQ(percentDecode("%FF"), std::nullopt); // not UTF-8
}

TEST(URLTest, FileURLsEncodeThePath) {
    const URL file = URL::fileURL("/home/me/My Documents/#1.json");
    EXPECT_EQ(file.absoluteString(), "file:///home/me/My%20Documents/%231.json");
    EXPECT_TRUE(file.isFileURL());
    EXPECT_EQ(file.path(), "/home/me/My Documents/#1.json");
    EXPECT_EQ(URL::parse(file.absoluteString()), file);
}

} // namespace
} // namespace glimmo
