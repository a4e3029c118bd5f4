#pragma once

#include "platform/view/ViewKit.h"

#include <string>

namespace glimmo {

// The journal text as the journal view renders it.
AnyView journalMarkdown(const std::string& text);

} // namespace glimmo
