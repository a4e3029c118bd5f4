#include "platform/net/LineSplitter.h"

#include "platform/net/HttpTypes.h"

#include <utility>

namespace glimmo {

namespace {

std::string_view withoutCarriageReturn(std::string_view line) {
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
}

}  // namespace

void LineSplitter::append(std::string piece) {
    keepUnfinished(std::string_view(piece_).substr(position_));
    piece_ = std::move(piece);
    position_ = 0;
}

std::optional<std::string_view> LineSplitter::next() {
    const std::string_view unread = std::string_view(piece_).substr(position_);
    const auto newline = unread.find('\n');
    if (newline == std::string_view::npos) {
        keepUnfinished(unread);
        position_ = piece_.size();
        return std::nullopt;
    }
    const std::string_view end = unread.substr(0, newline);
    if (partial_.size() + end.size() > maxLineBytes_) keepUnfinished(end);  // throws
    position_ += newline + 1;
    if (partial_.empty()) return withoutCarriageReturn(end);
    partial_.append(end);
    joined_.swap(partial_);  // both keep their capacity for the next joined line
    partial_.clear();
    return withoutCarriageReturn(joined_);
}

std::optional<std::string_view> LineSplitter::rest() {
    keepUnfinished(std::string_view(piece_).substr(position_));
    position_ = piece_.size();
    if (partial_.empty()) return std::nullopt;
    joined_.swap(partial_);
    partial_.clear();
    return withoutCarriageReturn(joined_);
}

void LineSplitter::keepUnfinished(std::string_view text) {
    if (partial_.size() + text.size() > maxLineBytes_) {
        partial_.clear();
        piece_.clear();
        position_ = 0;
        throw HttpError(HttpError::Kind::tooLarge,
                        "A line of the response exceeds " + std::to_string(maxLineBytes_) + " bytes");
    }
    partial_.append(text);
}

}  // namespace glimmo
