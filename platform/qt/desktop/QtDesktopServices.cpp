#include "platform/qt/desktop/QtDesktopServices.h"

#include "platform/qt/desktop/QtAlertPresenter.h"
#include "platform/qt/desktop/QtPasteboard.h"

#include <memory>

namespace glimmo {

void installQtDesktopServices() {
    AlertPresenter::setShared(std::make_shared<QtAlertPresenter>());
    Pasteboard::setShared(std::make_shared<QtPasteboard>());
}

} // namespace glimmo
