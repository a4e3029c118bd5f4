#include "platform/net/LineReader.h"

#include "platform/net/HttpTypes.h"

#include <utility>

namespace glimmo {

LineReader::LineReader(AsyncThrowingStream<std::string> body, std::size_t maxLineBytes, std::string url)
    : body_(std::move(body)), splitter_(maxLineBytes), url_(std::move(url)) {}

Task<std::optional<std::string_view>> LineReader::next() {
    for (;;) {
        if (const auto line = cutLine()) co_return line;
        if (!body_) co_return splitter_.rest();
        std::optional<std::string> piece;
        try {
            auto receiving = body_->next();
            piece = co_await std::move(receiving);
        } catch (...) {
            body_.reset();
            splitter_ = LineSplitter(splitter_.maxLineBytes());  // nothing after the error, not even the rest
            throw;
        }
        if (piece) {
            splitter_.append(std::move(*piece));
        } else {
            body_.reset();
        }
    }
}

std::optional<std::string_view> LineReader::cutLine() {
    try {
        return splitter_.next();
    } catch (const HttpError& error) {
        body_.reset();  // stops the transfer
        throw HttpError(error.kind(), std::string(error.what()) + ": " + url_);
    }
}

}  // namespace glimmo
