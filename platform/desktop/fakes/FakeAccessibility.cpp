#include "platform/desktop/fakes/FakeAccessibility.h"

#include <algorithm>

namespace glimmo {
namespace {

class FakeAccessibilityElement : public AccessibilityElement {
public:
    explicit FakeAccessibilityElement(std::shared_ptr<const FakeElement> element) : element_(std::move(element)) {}

    std::optional<std::string> role() const override { return element_->role; }
    std::optional<std::string> title() const override { return element_->title; }
    std::optional<std::string> value() const override { return element_->value; }
    std::optional<std::string> elementDescription() const override { return element_->elementDescription; }
    std::optional<std::string> help() const override { return element_->help; }

    std::vector<std::shared_ptr<AccessibilityElement>> children(std::size_t max) const override {
        std::vector<std::shared_ptr<AccessibilityElement>> result;
        const std::size_t count = std::min(max, element_->children.size());
        result.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            // The child shares ownership of the whole tree so it outlives this element.
            result.push_back(std::make_shared<FakeAccessibilityElement>(
                std::shared_ptr<const FakeElement>(element_, &element_->children[i])));
        }
        return result;
    }

private:
    std::shared_ptr<const FakeElement> element_;
};

} // namespace

void FakeAccessibility::setTrusted(bool trusted) {
    const std::lock_guard lock(mutex_);
    trusted_ = trusted;
}

void FakeAccessibility::setGrantsTrustOnPrompt(bool grants) {
    const std::lock_guard lock(mutex_);
    grantsOnPrompt_ = grants;
}

void FakeAccessibility::setWindows(int processIdentifier, std::vector<FakeElement> windows) {
    const std::lock_guard lock(mutex_);
    windows_[processIdentifier] = std::move(windows);
}

void FakeAccessibility::removeApplication(int processIdentifier) {
    const std::lock_guard lock(mutex_);
    windows_.erase(processIdentifier);
}

int FakeAccessibility::promptCount() const {
    const std::lock_guard lock(mutex_);
    return prompts_;
}

int FakeAccessibility::trustCheckCount() const {
    const std::lock_guard lock(mutex_);
    return checks_;
}

bool FakeAccessibility::isProcessTrusted(bool prompt) {
    const std::lock_guard lock(mutex_);
    ++checks_;
    if (prompt && !trusted_) {
        ++prompts_;
        if (grantsOnPrompt_) trusted_ = true;
    }
    return trusted_;
}

std::shared_ptr<AccessibilityElement> FakeAccessibility::firstWindowOfApplication(int processIdentifier) {
    const std::lock_guard lock(mutex_);
    const auto found = windows_.find(processIdentifier);
    if (found == windows_.end() || found->second.empty()) return nullptr;
    return makeElement(found->second.front());
}

std::shared_ptr<AccessibilityElement> FakeAccessibility::applicationElement(int processIdentifier) {
    const std::lock_guard lock(mutex_);
    const auto found = windows_.find(processIdentifier);
    if (found == windows_.end()) return nullptr;
    FakeElement application;
    application.role = "AXApplication";
    application.children = found->second;
    return makeElement(std::move(application));
}

std::shared_ptr<AccessibilityElement> FakeAccessibility::makeElement(FakeElement element) {
    return std::make_shared<FakeAccessibilityElement>(std::make_shared<const FakeElement>(std::move(element)));
}

} // namespace glimmo
