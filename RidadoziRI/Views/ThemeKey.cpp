#include "RidadoziRI/Views/MarkdownEnvironment.h"

namespace ridadozi {

// Kept apart so that code reading other keys does not pull in the built-in themes.
ThemeKey::Value ThemeKey::defaultValue() { return Theme::standard(); }

} // namespace ridadozi
