#pragma once

// A scene's content brought on screen as its window does (appearance actions run), without Qt.
// Kept in a file of its own: the kit's host header and the application's headers cannot share one
// translation unit (both declare an AccessibilityElement).

#include "platform/view/View.h"

#include <memory>
#include <string>
#include <vector>

namespace glimmo {
class ViewHost;
}

namespace glimmo::testing {

class HostedContent {
public:
    explicit HostedContent(AnyView content);
    ~HostedContent();
    HostedContent(const HostedContent&) = delete;
    HostedContent& operator=(const HostedContent&) = delete;

    // The labels of the laid-out views, in tree order.
    std::vector<std::string> labels();
    // Clicks the middle of the view labelled `label`; false when there is none.
    bool click(const std::string& label);

private:
    std::unique_ptr<ViewHost> host_;
};

} // namespace glimmo::testing
