#pragma once

namespace glimmo {

// Installs the Qt alert presenter and pasteboard as the shared AlertPresenter and Pasteboard.
// Call once the QApplication exists.
void installQtDesktopServices();

} // namespace glimmo
