#pragma once

#include <memory>
#include <optional>
#include <string>

namespace glimmo {

// The general pasteboard (clipboard), plain text only.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    static Pasteboard& shared();
    static void setShared(std::shared_ptr<Pasteboard> pasteboard);

    virtual void clearContents() = 0;
    virtual void setString(const std::string& text) = 0;
    virtual std::optional<std::string> string() const = 0;
};

} // namespace glimmo
