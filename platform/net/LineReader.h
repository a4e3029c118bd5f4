#pragma once

#include "platform/net/LineSplitter.h"
#include "platform/runtime/AsyncThrowingStream.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace glimmo {

// The lines of a streamed body, read by one consumer task. The transfer hands over the body a piece
// at a time, as it arrives; the lines are cut here, on the consumer's side, as views into those
// pieces: no lock and no allocation per line. Dropping the reader stops the transfer.
class LineReader {
public:
    LineReader(AsyncThrowingStream<std::string> body, std::size_t maxLineBytes, std::string url);

    // The next line without its terminator (LF or CRLF), valid until the next call; nullopt at the
    // end. Throws the transfer's error, HttpError(tooLarge) for a line longer than the limit (with its
    // CR, without its LF; the transfer stops), and CancellationError when the consumer's task is
    // cancelled.
    Task<std::optional<std::string_view>> next();

private:
    std::optional<std::string_view> cutLine();

    std::optional<AsyncThrowingStream<std::string>> body_;  // empty once the body has ended
    LineSplitter splitter_;
    std::string url_;
};

}  // namespace glimmo
