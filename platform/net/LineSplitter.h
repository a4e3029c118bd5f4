#pragma once

// Cuts a byte stream, given a piece at a time, into lines at LF, dropping a CR before it. Lines are
// views into the pieces: no allocation per line, only for a line that spans pieces.

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

class LineSplitter {
public:
    explicit LineSplitter(std::size_t maxLineBytes = std::numeric_limits<std::size_t>::max())
        : maxLineBytes_(maxLineBytes) {}

    // The next piece of the stream. Lines handed out before are no longer valid.
    void append(std::string piece);
    // The next line that the pieces so far complete, valid until the next call; nullopt when more is
    // needed. Throws HttpError(tooLarge) for a line longer than the limit (with its CR, without its LF).
    std::optional<std::string_view> next();
    // At the end of the stream: the unterminated last line, if any text is left (once).
    std::optional<std::string_view> rest();

    std::size_t maxLineBytes() const { return maxLineBytes_; }

private:
    void keepUnfinished(std::string_view text);

    std::size_t maxLineBytes_;
    std::string piece_;
    std::size_t position_ = 0;  // where the next line starts in piece_
    std::string partial_;       // the start of a line that earlier pieces did not finish
    std::string joined_;        // a line made of several pieces, as last handed out
};

}  // namespace glimmo
