#include "HostedContent.h"

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

} // namespace glimmo::testing
