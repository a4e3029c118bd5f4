#include "ui/Panels/ReplyExcerptBlockStarts.h"

#include <algorithm>
#include <string>

namespace glimmo {

bool isBlankText(std::string_view text) { return std::all_of(text.begin(), text.end(), isSpaceOrTab); }

std::size_t characterRunLength(std::string_view text, std::size_t at, char c) {
    const std::size_t end = text.find_first_not_of(c, at);
    return (end == std::string_view::npos ? text.size() : end) - at;
}

std::size_t atxHeadingTextStart(std::string_view rest) {
    const std::size_t hashes = characterRunLength(rest, 0, '#');
    if (hashes == 0 || hashes > 6) return 0;
    return hashes == rest.size() || isSpaceOrTab(rest[hashes]) ? hashes : 0;
}

std::optional<CodeFence> openingCodeFence(std::string_view rest) {
    if (rest.empty() || (rest.front() != '`' && rest.front() != '~')) return std::nullopt;
    const CodeFence fence{rest.front(), characterRunLength(rest, 0, rest.front())};
    if (fence.length < 3) return std::nullopt;
    // A backtick fence's info string holds no backtick: such a line is inline code instead.
    if (fence.character == '`' && rest.find('`', fence.length) != std::string_view::npos) return std::nullopt;
    return fence;
}

bool closesCodeFence(std::string_view rest, CodeFence fence) {
    const std::size_t length = rest.empty() || rest.front() != fence.character ? 0 : characterRunLength(rest, 0, fence.character);
    return length >= 3 && length >= fence.length && isBlankText(rest.substr(length));
}

bool isSetextUnderline(std::string_view rest) {
    if (rest.empty() || (rest.front() != '=' && rest.front() != '-')) return false;
    return isBlankText(rest.substr(characterRunLength(rest, 0, rest.front())));
}

ThematicBreakScan scanThematicBreak(std::string_view rest) {
    if (rest.empty() || (rest.front() != '*' && rest.front() != '-' && rest.front() != '_')) return {false, 0};
    std::size_t count = 0;
    for (std::size_t at = 0; at < rest.size(); ++at) {
        if (rest[at] == rest.front()) ++count;
        else if (!isSpaceOrTab(rest[at])) return {false, at};
    }
    return {count >= 3, rest.size()};
}

std::optional<ListMarker> listMarker(std::string_view rest) {
    if (rest.empty()) return std::nullopt;
    ListMarker marker;
    if (rest.front() == '-' || rest.front() == '+' || rest.front() == '*') {
        marker.width = 1;
    } else {
        const std::size_t digits = std::min(rest.find_first_not_of("0123456789"), rest.size());
        if (digits == 0 || digits > 9 || digits == rest.size() || (rest[digits] != '.' && rest[digits] != ')')) return std::nullopt;
        marker.width = digits + 1;
        marker.startsAtOne = std::stoul(std::string(rest.substr(0, digits))) == 1;
    }
    const std::string_view after = rest.substr(marker.width);
    if (!after.empty() && !isSpaceOrTab(after.front())) return std::nullopt;
    marker.opensEmptyItem = isBlankText(after);
    return marker;
}

std::size_t taskListItemBoxEnd(std::string_view line) {
    const auto skipBlanks = [&](std::size_t at) {
        while (at < line.size() && isSpaceOrTab(line[at])) ++at;
        return at;
    };
    std::size_t at = skipBlanks(0);
    if (at < line.size() && (line[at] == '-' || line[at] == '+' || line[at] == '*')) {
        ++at;
    } else {
        const std::size_t end = std::min(line.find_first_not_of("0123456789", at), line.size());
        if (end == at || end >= line.size() || (line[end] != '.' && line[end] != ')')) return 0;
        at = end + 1;
    }
    const std::size_t box = skipBlanks(at);
    if (box == at || box + 3 >= line.size() || line[box] != '[' || line[box + 2] != ']') return 0;
    if (line[box + 1] != ' ' && line[box + 1] != 'x' && line[box + 1] != 'X') return 0;
    return isSpaceOrTab(line[box + 3]) ? box + 3 : 0;
}

} // namespace glimmo
