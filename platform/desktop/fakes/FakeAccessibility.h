#pragma once

#include "platform/desktop/Accessibility.h"

#include <map>
#include <mutex>

namespace glimmo {

// A plain value describing one element of a fake accessibility tree.
struct FakeElement {
    std::optional<std::string> role;
    std::optional<std::string> title;
    std::optional<std::string> value;
    std::optional<std::string> elementDescription;
    std::optional<std::string> help;
    std::vector<FakeElement> children;
};

// A scriptable accessibility service for tests: trust, and a tree of windows per process id.
// Safe to read from a background thread while the test thread only reads counts.
class FakeAccessibility : public Accessibility {
public:
    void setTrusted(bool trusted);
    // When set, a check with the prompt option makes the process trusted (the user agreed).
    void setGrantsTrustOnPrompt(bool grants);
    void setWindows(int processIdentifier, std::vector<FakeElement> windows);
    void removeApplication(int processIdentifier);

    int promptCount() const;
    int trustCheckCount() const;

    bool isProcessTrusted(bool prompt) override;
    std::shared_ptr<AccessibilityElement> firstWindowOfApplication(int processIdentifier) override;
    std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) override;

    // An element reading the given value, for tests that need one without an application.
    static std::shared_ptr<AccessibilityElement> makeElement(FakeElement element);

private:
    mutable std::mutex mutex_;
    bool trusted_ = false;
    bool grantsOnPrompt_ = false;
    int prompts_ = 0;
    int checks_ = 0;
    std::map<int, std::vector<FakeElement>> windows_;
};

} // namespace glimmo
