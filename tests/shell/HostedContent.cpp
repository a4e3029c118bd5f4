#include "HostedContent.h"

#include "platform/view/InputEvents.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/ViewHost.h"

namespace glimmo::testing {

HostedContent::HostedContent(AnyView content)
    : host_(std::make_unique<ViewHost>(std::move(content), std::make_shared<FixedAdvanceTextMeasurer>())) {
    host_->setSize({400, 300});
    host_->update();
}

HostedContent::~HostedContent() = default;

std::vector<std::string> HostedContent::labels() {
    std::vector<std::string> result;
    for (const auto& element : host_->accessibilityElements()) result.push_back(element.label);
    return result;
}

bool HostedContent::click(const std::string& label) {
    for (const auto& element : host_->accessibilityElements()) {
        if (element.label != label) continue;
        const CGPoint middle{element.frame.midX(), element.frame.midY()};
        host_->handlePointer(PointerEvent{.kind = PointerEvent::Kind::pressed, .location = middle});
        host_->handlePointer(PointerEvent{.kind = PointerEvent::Kind::released, .location = middle});
        host_->update();
        return true;
    }
    return false;
}

} // namespace glimmo::testing
