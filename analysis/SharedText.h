#pragma once

// A text that is shared, never copied: a journal runs to megabytes and goes from the reply through the
// cache, the model, the layout's copy and the view on the main loop, where each copy would hold it. It
// never changes once made, so any thread may read it.

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

private:
    static const std::shared_ptr<const std::string>& emptyText() {
        static const auto text = std::make_shared<const std::string>();
        return text;
    }

    std::shared_ptr<const std::string> text_;
};

} // namespace glimmo
