#pragma once

// The "hideDockIcon" choice. The desktop has no dock: the application always runs from its tray
// item, so the rule only records which activation policy the choice stands for.

namespace glimmo {

enum class ActivationPolicy { regular, accessory };

inline constexpr const char* hideDockIconKey = "hideDockIcon";
// The application lives in the menu bar, so without a stored choice its dock icon is hidden.
inline constexpr bool hideDockIconByDefault = true;

// Hiding the icon is the accessory policy (no dock icon), showing it the regular one.
void applyDockIconRule(bool hideDockIcon);
ActivationPolicy currentActivationPolicy();

} // namespace glimmo
