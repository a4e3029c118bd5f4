#pragma once

// The root of the renderer: a parsed Markdown document and its base URLs, laid out with the theme and
// text style of the environment.

#include "RidadoziRI/Content/MarkdownContent.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"

#include <functional>
#include <optional>
#include <string_view>

namespace ridadozi {

struct Markdown {
    glimmo::Environment<glimmo::ColorScheme> _colorScheme = glimmo::Environment<glimmo::ColorScheme>::key<glimmo::ColorSchemeKey>();
    glimmo::Environment<AnyTextStyle> _text = themeMember(&Theme::text);
    MarkdownContent content;
    std::optional<glimmo::URL> baseURL;
    // The base URL when none was given.
    std::optional<glimmo::URL> imageBaseURL;

    // Parses `markdown`; text that gives no document shows nothing.
    explicit Markdown(std::string_view markdown, std::optional<glimmo::URL> baseURL = std::nullopt,
                      std::optional<glimmo::URL> imageBaseURL = std::nullopt);
    explicit Markdown(MarkdownContent content, std::optional<glimmo::URL> baseURL = std::nullopt,
                      std::optional<glimmo::URL> imageBaseURL = std::nullopt);
    // Calls `build` once.
    Markdown(std::optional<glimmo::URL> baseURL, std::optional<glimmo::URL> imageBaseURL,
             const std::function<MarkdownContent()>& build);

    glimmo::AnyView body() const;
};

} // namespace ridadozi
