#pragma once

#include "platform/desktop/Alert.h"

#include <deque>

namespace glimmo {

// Answers alerts from a script instead of asking a person.
class FakeAlertPresenter : public AlertPresenter {
public:
    // The next alerts are answered with these button indexes, in order.
    void enqueueAnswer(int buttonIndex);
    // The answer once the script is used up (default 0, the first button).
    void setDefaultAnswer(int buttonIndex);
    const std::vector<AlertSpec>& shownAlerts() const;

    int runModal(const AlertSpec& alert) override;

private:
    std::deque<int> answers_;
    int defaultAnswer_ = 0;
    std::vector<AlertSpec> shown_;
};

} // namespace glimmo
