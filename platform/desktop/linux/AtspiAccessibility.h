#pragma once

#include "platform/desktop/Accessibility.h"

namespace glimmo {

// Accessibility through AT-SPI 2 on the session's accessibility bus. Applications are matched by
// process id. Every read is a D-Bus call that gives up after readTimeoutMilliseconds; all reads
// are serialised, so elements may be read from one background thread while the main thread asks
// for windows.
class AtspiAccessibility : public Accessibility {
public:
    static constexpr int readTimeoutMilliseconds = 1000;

    AtspiAccessibility();
    ~AtspiAccessibility() override;

    // Trusted when the accessibility bus is reachable and enabled. With prompt, an accessibility
    // bus that is off is turned on (org.a11y.Status.IsEnabled) where the desktop allows it; when
    // that is not possible the log says how to turn it on.
    bool isProcessTrusted(bool prompt) override;
    std::shared_ptr<AccessibilityElement> firstWindowOfApplication(int processIdentifier) override;
    std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) override;
};

} // namespace glimmo
