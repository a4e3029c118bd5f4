#pragma once

#include "platform/view/Text.h"

#include <optional>
#include <string>

namespace ridadozi {

// Turns the code of a code block into styled text; the language comes from the fence information.
class CodeSyntaxHighlighter {
public:
    virtual ~CodeSyntaxHighlighter() = default;
    virtual glimmo::Text highlightedText(const std::string& code, const std::optional<std::string>& language) const = 0;
};

// The code unchanged, whatever the language.
class PlainTextCodeSyntaxHighlighter final : public CodeSyntaxHighlighter {
public:
    glimmo::Text highlightedText(const std::string& code, const std::optional<std::string>& language) const override;
};

} // namespace ridadozi
