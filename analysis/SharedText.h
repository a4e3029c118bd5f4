#pragma once

// A text that is shared, never copied: a journal runs to megabytes and goes from the reply through the
// cache, the model, the layout's copy and the view on the main loop, where each copy would hold it. It
// never changes once made, so any thread may read it.

#include <concepts>
#include <memory>
#include <string>
#include <utility>

namespace glimmo {

class SharedText {
public:
    SharedText() : text_(emptyText()) {}
    SharedText(std::string text) : text_(std::make_shared<const std::string>(std::move(text))) {} // NOLINT: a text is one
    SharedText(const char* text) : SharedText(std::string(text)) {}                                 // NOLINT

    const std::string& operator*() const { return *text_; }
    const std::string* operator->() const { return text_.get(); }

    // The same text, not merely an equal one: told at once however long the text, never by reading it
    // (a view told a reply from another this way, on the main loop). Every empty text made with no
    // argument is the same one. Compare *a == *b for equal contents.
    bool operator==(const SharedText& other) const { return text_ == other.text_; }
    // A plain string would become a text of its own and so never be the same one: such a comparison
    // does not compile, rather than always being false.
    template <class Other>
        requires(!std::same_as<Other, SharedText> && std::convertible_to<const Other&, SharedText>)
    bool operator==(const Other&) const = delete;

private:
    static const std::shared_ptr<const std::string>& emptyText() {
        static const auto text = std::make_shared<const std::string>();
        return text;
    }

    std::shared_ptr<const std::string> text_;
};

} // namespace glimmo
