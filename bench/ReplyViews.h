#pragma once

// The views that show a reply, as the main-loop and frame benchmarks make them. Each function sets up
// what its view shows and answers what makes the view, so that a benchmark times the making.

#include "platform/view/View.h"

#include <functional>
#include <memory>
#include <string>

namespace glimmo {

class UnifiedActivityService;

namespace bench {

// The journal's view as the journal layout places it, in a scroll view, showing `reply` from the
// journal cache, where it is saved for today first.
std::function<AnyView()> journalShowing(const std::string& reply, const std::shared_ptr<UnifiedActivityService>& service);

// The chat page with a question and `reply` as the assistant's answer.
std::function<AnyView()> chatShowing(const std::string& reply, const std::shared_ptr<UnifiedActivityService>& service);

} // namespace bench
} // namespace glimmo
