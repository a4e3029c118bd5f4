#pragma once

// Stand-ins that say plainly which view is missing, so the windows still open and never pretend.

#include "platform/view/View.h"

#include <string>

namespace glimmo {

// The application's name above `notice`, padded.
AnyView notBuiltYetView(const std::string& notice);

inline constexpr const char* contentViewNotBuiltNotice = "The main window's view is not built yet.";
inline constexpr const char* preferencesViewNotBuiltNotice = "The preferences view is not built yet.";

} // namespace glimmo
