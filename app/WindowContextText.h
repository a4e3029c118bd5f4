#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace glimmo {

class Accessibility;
class AccessibilityElement;

// The instruction put before a window's element tree when asking for a summary of it.
inline constexpr std::string_view windowContextInstruction =
    "Analyze the following UI element tree from a macOS application. \n"
    "Your goal is to extract and summarize the most relevant user-specific text content and important contextual "
    "information.\n"
    "Focus on what the user is likely seeing or interacting with.\n"
    "For example, if there's a list of items, summarize it (e.g., \"List of emails: subject 1, subject 2...\").\n"
    "If there's a document open, identify its title or key content.\n"
    "If there's a form, mention its purpose and any filled-in data.\n"
    "Be concise and informative.\n"
    "\n"
    "UI Element Tree:\n";

// The prompt carries at most this many characters of tree text.
inline constexpr std::size_t windowTreeCharacterLimit = 15000;

// Bounds of one walk over an element tree: a slow or huge (or cyclic) tree must not hold the
// analysis for long. The walk also stops once it has more text than the prompt can carry.
struct ElementTreeLimits {
    int maxDepth = 64;
    std::size_t maxElements = 20000;
    double maxSeconds = 10;
    std::size_t maxCharacters = windowTreeCharacterLimit;
    std::size_t maxChildrenPerElement = 1000;
};

// The element and everything below it as indented lines: "[Role] Title: ...; Value: ...; Desc: ...;
// Help: ...", two spaces per level. An element with nothing to say and no text below drops out.
// Blocking: reads every element; call off the main thread.
std::string elementTreeText(const AccessibilityElement& element, int depth = 0, const ElementTreeLimits& limits = {});

// Whether a window with this title may show credentials and so is never read.
bool isSensitiveWindowTitle(std::string_view title);

// The tree text of the application's first window; empty when it has none or it is sensitive.
// Blocking, like elementTreeText.
std::string firstWindowText(Accessibility& accessibility, int processIdentifier, const ElementTreeLimits& limits = {});

// The instruction, the tree (cut to 15,000 characters plus "..." when longer) and one space.
std::string windowContextPrompt(const std::string& tree);

// The first `limit` characters followed by "..." when the text is longer; the text otherwise.
std::string cutText(const std::string& text, std::size_t limit);

// The most bytes a record keeps of a window text, the cut's "..." included: a valid but huge
// reply must not swell the record file that every save rewrites.
inline constexpr std::size_t storedWindowTextLimit = 64 * 1024;

// The text as a record stores it: whole when it fits in storedWindowTextLimit bytes, otherwise
// cut at a UTF-8 sequence boundary and followed by "...".
std::string storedWindowText(std::string text);

} // namespace glimmo
