#pragma once

#include "platform/desktop/Alert.h"

namespace glimmo {

// Alerts as Qt message boxes, run modally on the main (GUI) thread. Needs a QApplication.
// An alert without buttons gets "OK"; closing the box without choosing (Escape, the window's
// close button) chooses the last button, never the first, so dismissing never confirms.
class QtAlertPresenter : public AlertPresenter {
public:
    int runModal(const AlertSpec& alert) override;
};

} // namespace glimmo
