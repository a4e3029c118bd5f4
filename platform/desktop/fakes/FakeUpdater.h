#pragma once

#include "platform/desktop/Updater.h"

namespace glimmo {

// Counts what the application asks of the updater.
class FakeUpdater : public Updater {
public:
    void startUpdater() override { ++starts_; }
    void checkForUpdates() override { ++checks_; }

    int startCount() const { return starts_; }
    int checkCount() const { return checks_; }

private:
    int starts_ = 0;
    int checks_ = 0;
};

} // namespace glimmo
