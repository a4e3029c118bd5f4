#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// The link that Workspace::notificationSettingsURL() gives; openURL() opens the desktop's
// notification settings for it.
inline constexpr std::string_view notificationSettingsLink = "settings://notifications";

// Why the desktop's default handler must not be given `url`, in a few words; nullopt when it may.
// It may be given a well-formed http or https link with a host, and a mail link whose headers are at
// most subject, body, cc and to: a link in a written text must not attach a file or add a hidden
// recipient behind the user's back.
std::optional<std::string> reasonNotToOpen(std::string_view url);

// reasonNotToOpen(url) is nullopt.
bool isOpenableWebURL(std::string_view url);

// Whether the desktop may open `url`; when not, one log line says why.
bool mayOpenWithDesktop(std::string_view url);

} // namespace glimmo
