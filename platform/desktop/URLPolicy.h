#pragma once

#include <string>
#include <string_view>

namespace glimmo {

// The link that Workspace::notificationSettingsURL() gives; openURL() opens the desktop's
// notification settings for it.
inline constexpr std::string_view notificationSettingsLink = "settings://notifications";

// True for http, https and mailto links (scheme in any letter case) without control characters:
// the only links we hand to the desktop's default handler.
bool isOpenableWebURL(std::string_view url);

} // namespace glimmo
