#include "platform/net/LineSplitter.h"

namespace glimmo {

void LineSplitter::feed(std::string_view bytes, std::vector<std::string>& lines) {
    std::size_t start = 0;
    for (std::size_t end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n', start)) {
        std::string line;
        if (partial_.empty()) {
            line.assign(bytes.substr(start, end - start));
        } else {
            partial_.append(bytes.substr(start, end - start));
            line.swap(partial_);
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    partial_.append(bytes.substr(start));
}

bool LineSplitter::takeRest(std::string& line) {
    if (partial_.empty()) return false;
    line.swap(partial_);
    partial_.clear();
    return true;
}

}  // namespace glimmo
