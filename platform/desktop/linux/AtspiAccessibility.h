#pragma once

#include "platform/desktop/Accessibility.h"

namespace glimmo {

// Accessibility through the AT-SPI 2 D-Bus interfaces on the session's accessibility bus, spoken
// directly with GDBus (thread-safe, and it never dispatches other messages while waiting for a
// reply, which libatspi does and can deadlock on without its main loop). Applications are matched
// by process id. Every read is one D-Bus call that gives up after the read time-out, so
// elements may be read from a background thread while the main thread asks for windows.
class AtspiAccessibility : public Accessibility {
public:
    static constexpr int defaultReadTimeoutMilliseconds = 1000;

    explicit AtspiAccessibility(int readTimeoutMilliseconds = defaultReadTimeoutMilliseconds);
    ~AtspiAccessibility() override;
    AtspiAccessibility(const AtspiAccessibility&) = delete;
    AtspiAccessibility& operator=(const AtspiAccessibility&) = delete;

    // Trusted when the accessibility bus is reachable and enabled. With prompt, an accessibility
    // bus that is off is turned on (org.a11y.Status.IsEnabled) where the desktop allows it; when
    // that is not possible the log says how to turn it on.
    bool isProcessTrusted(bool prompt) override;
    std::shared_ptr<AccessibilityElement> firstWindowOfApplication(int processIdentifier) override;
    std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace glimmo
