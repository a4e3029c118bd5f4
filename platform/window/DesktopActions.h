#pragma once

// What the window layer gives every view tree it hosts: tapping a link opens it with the desktop,
// and "Copy" of selected text writes the clipboard.

#include "platform/view/Text.h"

namespace glimmo {

// Opens the links that the desktop may open (reasonNotToOpen in URLPolicy.h: web links with a host,
// mail links without hidden headers) with the shared Workspace. Anything else a document may link to
// (a file, a script, a relative address, an attachment) stays inside the application, with a log line
// that says why, as does every link while no Workspace is installed.
OpenURLAction desktopOpenURLAction();

// Writes the text to the shared Pasteboard, when one is installed.
PasteboardWriterKey::Value desktopPasteboardWriter();

// `root` with both in its environment; views inside may still set their own.
AnyView withDesktopActions(AnyView root);

} // namespace glimmo
