#pragma once

// What the application keeps of a day analysis's AI answer, bounded so that whatever the AI service
// answers, the per-day store and the remembered activities stay small. A real stored answer is a few
// kilobytes: three to five categories naming a few dozen applications and websites, and three to
// five activities of a sentence each; the bounds are far above that, so a real answer keeps all of it.

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

// Each text of a stored answer, and each activity the preferences remember: a description is a
// sentence, a type a category's name, an application a name. 4 KiB is some forty sentences.
inline constexpr std::size_t storedAnswerTextLimit = 4 * 1024;
// A category's "apps" text, the day's applications and websites that belong to it: 16 KiB names
// some seven hundred of them.
inline constexpr std::size_t storedAnswerAppsLimit = 16 * 1024;
// A stored answer as written, pretty-printed: fifty times a real one. The per-day store rewrites all
// its days with each save, and the seven that the weekly chart reads stay within its budget even at
// this size.
inline constexpr std::size_t storedAnswerLimit = 256 * 1024;
// What a stored answer takes of the per-day store's file at most, where it is written as a JSON string:
// a quote, a backslash or a line break of its pretty-printed text takes two bytes there.
inline constexpr std::size_t storedAnswerWrittenLimit = 2 * storedAnswerLimit + 2;

// The three bounds together (tests take smaller ones; `text` and `apps` are at least 3).
struct StoredAnswerLimits {
    std::size_t text = storedAnswerTextLimit;
    std::size_t apps = storedAnswerAppsLimit;
    std::size_t whole = storedAnswerLimit;
};

// The stored form within the bounds. Every text is cut by textWithinBytes: an "apps" text to
// `limits.apps`, any other to `limits.text`; a member whose key is longer than that is left out.
// Then what keeps the pretty-printed whole within `limits.whole`: of a list its
// leading elements, of an object its members ("type", "description", "apps" and "percentage" first,
// the others in their order), each member first in its smallest form (a list or object empty), so an
// object keeps the keys it has room for, and its lists and objects then filled in order with the room
// left. A form within the bounds comes back the same, but for that order of keys.
nlohmann::ordered_json storedAnswerWithin(const nlohmann::ordered_json& storedForm, const StoredAnswerLimits& limits = {});

// Whether a stored answer's text is within its bounds: at most storedAnswerLimit bytes, and at most
// storedAnswerWrittenLimit written as a JSON string. Always so for one the day analysis stored.
bool isStoredAnswerTextWithinBounds(std::string_view text);

// A stored answer as text within the bounds: unchanged when it is within them; otherwise its JSON
// within the bounds, pretty-printed, or, when it is no JSON (an earlier version stored an answer it could
// not read as it came), the text cut to storedAnswerLimit bytes written as a JSON string.
std::string storedAnswerTextWithin(std::string text);

} // namespace glimmo
