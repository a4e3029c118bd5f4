#pragma once

#include "platform/desktop/Pasteboard.h"

namespace glimmo {

// An in-memory pasteboard for tests.
class FakePasteboard : public Pasteboard {
public:
    void clearContents() override { contents_.reset(); ++clears_; }
    void setString(const std::string& text) override { contents_ = text; }
    std::optional<std::string> string() const override { return contents_; }

    int clearCount() const { return clears_; }

private:
    std::optional<std::string> contents_;
    int clears_ = 0;
};

} // namespace glimmo
