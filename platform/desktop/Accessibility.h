#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace glimmo {

// One node of an application's accessibility tree. Role names are the ones the analysis knows:
// "AXWindow", "AXStaticText", "AXTextField", "AXButton", "AXGroup"...
// Each read is a blocking call bounded by a short time-out; a read that fails or times out gives
// nullopt (or no children). Elements may be read from one background thread.
class AccessibilityElement {
public:
    virtual ~AccessibilityElement() = default;

    virtual std::optional<std::string> role() const = 0;
    virtual std::optional<std::string> title() const = 0;
    // Text, or a number written as text.
    virtual std::optional<std::string> value() const = 0;
    virtual std::optional<std::string> elementDescription() const = 0;
    virtual std::optional<std::string> help() const = 0;
    virtual std::vector<std::shared_ptr<AccessibilityElement>> children(std::size_t max = 1000) const = 0;
};

class Accessibility {
public:
    virtual ~Accessibility() = default;

    static Accessibility& shared();
    static void setShared(std::shared_ptr<Accessibility> accessibility);

    // Whether we may read other applications' trees. With prompt, tries to turn accessibility on
    // where the desktop allows it, and otherwise tells the user how.
    virtual bool isProcessTrusted(bool prompt) = 0;

    // nullptr when the application has no window or cannot be found.
    virtual std::shared_ptr<AccessibilityElement> firstWindowOfApplication(int processIdentifier) = 0;
    virtual std::shared_ptr<AccessibilityElement> applicationElement(int processIdentifier) = 0;
};

} // namespace glimmo
