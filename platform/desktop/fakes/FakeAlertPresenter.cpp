#include "platform/desktop/fakes/FakeAlertPresenter.h"

namespace glimmo {

void FakeAlertPresenter::enqueueAnswer(int buttonIndex) { answers_.push_back(buttonIndex); }
void FakeAlertPresenter::setDefaultAnswer(int buttonIndex) { defaultAnswer_ = buttonIndex; }
const std::vector<AlertSpec>& FakeAlertPresenter::shownAlerts() const { return shown_; }

int FakeAlertPresenter::runModal(const AlertSpec& alert) {
    shown_.push_back(alert);
    if (answers_.empty()) return defaultAnswer_;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace glimmo
