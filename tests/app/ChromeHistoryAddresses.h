#pragma once

// Generated addresses of the kinds a browser history holds, and of the kinds a parser of hosts can get
// wrong, drawn from one list of kinds.

#include <array>
#include <initializer_list>
#include <random>
#include <string>
#include <string_view>

namespace glimmo::testing {

using AddressRandom = std::mt19937;

inline std::string pickOf(AddressRandom& random, std::initializer_list<std::string_view> choices) {
    std::uniform_int_distribution<std::size_t> index(0, choices.size() - 1);
    return std::string(*(choices.begin() + index(random)));
}

inline std::string hostName(AddressRandom& random) {
    return pickOf(random, {"www.example.com", "docs.example.org", "a", "x-y.z", "Example.COM", "127.0.0.1",
                           "sub.domain.example.net", "www.google.com", "host_name~1", "h!$&'()*+,;=x"});
}

inline std::string pathAndRest(AddressRandom& random) {
    return pickOf(random, {"", "/", "/a/b", "/search?q=caf%C3%A9", "/p?x=1&y=2#top", "/a:b@c", "?only=query",
                           "#only-fragment", "/x?y?z#w/?", "/%41%42", "/a%2", "/sp ace", "/q?a=%zz", "/f#a#b",
                           "/\xC3\xA9t\xC3\xA9"});
}

struct AddressKind {
    const char* name;
    std::string (*make)(AddressRandom&);
    bool someHaveAHost; // what a generator of this kind must give among its addresses
    bool someHaveNone;
};

// Every kind, with a generator for each. A test draws from all of them.
inline const std::array<AddressKind, 12> addressKinds{{
    {"plain web address",
     [](AddressRandom& r) { return pickOf(r, {"https", "http"}) + "://" + hostName(r) + pathAndRest(r); }, true,
     true},
    {"userinfo",
     [](AddressRandom& r) {
         return "https://" + pickOf(r, {"user", "user:pass", "u%20x", "a@b", ":", "", "u%", "us er"}) + "@" +
                hostName(r) + pathAndRest(r);
     },
     true, true},
    {"port",
     [](AddressRandom& r) {
         return "http://" + hostName(r) + ":" + pickOf(r, {"", "80", "8080", "65535", "65536", "123456", "8a", "-1", "00080"}) +
                pathAndRest(r);
     },
     true, true},
    {"IPv6 literal",
     [](AddressRandom& r) {
         return "http://" + pickOf(r, {"[::1]", "[2001:db8::1]:443", "[v1.fe]", "[]", "[::1", "[::1]x", "[::1]:",
                                       "[a%41]", "[::1]:99999", "u@[::1]"}) +
                pathAndRest(r);
     },
     true, true},
    {"percent escapes",
     [](AddressRandom& r) {
         return "https://" + pickOf(r, {"caf%C3%A9.example", "%41%42", "bad%FF.example", "%G1.example", "x%4",
                                        "%2e%2E", "%00", "a%25b"}) +
                pathAndRest(r);
     },
     true, true},
    {"international host",
     [](AddressRandom& r) {
         return "https://" + pickOf(r, {"xn--caf-dma.example", "z\xC3\xBCrich.example", "\xE6\x9D\xB1\xE4\xBA\xAC.jp",
                                        "xn--p1ai"}) +
                pathAndRest(r);
     },
     true, true},
    {"uppercase",
     [](AddressRandom& r) { return pickOf(r, {"HTTPS", "Http", "hTTp"}) + "://" + pickOf(r, {"WWW.EXAMPLE.COM", "Mixed.Case"}) + pathAndRest(r); },
     true, true},
    {"no scheme",
     [](AddressRandom& r) {
         return pickOf(r, {"//", "", ":", "://", "/", "1http://", "ht tp://", "h%74tp://"}) + hostName(r) + pathAndRest(r);
     },
     false, true},
    {"file",
     [](AddressRandom& r) {
         return "file:" + pickOf(r, {"///etc/hosts", "//server/share/x", "/tmp/x", "//localhost/a%20b", "///"});
     },
     true, true},
    {"data",
     [](AddressRandom& r) {
         return pickOf(r, {"data:text/plain,hello", "data:text/html;base64,PGI+", "data:,", "data://x/y",
                           "data:text/plain,a b"});
     },
     true, true},
    {"odd scheme",
     [](AddressRandom& r) {
         return pickOf(r, {"chrome-extension", "about", "view-source:https", "javascript", "a+b.c-d", "x1", "mailto",
                           "chrome"}) +
                pickOf(r, {"://", ":", ":/"}) + hostName(r) + pathAndRest(r);
     },
     true, true},
    {"empty host",
     [](AddressRandom& r) { return "http://" + pickOf(r, {"", ":80", "@", "u@", "@:1", ":"}) + pathAndRest(r); }, false,
     true},
}};

// An address of a kind drawn at random, now and then with one character of those that separate its
// parts put in anywhere.
inline std::string generatedAddress(AddressRandom& random, std::size_t* kind = nullptr) {
    std::uniform_int_distribution<std::size_t> pick(0, addressKinds.size() - 1);
    const std::size_t drawn = pick(random);
    if (kind) *kind = drawn;
    std::string address = addressKinds[drawn].make(random);
    if (std::uniform_int_distribution<int>(0, 3)(random) == 0) {
        const std::string separators = ":/?#@[]%. \x7F";
        const char inserted = separators[std::uniform_int_distribution<std::size_t>(0, separators.size() - 1)(random)];
        address.insert(std::uniform_int_distribution<std::size_t>(0, address.size())(random), 1, inserted);
    }
    return address;
}

} // namespace glimmo::testing
