#pragma once

// The styling interface of earlier versions, kept so that code written against it still compiles.
// The renderer reads none of it: styling goes through the theme.

#include "platform/view/Color.h"
#include "platform/view/Geometry.h"

#include <cstddef>
#include <functional>

namespace ridadozi {

struct MarkdownStyle {
    struct Font {
        bool operator==(const Font&) const { return true; }
    };
    struct HeadingScales {
        bool operator==(const HeadingScales&) const { return true; }
    };
    struct Measurements {
        glimmo::CGFloat codeFontScale;
        glimmo::CGFloat headIndentStep;
        glimmo::CGFloat tailIndentStep;
        glimmo::CGFloat paragraphSpacing;
        glimmo::CGFloat listMarkerSpacing;
        HeadingScales headingScales;
        glimmo::CGFloat headingSpacing;

        // The heading scales take no part.
        bool operator==(const Measurements& o) const;
        std::size_t hashValue() const;
    };

    Font font;
    glimmo::Color foregroundColor;
    Measurements measurements;

    // The font takes no part.
    bool operator==(const MarkdownStyle& o) const;
    std::size_t hashValue() const;
};

struct MarkdownImageHandler {};

} // namespace ridadozi

template <>
struct std::hash<ridadozi::MarkdownStyle::Font> {
    std::size_t operator()(const ridadozi::MarkdownStyle::Font&) const { return 0; }
};
template <>
struct std::hash<ridadozi::MarkdownStyle::HeadingScales> {
    std::size_t operator()(const ridadozi::MarkdownStyle::HeadingScales&) const { return 0; }
};
template <>
struct std::hash<ridadozi::MarkdownStyle::Measurements> {
    std::size_t operator()(const ridadozi::MarkdownStyle::Measurements& m) const { return m.hashValue(); }
};
template <>
struct std::hash<ridadozi::MarkdownStyle> {
    std::size_t operator()(const ridadozi::MarkdownStyle& s) const { return s.hashValue(); }
};
