#pragma once

// The "hideDockIcon" choice. The desktop has no dock: the application always runs from its tray
// item, so the rule only records which activation policy the choice stands for.

namespace glimmo {

enum class ActivationPolicy { regular, accessory };

// Hiding the icon is the accessory policy (no dock icon), showing it the regular one.
void applyDockIconRule(bool hideDockIcon);
ActivationPolicy currentActivationPolicy();

} // namespace glimmo
