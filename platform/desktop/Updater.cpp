#include "platform/desktop/Updater.h"

#include "platform/desktop/Alert.h"

namespace glimmo {

StandardUpdaterController::StandardUpdaterController(bool startingUpdater) {
    if (startingUpdater) startUpdater();
}

void StandardUpdaterController::startUpdater() { started_ = true; }

void StandardUpdaterController::checkForUpdates() {
    // Installed packages are updated by the distribution; we never download or install anything.
    AlertSpec alert;
    alert.style = AlertStyle::informational;
    alert.messageText = "Check for Updates";
    alert.informativeText = "Updates for this application are managed by your package manager.";
    alert.buttons = {"OK"};
    AlertPresenter::shared().runModal(alert);
}

} // namespace glimmo
