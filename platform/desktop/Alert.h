#pragma once

#include <memory>
#include <string>
#include <vector>

namespace glimmo {

enum class AlertStyle { informational, warning, critical };

struct AlertSpec {
    AlertStyle style = AlertStyle::informational;
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons; // first is the default button

    bool operator==(const AlertSpec&) const = default;
};

class AlertPresenter {
public:
    virtual ~AlertPresenter() = default;

    static AlertPresenter& shared();
    static void setShared(std::shared_ptr<AlertPresenter> presenter);

    // Shows the alert modally on the main thread, in front of the application's window that has the
    // focus and with the keyboard on its default button; the index of the chosen button.
    virtual int runModal(const AlertSpec& alert) = 0;
};

} // namespace glimmo
