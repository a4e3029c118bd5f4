#pragma once

#include <string>

namespace glimmo {

// The role name the analysis knows ("AXWindow", "AXStaticText"...) for an AtspiRole value.
// Multi-line text objects are text areas. Roles without a counterpart are "AXUnknown".
std::string axRoleForAtspiRole(int atspiRole, bool multiLine);

// Roles whose value is their text (labels, text fields, documents...).
bool atspiRoleHasTextValue(int atspiRole);
// Roles shown as text whose accessible name is that text rather than a title.
bool atspiRoleNameIsText(int atspiRole);

} // namespace glimmo
