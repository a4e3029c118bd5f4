#include "platform/view/TextLayout.h"

#include "platform/foundation/LineBreaks.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace glimmo {
namespace {

constexpr CGFloat fitTolerance = 1e-6;
const std::string ellipsis = "\xE2\x80\xA6";

bool sameLink(const std::shared_ptr<const URL>& a, const std::shared_ptr<const URL>& b) {
    return a == b || (a && b && *a == *b);
}

enum class PieceKind { word, space, newline };

struct Piece {
    std::size_t span;
    std::string text;
    PieceKind kind;
    CGFloat width = 0;
    bool breakAfter = false; // a line may break after it
};

std::size_t codePointLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if ((lead >> 5) == 0x6) return 2;
    if ((lead >> 4) == 0xE) return 3;
    if ((lead >> 3) == 0x1E) return 4;
    return 1;
}

std::size_t countCodePoints(const std::string& s) {
    std::size_t n = 0;
    for (const char c : s) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

// Widths and metrics as the measurer gives them, remembered for one layout: a line asks for its spans'
// metrics once for every piece, and a word broken between characters for each character's width.
class Measure {
public:
    Measure(const std::vector<StyledSpan>& spans, const TextMeasurer& m)
        : spans_(spans), m_(m), metrics_(spans.size()), asciiWidths_(spans.size()) {}
    CGFloat width(std::size_t span, const std::string& text) const {
        const StyledSpan& s = spans_[span];
        if (s.image) return s.imageSize.width;
        if (text.size() == 1 && static_cast<unsigned char>(text[0]) < 0x80) return asciiWidth(span, text[0]);
        return m_.advance(text, s.font) + s.tracking * static_cast<CGFloat>(countCodePoints(text));
    }
    FontMetrics metrics(std::size_t span) const {
        if (!metrics_[span]) metrics_[span] = m_.metrics(spans_[span].font);
        return *metrics_[span];
    }

private:
    CGFloat asciiWidth(std::size_t span, char c) const {
        auto& widths = asciiWidths_[span];
        if (widths.empty()) widths.assign(0x80, std::numeric_limits<CGFloat>::quiet_NaN());
        CGFloat& w = widths[static_cast<unsigned char>(c)];
        if (std::isnan(w)) w = m_.advance(std::string_view(&c, 1), spans_[span].font) + spans_[span].tracking;
        return w;
    }

    const std::vector<StyledSpan>& spans_;
    const TextMeasurer& m_;
    mutable std::vector<std::optional<FontMetrics>> metrics_;
    mutable std::vector<std::vector<CGFloat>> asciiWidths_;
};

// The length of a line separator starting at `i` ("\n", "\r\n", "\r", VT, FF, NEL, U+2028, U+2029);
// 0 when there is none.
std::size_t newlineLength(const std::string& text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
    if (c == '\n' || c == '\v' || c == '\f') return 1;
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x85) return 2;
    if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
        (static_cast<unsigned char>(text[i + 2]) == 0xA8 || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
        return 3;
    }
    return 0;
}

bool isSpace(char c) { return c == ' ' || c == '\t'; }

// Splits the text into words, spaces and newlines. A word ends where the Unicode line breaking rules
// allow a break (after a hyphen, between ideographs, ...), before spaces and at the end of a span; a
// word that ends at a span's end without a break opportunity continues in the next span.
std::vector<Piece> tokenize(const std::vector<StyledSpan>& spans, const Measure& measure) {
    std::string all;
    std::vector<std::size_t> spanStart;
    for (const auto& span : spans) {
        spanStart.push_back(all.size());
        all += span.text;
    }
    std::vector<bool> breakAt(all.size() + 1, false);
    for (const auto& opportunity : lineBreakOpportunities(all)) breakAt[opportunity.offset] = true;

    std::vector<Piece> pieces;
    for (std::size_t si = 0; si < spans.size(); ++si) {
        const auto& text = spans[si].text;
        if (spans[si].image) {
            pieces.push_back({si, text, PieceKind::word, measure.width(si, text), breakAt[spanStart[si] + text.size()]});
            continue;
        }
        std::size_t i = 0;
        while (i < text.size()) {
            if (const std::size_t n = newlineLength(text, i)) {
                pieces.push_back({si, "\n", PieceKind::newline, 0, false});
                i += n;
                continue;
            }
            const bool space = isSpace(text[i]);
            std::size_t j = i;
            bool breakAfter = false;
            while (j < text.size() && newlineLength(text, j) == 0 && isSpace(text[j]) == space) {
                j += codePointLength(static_cast<unsigned char>(text[j]));
                j = std::min(j, text.size());
                if (!space && breakAt[spanStart[si] + j]) {
                    breakAfter = true;
                    break;
                }
            }
            Piece p{si, text.substr(i, j - i), space ? PieceKind::space : PieceKind::word, 0, breakAfter};
            p.width = measure.width(si, p.text);
            pieces.push_back(std::move(p));
            i = j;
        }
    }
    return pieces;
}

struct Line {
    std::vector<Piece> pieces;
    bool endsWithNewline = false;
    std::size_t metricsSpan = 0; // for empty lines
    // What stood between this line and the next in the text: the spaces a wrap swallowed, a space for
    // a newline, nothing after a hyphen or inside a word. Used when lines are joined for truncation.
    std::vector<Piece> joiner;
};

CGFloat lineWidth(const Line& l) {
    CGFloat w = 0;
    for (const auto& p : l.pieces) w += p.width;
    return w;
}

// The user-perceived characters of a piece (an accented letter or an emoji sequence stays whole).
std::vector<std::string> charactersOf(const Piece& piece) {
    if (piece.kind == PieceKind::newline) return {piece.text};
    std::vector<std::string> out;
    // Every ASCII character of a word or a space is one character (a CR LF pair is a newline).
    if (std::all_of(piece.text.begin(), piece.text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        out.reserve(piece.text.size());
        for (const char c : piece.text) out.emplace_back(1, c);
        return out;
    }
    std::size_t start = 0;
    for (const std::size_t end : characterBoundaries(piece.text)) {
        out.push_back(piece.text.substr(start, end - start));
        start = end;
    }
    return out;
}

// Splits a word that does not fit on a line of its own between characters.
std::vector<std::vector<Piece>> splitWord(const std::vector<Piece>& word, CGFloat limit, const Measure& measure) {
    std::vector<std::vector<Piece>> lines(1);
    CGFloat x = 0;
    for (const auto& piece : word) {
        for (const std::string& ch : charactersOf(piece)) {
            const CGFloat w = measure.width(piece.span, ch);
            if (x > 0 && x + w > limit + fitTolerance) {
                lines.emplace_back();
                x = 0;
            }
            auto& line = lines.back();
            if (!line.empty() && line.back().span == piece.span) {
                line.back().text += ch;
                line.back().width += w;
            } else {
                line.push_back({piece.span, ch, PieceKind::word, w, false});
            }
            x += w;
        }
    }
    return lines;
}

// `limit` is infinite when lines do not wrap.
std::vector<Line> breakLines(const std::vector<Piece>& pieces, CGFloat limit, const Measure& measure) {
    std::vector<Line> lines(1);
    std::vector<Piece> pendingSpaces;
    bool afterWrap = false;
    CGFloat x = 0;
    std::size_t i = 0;
    while (i < pieces.size()) {
        const Piece& p = pieces[i];
        if (p.kind == PieceKind::newline) {
            lines.back().metricsSpan = p.span;
            lines.back().endsWithNewline = true;
            lines.back().joiner = {Piece{p.span, " ", PieceKind::space, measure.width(p.span, " "), false}};
            for (auto& s : pendingSpaces) lines.back().pieces.push_back(s);
            pendingSpaces.clear();
            lines.emplace_back();
            lines.back().metricsSpan = p.span;
            x = 0;
            afterWrap = false;
            ++i;
            continue;
        }
        if (p.kind == PieceKind::space) {
            pendingSpaces.push_back(p);
            ++i;
            continue;
        }
        // A word: consecutive word pieces (across spans) up to a break opportunity.
        std::vector<Piece> word;
        CGFloat w = 0;
        while (i < pieces.size() && pieces[i].kind == PieceKind::word) {
            word.push_back(pieces[i]);
            w += pieces[i].width;
            ++i;
            if (word.back().breakAfter) break;
        }
        CGFloat spaces = 0;
        for (auto& s : pendingSpaces) spaces += s.width;
        Line* line = &lines.back();
        if (!line->pieces.empty() && x + spaces + w > limit + fitTolerance) {
            line->joiner = pendingSpaces;
            lines.emplace_back();
            lines.back().metricsSpan = word.front().span;
            line = &lines.back();
            pendingSpaces.clear();
            spaces = 0;
            x = 0;
            afterWrap = true;
        }
        if (!(line->pieces.empty() && afterWrap)) {
            for (auto& s : pendingSpaces) line->pieces.push_back(s);
            x += spaces;
        }
        pendingSpaces.clear();
        if (line->pieces.empty() && w > limit + fitTolerance) {
            auto parts = splitWord(word, limit, measure);
            for (std::size_t k = 0; k < parts.size(); ++k) {
                if (k > 0) {
                    lines.emplace_back();
                    line = &lines.back();
                }
                line->pieces = parts[k];
                line->metricsSpan = parts[k].empty() ? word.front().span : parts[k].front().span;
            }
            x = lineWidth(*line);
            afterWrap = true;
            continue;
        }
        for (auto& piece : word) line->pieces.push_back(piece);
        if (line->pieces.size() == word.size()) line->metricsSpan = word.front().span;
        x += w;
    }
    // Trailing spaces of the text stay, as typed (they take no room when a line wraps after them).
    for (auto& s : pendingSpaces) lines.back().pieces.push_back(s);
    return lines;
}

// Cuts the line to make room for an ellipsis according to the truncation mode.
void truncateLine(Line& line, CGFloat limit, TruncationMode mode, const Measure& measure) {
    struct Char {
        std::size_t span;
        std::string text;
        CGFloat width;
    };
    std::vector<Char> chars;
    for (const auto& p : line.pieces) {
        for (const std::string& ch : charactersOf(p)) {
            chars.push_back({p.span, ch, p.kind == PieceKind::word && ch.size() == p.text.size() ? p.width : measure.width(p.span, ch)});
        }
    }
    const std::size_t ellipsisSpan = chars.empty() ? line.metricsSpan : (mode == TruncationMode::head ? chars.front().span : chars.back().span);
    const CGFloat ellipsisWidth = measure.width(ellipsisSpan, ellipsis);
    auto total = [&] {
        CGFloat w = 0;
        for (auto& c : chars) w += c.width;
        return w;
    };
    std::size_t insertAt = chars.size();
    if (!std::isinf(limit)) {
        if (mode == TruncationMode::tail) {
            while (!chars.empty() && total() + ellipsisWidth > limit + fitTolerance) chars.pop_back();
            while (!chars.empty() && chars.back().text == " ") chars.pop_back();
            insertAt = chars.size();
        } else if (mode == TruncationMode::head) {
            while (!chars.empty() && total() + ellipsisWidth > limit + fitTolerance) chars.erase(chars.begin());
            insertAt = 0;
        } else if (total() + ellipsisWidth > limit + fitTolerance) {
            // Keep as much of the start and of the end as fits, growing the narrower side first.
            std::size_t front = 0, back = 0;
            CGFloat frontWidth = 0, backWidth = 0;
            while (front + back < chars.size()) {
                const bool takeFront = frontWidth <= backWidth;
                const Char& next = takeFront ? chars[front] : chars[chars.size() - 1 - back];
                if (frontWidth + backWidth + next.width + ellipsisWidth > limit + fitTolerance) break;
                (takeFront ? frontWidth : backWidth) += next.width;
                ++(takeFront ? front : back);
            }
            chars.erase(chars.begin() + static_cast<std::ptrdiff_t>(front), chars.end() - static_cast<std::ptrdiff_t>(back));
            insertAt = front;
        }
    }
    chars.insert(chars.begin() + static_cast<std::ptrdiff_t>(insertAt), Char{ellipsisSpan, ellipsis, ellipsisWidth});
    line.pieces.clear();
    for (auto& c : chars) {
        if (!line.pieces.empty() && line.pieces.back().span == c.span) {
            line.pieces.back().text += c.text;
            line.pieces.back().width += c.width;
        } else {
            line.pieces.push_back({c.span, c.text, PieceKind::word, c.width, false});
        }
    }
}

struct LineMetrics {
    CGFloat ascent = 0;
    CGFloat descent = 0;
    CGFloat leading = 0;
};

LineMetrics metricsOf(const Line& line, const std::vector<StyledSpan>& spans, const Measure& measure) {
    LineMetrics lm;
    auto add = [&](std::size_t span) {
        if (spans[span].image) {
            lm.ascent = std::max(lm.ascent, spans[span].imageSize.height + spans[span].baselineOffset);
            return;
        }
        const FontMetrics m = measure.metrics(span);
        lm.ascent = std::max(lm.ascent, m.ascent + std::max<CGFloat>(0, spans[span].baselineOffset));
        lm.descent = std::max(lm.descent, m.descent + std::max<CGFloat>(0, -spans[span].baselineOffset));
        lm.leading = std::max(lm.leading, m.leading);
    };
    if (line.pieces.empty()) {
        if (!spans.empty()) add(std::min(line.metricsSpan, spans.size() - 1));
    } else {
        for (const auto& p : line.pieces) add(p.span);
    }
    return lm;
}

} // namespace

struct MeasuredText {
    std::vector<Piece> pieces;
};

struct TextLines {
    CGFloat limit = infinity;
    std::vector<Line> lines;
};

std::shared_ptr<const MeasuredText> measureText(const std::vector<StyledSpan>& spans, const TextMeasurer& measurer) {
    auto measured = std::make_shared<MeasuredText>();
    if (!spans.empty()) measured->pieces = tokenize(spans, Measure(spans, measurer));
    return measured;
}

std::shared_ptr<const TextLines> breakText(const MeasuredText& text, const std::vector<StyledSpan>& spans, std::optional<CGFloat> width,
                                           const TextMeasurer& measurer) {
    auto broken = std::make_shared<TextLines>();
    broken->limit = width ? std::max<CGFloat>(0, *width) : infinity;
    if (!spans.empty()) broken->lines = breakLines(text.pieces, broken->limit, Measure(spans, measurer));
    return broken;
}

LaidOutText layoutText(const std::vector<StyledSpan>& spans, const TextLayoutOptions& options, const TextMeasurer& measurer) {
    const auto measured = measureText(spans, measurer);
    return layoutText(*breakText(*measured, spans, options.width, measurer), spans, options, measurer);
}

namespace {

struct LineBox {
    LineMetrics metrics;
    CGFloat width = 0; // spaces at the end of a line take no room
    CGFloat top = 0;
    CGFloat height() const { return metrics.ascent + metrics.descent + metrics.leading; }
};

// The lines shown for a height and a line limit: the first ones that fit, the last of them cut with an
// ellipsis when lines were dropped. Only the cut line is a copy. What measuring and laying out share.
class ShownLines {
public:
    ShownLines(const TextLines& broken, const std::vector<StyledSpan>& spans, const TextLayoutOptions& options,
               const TextMeasurer& measurer)
        : spans_(spans), options_(options), measure_(spans, measurer), lines_(broken.lines), count_(lines_.size()) {
        if (options.lineLimit && *options.lineLimit > 0) count_ = std::min<std::size_t>(count_, static_cast<std::size_t>(*options.lineLimit));
        if (options.height && !std::isinf(*options.height)) {
            CGFloat used = 0;
            std::size_t fit = 0;
            for (std::size_t i = 0; i < count_; ++i) {
                const LineMetrics m = metricsOf(lines_[i], spans, measure_);
                const CGFloat h = m.ascent + m.descent + m.leading + (i > 0 ? options.lineSpacing : 0);
                if (i > 0 && used + h > *options.height + fitTolerance) break;
                used += h;
                fit = i + 1;
            }
            count_ = std::max<std::size_t>(1, fit);
        }
        if (count_ >= lines_.size()) return;
        cut_ = lines_[count_ - 1];
        // Head and middle truncation keep the end of the text: the last line shown takes everything
        // from its start to the end, and the cut falls at its start or in its middle.
        if (options.truncation != TruncationMode::tail && !std::isinf(broken.limit)) {
            for (std::size_t i = count_; i < lines_.size(); ++i) {
                const Line& previous = lines_[i - 1];
                for (const auto& piece : previous.joiner) cut_->pieces.push_back(piece);
                for (const auto& piece : lines_[i].pieces) cut_->pieces.push_back(piece);
            }
            cut_->endsWithNewline = false;
        }
        truncateLine(*cut_, broken.limit, options.truncation, measure_);
    }
    std::size_t size() const { return count_; }
    const Line& operator[](std::size_t i) const { return cut_ && i + 1 == count_ ? *cut_ : lines_[i]; }
    bool truncated() const { return cut_.has_value(); }

    // Stacks the lines from the top: calls `visit(index, line, box)` for each, and returns the height of
    // them all.
    template <class Visit>
    CGFloat stack(Visit&& visit) const {
        CGFloat y = 0;
        for (std::size_t i = 0; i < count_; ++i) {
            const Line& line = (*this)[i];
            LineBox box;
            box.metrics = metricsOf(line, spans_, measure_);
            box.width = lineWidth(line);
            for (auto it = line.pieces.rbegin(); it != line.pieces.rend() && it->kind == PieceKind::space; ++it) box.width -= it->width;
            if (i > 0) y += options_.lineSpacing;
            box.top = y;
            visit(i, line, box);
            y += box.height();
        }
        return y;
    }

private:
    const std::vector<StyledSpan>& spans_;
    const TextLayoutOptions& options_;
    const Measure measure_;
    const std::vector<Line>& lines_;
    std::size_t count_;
    std::optional<Line> cut_;
};

} // namespace

TextExtent measureLayout(const TextLines& broken, const std::vector<StyledSpan>& spans, const TextLayoutOptions& options,
                         const TextMeasurer& measurer) {
    TextExtent out;
    if (spans.empty()) return out;
    const ShownLines lines(broken, spans, options, measurer);
    out.size.height = lines.stack([&](std::size_t i, const Line&, const LineBox& box) {
        out.size.width = std::max(out.size.width, box.width);
        if (i == 0) out.firstBaseline = box.top + box.metrics.ascent;
        out.lastBaseline = box.top + box.metrics.ascent;
    });
    out.truncated = lines.truncated();
    return out;
}

LaidOutText layoutText(const TextLines& broken, const std::vector<StyledSpan>& spans, const TextLayoutOptions& options,
                       const TextMeasurer& measurer) {
    LaidOutText out;
    if (spans.empty()) return out;
    const ShownLines lines(broken, spans, options, measurer);
    std::vector<LineBox> boxes;
    boxes.reserve(lines.size());
    CGFloat maxWidth = 0;
    const CGFloat height = lines.stack([&](std::size_t, const Line&, const LineBox& box) {
        boxes.push_back(box);
        maxWidth = std::max(maxWidth, box.width);
    });
    out.truncated = lines.truncated();
    out.lines.reserve(lines.size());
    for (std::size_t li = 0; li < lines.size(); ++li) {
        const Line& line = lines[li];
        const LineBox& box = boxes[li];
        const LineMetrics& m = box.metrics;
        CGFloat x = 0;
        if (options.alignment == TextAlignment::center) x = (maxWidth - box.width) / 2;
        if (options.alignment == TextAlignment::trailing) x = maxWidth - box.width;
        LaidOutLine laid;
        laid.width = box.width;
        laid.endsWithNewline = line.endsWithNewline;
        laid.baseline = box.top + m.ascent;
        laid.item.origin = {0, box.top};
        laid.item.lineTop = 0;
        laid.item.lineHeight = box.height();
        CGFloat pen = x;
        for (const auto& p : line.pieces) {
            const StyledSpan& s = spans[p.span];
            auto& runs = laid.item.runs;
            const bool mergeable = !runs.empty() && !s.image && !runs.back().image && runs.back().font == s.font &&
                                   runs.back().color == s.color && runs.back().background == s.background &&
                                   runs.back().underlineColor == s.underline && runs.back().strikethroughColor == s.strikethrough &&
                                   runs.back().tracking == s.tracking && runs.back().baseline == m.ascent - s.baselineOffset &&
                                   sameLink(spans[laid.runSpans.back()].link, s.link) &&
                                   std::abs(runs.back().x + runs.back().width - pen) < fitTolerance;
            if (mergeable) {
                runs.back().text += p.text;
                runs.back().width += p.width;
            } else {
                TextRunItem r;
                r.text = p.text;
                r.font = s.font;
                r.color = s.color;
                r.x = pen;
                r.width = p.width;
                r.baseline = m.ascent - s.baselineOffset;
                r.tracking = s.tracking;
                r.background = s.background;
                r.underlineColor = s.underline;
                r.strikethroughColor = s.strikethrough;
                r.image = s.image;
                r.imageSize = s.imageSize;
                if (!s.image) r.painted = PaintedRunSlot::make();
                runs.push_back(std::move(r));
                laid.runSpans.push_back(p.span);
            }
            pen += p.width;
        }
        if (li == 0) out.firstBaseline = laid.baseline;
        out.lastBaseline = laid.baseline;
        out.lines.push_back(std::move(laid));
    }
    out.size = {maxWidth, height};
    return out;
}

} // namespace glimmo
