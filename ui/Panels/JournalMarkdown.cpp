#include "ui/Panels/JournalMarkdown.h"

namespace glimmo {

// The Markdown view is not part of the build yet; until it is, the journal shows as plain text.
AnyView journalMarkdown(const std::string& text) {
    return Text::verbatim(text);
}

} // namespace glimmo
