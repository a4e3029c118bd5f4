#pragma once

#include <memory>

namespace glimmo {

class Updater {
public:
    virtual ~Updater() = default;

    static Updater& shared();
    static void setShared(std::shared_ptr<Updater> updater);

    virtual void startUpdater() = 0;
    // A check started by the user.
    virtual void checkForUpdates() = 0;
};

// The application's updater. Linux packages are updated by the package manager, so with no
// update feed a check only tells the user so (through AlertPresenter::shared()); it never
// downloads or installs anything.
class StandardUpdaterController : public Updater {
public:
    explicit StandardUpdaterController(bool startingUpdater = true);

    void startUpdater() override;
    void checkForUpdates() override;

    bool isStarted() const { return started_; }

private:
    bool started_ = false;
};

} // namespace glimmo
