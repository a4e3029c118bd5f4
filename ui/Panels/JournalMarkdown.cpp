#include "ui/Panels/JournalMarkdown.h"

#include "RidadoziRI/Views/Markdown.h"

namespace glimmo {

// The renderer's default theme; no base addresses.
AnyView journalMarkdown(const std::string& text) {
    return AnyView(ridadozi::Markdown(text));
}

} // namespace glimmo
