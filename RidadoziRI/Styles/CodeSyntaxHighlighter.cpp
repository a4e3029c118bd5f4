#include "RidadoziRI/Styles/CodeSyntaxHighlighter.h"

namespace ridadozi {

glimmo::Text PlainTextCodeSyntaxHighlighter::highlightedText(const std::string& code,
                                                             const std::optional<std::string>& /*language*/) const {
    return glimmo::Text::verbatim(code);
}

} // namespace ridadozi
