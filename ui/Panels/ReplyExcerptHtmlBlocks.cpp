#include "ui/Panels/ReplyExcerptHtmlBlocks.h"

#include "platform/foundation/AsciiCase.h"
#include "ui/Panels/ReplyExcerptBlockStarts.h"

#include <algorithm>
#include <array>
#include <string>

namespace glimmo {
namespace {

// The blanks HTML allows between a tag's parts, and where a kind 1 or 6 tag name may end.
bool isHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; }
bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool startsWithIgnoringCase(std::string_view text, std::string_view lowercasePrefix) {
    return text.size() >= lowercasePrefix.size() &&
           asciiLowercased(std::string(text.substr(0, lowercasePrefix.size()))) == lowercasePrefix;
}

constexpr std::array<std::string_view, 3> rawTextTags{"script", "pre", "style"};

// The names whose tag opens a kind 6 block, as the installed cmark-gfm knows them.
constexpr std::array<std::string_view, 61> blockTags{
    "address", "article", "aside",    "base",   "basefont", "blockquote", "body",     "caption",  "center",
    "col",     "colgroup", "dd",      "details", "dialog",  "dir",        "div",      "dl",       "dt",
    "fieldset", "figcaption", "figure", "footer", "form",   "frame",      "frameset", "h1",       "h2",
    "h3",      "h4",      "h5",       "h6",     "head",     "header",     "hr",       "html",     "iframe",
    "legend",  "li",      "link",     "main",   "menu",     "menuitem",   "nav",      "noframes", "ol",
    "optgroup", "option", "p",        "param",  "section",  "summary",    "table",    "tbody",    "td",
    "tfoot",   "th",      "thead",    "title",  "tr",       "track",      "ul"};

// Whether `text` starts with one of `names` (any case) followed by its end, a blank, ">" or, when
// `selfClosing`, "/>".
template <std::size_t n>
bool startsWithTagName(std::string_view text, const std::array<std::string_view, n>& names, bool selfClosing) {
    const std::size_t length = std::min(text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"),
                                        text.size());
    const std::string name = asciiLowercased(std::string(text.substr(0, length)));
    if (std::find(names.begin(), names.end(), name) == names.end()) return false;
    const std::string_view after = text.substr(length);
    return after.empty() || isHtmlSpace(after.front()) || after.front() == '>' || (selfClosing && after.starts_with("/>"));
}

// Reads a tag of the kind 7 block, from just after its "<".
class TagReader {
public:
    explicit TagReader(std::string_view text) : text_(text) {}

    // An opening tag with its attributes, or a closing tag, and nothing but blanks after it.
    bool readsWholeTagAlone() {
        const bool closing = take('/');
        if (!takeName(isAsciiLetter, [](char c) { return isAsciiLetter(c) || isAsciiDigit(c) || c == '-'; })) return false;
        if (!closing) {
            while (takesAttribute()) {
            }
        }
        skipSpaces();
        if (!closing) take('/');
        return take('>') && isBlankText(text_.substr(at_));
    }

private:
    bool take(char c) {
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    std::size_t skipSpaces() {
        const std::size_t from = at_;
        while (at_ < text_.size() && isHtmlSpace(text_[at_])) ++at_;
        return at_ - from;
    }
    template <class First, class Rest>
    bool takeName(First first, Rest rest) {
        if (at_ >= text_.size() || !first(text_[at_])) return false;
        for (++at_; at_ < text_.size() && rest(text_[at_]);) ++at_;
        return true;
    }
    // Blanks, a name and optionally "=" and a value; nothing is taken when there is none.
    bool takesAttribute() {
        const std::size_t start = at_;
        const auto nameStart = [](char c) { return isAsciiLetter(c) || c == '_' || c == ':'; };
        const auto nameRest = [](char c) { return isAsciiLetter(c) || isAsciiDigit(c) || std::string_view("_.:-").find(c) != std::string_view::npos; };
        if (skipSpaces() == 0 || !takeName(nameStart, nameRest)) {
            at_ = start;
            return false;
        }
        const std::size_t afterName = at_;
        skipSpaces();
        if (!take('=')) {
            at_ = afterName;
            return true;
        }
        skipSpaces();
        if (takesValue()) return true;
        at_ = start;
        return false;
    }
    bool takesValue() {
        if (at_ >= text_.size()) return false;
        const char quote = text_[at_];
        if (quote == '"' || quote == '\'') {
            const std::size_t end = text_.find(quote, at_ + 1);
            if (end == std::string_view::npos) return false;
            at_ = end + 1;
            return true;
        }
        const auto unquoted = [](char c) { return !isHtmlSpace(c) && std::string_view("\"'=<>`").find(c) == std::string_view::npos; };
        return takeName(unquoted, unquoted);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

} // namespace

int htmlBlockStart(std::string_view rest) {
    if (!rest.starts_with('<')) return 0;
    const std::string_view tag = rest.substr(1);
    if (startsWithTagName(tag, rawTextTags, false)) return 1;
    if (tag.starts_with("!--")) return 2;
    if (tag.starts_with('?')) return 3;
    if (tag.size() >= 2 && tag[0] == '!' && tag[1] >= 'A' && tag[1] <= 'Z') return 4;
    if (startsWithIgnoringCase(tag, "![cdata[")) return 5;
    if (startsWithTagName(tag.starts_with('/') ? tag.substr(1) : tag, blockTags, true)) return 6;
    return TagReader(tag).readsWholeTagAlone() ? 7 : 0;
}

bool endsHtmlBlock(int kind, std::string_view rest) {
    switch (kind) {
    case 1: {
        const std::string lowercase = asciiLowercased(std::string(rest));
        return std::any_of(rawTextTags.begin(), rawTextTags.end(), [&](std::string_view name) {
            return lowercase.find("</" + std::string(name) + ">") != std::string::npos;
        });
    }
    case 2: return rest.find("-->") != std::string_view::npos;
    case 3: return rest.find("?>") != std::string_view::npos;
    case 4: return rest.find('>') != std::string_view::npos;
    case 5: return rest.find("]]>") != std::string_view::npos;
    default: return false;
    }
}

} // namespace glimmo
