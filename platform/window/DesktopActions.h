#pragma once

// What the window layer gives every view tree it hosts: tapping a link opens it with the desktop,
// and "Copy" of selected text writes the clipboard.

#include "platform/view/Text.h"

namespace glimmo {

// Opens http, https and mailto links with the shared Workspace. Anything else a document may link
// to (a file, a script, a relative address) stays inside the application, as does every link while
// no Workspace is installed.
OpenURLAction desktopOpenURLAction();

// Writes the text to the shared Pasteboard, when one is installed.
PasteboardWriterKey::Value desktopPasteboardWriter();

// `root` with both in its environment; views inside may still set their own.
AnyView withDesktopActions(AnyView root);

} // namespace glimmo
