#pragma once

#include "platform/desktop/Pasteboard.h"

namespace glimmo {

// The desktop clipboard through Qt. Needs a QGuiApplication; use on the main thread.
class QtPasteboard : public Pasteboard {
public:
    void clearContents() override;
    void setString(const std::string& text) override;
    std::optional<std::string> string() const override;
};

} // namespace glimmo
