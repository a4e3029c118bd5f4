#pragma once

// The renderer's configuration, passed down the view tree as environment values. Nothing in the
// application writes them, so these defaults are what it renders with.

#include "RidadoziRI/Content/InlineContent.h"
#include "RidadoziRI/Styles/CodeSyntaxHighlighter.h"
#include "RidadoziRI/Styles/ImageProviders.h"
#include "RidadoziRI/Styles/TableStyles.h"
#include "RidadoziRI/Styles/TextStyle.h"
#include "RidadoziRI/Styles/Theme.h"
#include "platform/foundation/URL.h"
#include "platform/view/Environment.h"
#include "platform/view/State.h"

#include <memory>
#include <optional>

namespace ridadozi {

// Links resolve against it.
struct BaseURLKey {
    using Value = std::optional<glimmo::URL>;
    static Value defaultValue() { return std::nullopt; }
};

// Image sources resolve against it.
struct ImageBaseURLKey {
    using Value = std::optional<glimmo::URL>;
    static Value defaultValue() { return std::nullopt; }
};

// The current text style; grows by pairing as views further in append styles.
struct TextStyleKey {
    using Value = AnyTextStyle;
    // System font, regular, 13 points, scale 1.
    static Value defaultValue();
};

struct ThemeKey {
    using Value = Theme;
    // A copy of the standard theme.
    static Value defaultValue();
};

struct SoftBreakModeKey {
    using Value = SoftBreak::Mode;
    static Value defaultValue() { return SoftBreak::Mode::space; }
};

// Set by a list for everything inside it: its items (and their blocks) are spaced tight.
struct TightSpacingEnabledKey {
    using Value = bool;
    static Value defaultValue() { return false; }
};

// How deep in lists a view sits: 0 outside any list, 1 for the items of a top-level list.
struct ListLevelKey {
    using Value = int;
    static Value defaultValue() { return 0; }
};

struct ImageProviderKey {
    using Value = AnyImageProvider;
    static Value defaultValue();
};

struct InlineImageProviderKey {
    using Value = std::shared_ptr<const InlineImageProvider>;
    static Value defaultValue();
};

struct CodeSyntaxHighlighterKey {
    using Value = std::shared_ptr<const CodeSyntaxHighlighter>;
    static Value defaultValue();
};

// All borders, in the secondary colour, 1 point wide.
struct TableBorderStyleKey {
    using Value = TableBorderStyle;
    static Value defaultValue();
};

// Every cell clear.
struct TableBackgroundStyleKey {
    using Value = TableBackgroundStyle;
    static Value defaultValue() { return TableBackgroundStyle::clear(); }
};

// A view's reader of one member of the environment's theme.
template <class Member>
glimmo::Environment<Member> themeMember(Member Theme::*member) {
    return glimmo::Environment<Member>::sharing([member](const glimmo::EnvironmentValues& e) {
        const auto theme = e.shared<ThemeKey>();
        return std::shared_ptr<const Member>(theme, &((*theme).*member));
    });
}

template <glimmo::EnvironmentKey K>
glimmo::Environment<typename K::Value> environmentValue() {
    return glimmo::Environment<typename K::Value>::template key<K>();
}

} // namespace ridadozi
