#pragma once

// Replies as the main-loop and frame benchmarks show them.

#include <cstddef>
#include <string>

namespace glimmo::bench {

// Bullets as the journal prompt asks for them, to 8 KB: a bold area, an emoji, a specific account with
// bold terms, code and now and then a link, an empty line between bullets.
std::string ordinaryJournal();

// Plain prose in short paragraphs, as a chat answer runs, to about `bytes`.
std::string plainReply(std::size_t bytes);

// Markdown of every kind a reply mixes, to about `bytes`: sections under a heading with an emoji, prose
// with bold, code and links, nested bulleted and numbered lists, fenced code, quotes and small tables.
std::string mixedReply(std::size_t bytes);

} // namespace glimmo::bench
