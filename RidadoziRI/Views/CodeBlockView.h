#pragma once

// A code block: its text through the environment's syntax highlighter, in the text style's font and
// colour, handed to the theme's code block style.

#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <memory>
#include <optional>
#include <string>

namespace ridadozi {

struct CodeBlockView {
    glimmo::Environment<BlockStyle<CodeBlockConfiguration>> _codeBlock = themeMember(&Theme::codeBlock);
    glimmo::Environment<std::shared_ptr<const CodeSyntaxHighlighter>> _codeSyntaxHighlighter =
        environmentValue<CodeSyntaxHighlighterKey>();
    std::optional<std::string> fenceInfo;
    std::string content;

    // Keeps the info string whole; the code loses one final line feed.
    CodeBlockView(std::optional<std::string> fenceInfo, std::string content);
    glimmo::AnyView body() const;
};

} // namespace ridadozi
