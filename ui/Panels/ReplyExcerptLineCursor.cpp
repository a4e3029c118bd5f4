#include "ui/Panels/ReplyExcerptLineCursor.h"

#include "ui/Panels/ReplyExcerptBlockStarts.h"

#include <algorithm>

namespace glimmo {
namespace {

constexpr std::size_t tabStop = 4;

std::size_t toNextTabStop(std::size_t column) { return tabStop - column % tabStop; }

} // namespace

ReplyLineCursor::ReplyLineCursor(std::string_view line) : line_(line) { findNonspace(); }

void ReplyLineCursor::advanceColumns(std::size_t count) {
    while (count > 0 && offset_ < line_.size()) {
        if (line_[offset_] == '\t') {
            const std::size_t toTab = toNextTabStop(column_);
            const std::size_t taken = std::min(count, toTab);
            column_ += taken;
            if (taken == toTab) ++offset_;
            count -= taken;
        } else {
            ++offset_;
            ++column_;
            --count;
        }
    }
    findNonspace();
}

void ReplyLineCursor::advanceBytes(std::size_t count) {
    for (; count > 0 && offset_ < line_.size(); --count, ++offset_) {
        column_ += line_[offset_] == '\t' ? toNextTabStop(column_) : 1;
    }
    findNonspace();
}

void ReplyLineCursor::takeQuoteMarker() {
    advanceColumns(indent() + 1);
    if (offset_ < line_.size() && isSpaceOrTab(line_[offset_])) advanceColumns(1);
}

std::size_t ReplyLineCursor::takeListItemPadding(std::size_t markerWidth) {
    const ReplyLineCursor marker = *this;
    while (column_ - marker.column_ <= 5 && offset_ < line_.size() && isSpaceOrTab(line_[offset_])) advanceColumns(1);
    const std::size_t blanks = column_ - marker.column_;
    if (blanks >= 5 || blanks < 1 || offset_ >= line_.size()) {
        *this = marker;
        if (blanks > 0) advanceColumns(1);
        return markerWidth + 1;
    }
    return markerWidth + blanks;
}

bool ReplyLineCursor::restIsThematicBreak() {
    if (nonspace_ < noBreakBefore_) return false;
    const ThematicBreakScan scan = scanThematicBreak(rest());
    if (!scan.isBreak) noBreakBefore_ = nonspace_ + scan.readTo;
    return scan.isBreak;
}

void ReplyLineCursor::findNonspace() {
    if (nonspace_ > offset_) return; // still ahead, after a tab taken in part: its column stands
    nonspace_ = offset_;
    nonspaceColumn_ = column_;
    for (; nonspace_ < line_.size() && isSpaceOrTab(line_[nonspace_]); ++nonspace_) {
        nonspaceColumn_ += line_[nonspace_] == '\t' ? toNextTabStop(nonspaceColumn_) : 1;
    }
}

} // namespace glimmo
