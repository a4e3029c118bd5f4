#pragma once

#include <cstddef>
#include <string>

// A deterministic Markdown document of about `bytes` bytes that reads like real notes: headings,
// paragraphs with emphasis, links and code spans, nested lists, task lists, tables, quotes and code
// blocks.
std::string makeNotesDocument(std::size_t bytes);
