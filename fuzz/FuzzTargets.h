#pragma once

// The fuzz targets. Each takes one input, runs it through the code under attack and returns 0;
// what the code documents as a refusal (its typed error) is caught, anything else (another exception,
// a crash, a sanitizer report, a broken round trip) ends the process. The libFuzzer executables and
// the replay test of the ordinary build call these same functions.

#include <cstddef>
#include <cstdint>

namespace glimmo::fuzz {

// Markdown text through the cmark-gfm bridge and rendered back as CommonMark, HTML and plain text.
namespace markdown { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// A generate-content, count-tokens or error reply body of the Gemini service.
namespace geminiReply { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// A streamed reply: bytes cut into lines as they arrive, "data:" lines decoded as replies.
namespace geminiStream { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// An AI categorisation answer enriched into its stored form, and a stored form shown.
namespace categorizationAnswer { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// The record file's content, decoded, written back and shown as the activity report shows it.
namespace recordFile { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// The per-day store's content, decoded and written back.
namespace dailyStore { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// The journal cache kept in the settings: days and their encoded entries.
namespace journalCache { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// The settings file, loaded from disk, read and saved.
namespace userDefaults { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// PNG, JPEG, GIF and WebP bytes through the image decoders.
namespace images { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// A URL, a reference resolved against it and a query name looked up in both.
namespace url { int fuzzOne(const std::uint8_t* data, std::size_t size); }
// A reply's excerpt: how much of its Markdown is shown, read as the parser reads its blocks.
namespace replyExcerpt { int fuzzOne(const std::uint8_t* data, std::size_t size); }

} // namespace glimmo::fuzz
