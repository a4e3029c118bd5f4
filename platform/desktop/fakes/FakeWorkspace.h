#pragma once

#include "platform/desktop/Workspace.h"

#include <memory>

namespace glimmo {

// A scriptable workspace for tests. Observers are called through RunLoop::main().post, as the
// real one does.
class FakeWorkspace : public Workspace {
public:
    FakeWorkspace();
    ~FakeWorkspace() override;

    void setFrontmost(std::optional<RunningApplication> app);
    // Makes app the frontmost application and notifies the observers.
    void activate(const RunningApplication& app);
    void setRunningApplications(std::vector<RunningApplication> apps);
    // The result openURL() gives for links it accepts (default true).
    void setOpenURLSucceeds(bool succeeds);
    // Every link that openURL() accepted, in order.
    const std::vector<std::string>& openedURLs() const;

    std::optional<RunningApplication> frontmostApplication() const override;
    [[nodiscard]] Subscription observeDidActivateApplication(
        std::function<void(const RunningApplication&)> observer) override;
    std::vector<RunningApplication> runningApplications() const override;
    bool openURL(const std::string& url) override;
    std::string notificationSettingsURL() const override;

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace glimmo
