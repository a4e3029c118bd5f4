#include "RidadoziRI/Styles/Colors.h"
#include "RidadoziRI/Styles/Theme.h"

namespace ridadozi {

namespace {

// A light and dark pair of constants, made once.
glimmo::Color pair(std::uint32_t light, std::uint32_t dark) {
    return adaptiveColor([light] { return rgbaColor(light); }, [dark] { return rgbaColor(dark); });
}

} // namespace

#define RIDADOZI_THEME_COLOR(owner, name, value) \
    const glimmo::Color& Theme::owner::name() {  \
        static const glimmo::Color color = value; \
        return color;                             \
    }

RIDADOZI_THEME_COLOR(Cards, textColor, pair(0x1D1D1FFF, 0xF5F5F7FF))
RIDADOZI_THEME_COLOR(Cards, linkColor, pair(0x0066CCFF, 0x2997FFFF))
RIDADOZI_THEME_COLOR(Cards, quoteBackgroundColor, pair(0xF5F5F7FF, 0x323232FF))
RIDADOZI_THEME_COLOR(Cards, quoteBorderColor, pair(0x696969FF, 0x9A9A9EFF))
RIDADOZI_THEME_COLOR(Cards, codeBackgroundColor, pair(0xF5F5F7FF, 0x333336FF))
RIDADOZI_THEME_COLOR(Cards, separatorColor, pair(0xD2D2D7FF, 0x424245FF))

RIDADOZI_THEME_COLOR(Ruled, textColor, pair(0x060606FF, 0xFBFBFCFF))
RIDADOZI_THEME_COLOR(Ruled, secondaryTextColor, pair(0x6B6E7BFF, 0x9294A0FF))
RIDADOZI_THEME_COLOR(Ruled, tertiaryTextColor, pair(0x6B6E7BFF, 0x6D707DFF))
RIDADOZI_THEME_COLOR(Ruled, backgroundColor,
                     adaptiveColor([] { return glimmo::Color::white(); }, [] { return rgbaColor(0x18191DFF); }))
RIDADOZI_THEME_COLOR(Ruled, secondaryBackgroundColor, pair(0xF7F7F9FF, 0x25262AFF))
RIDADOZI_THEME_COLOR(Ruled, linkColor, pair(0x2C65CFFF, 0x4C8EF8FF))
RIDADOZI_THEME_COLOR(Ruled, borderColor, pair(0xE4E4E8FF, 0x42444EFF))
RIDADOZI_THEME_COLOR(Ruled, dividerColor, pair(0xD0D0D3FF, 0x333438FF))
RIDADOZI_THEME_COLOR(Ruled, checkboxColor, rgbaColor(0xB9B9BBFF))
RIDADOZI_THEME_COLOR(Ruled, checkboxBackgroundColor, rgbaColor(0xEEEEEFFF))

#undef RIDADOZI_THEME_COLOR

} // namespace ridadozi
