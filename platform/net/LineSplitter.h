#pragma once

// Cuts a byte stream into lines at LF, dropping a CR before it.

#include <string>
#include <string_view>
#include <vector>

namespace glimmo {

class LineSplitter {
public:
    // Appends every line completed by `bytes` to `lines`.
    void feed(std::string_view bytes, std::vector<std::string>& lines);
    // The unterminated last line, if any text is left.
    bool takeRest(std::string& line);

private:
    std::string partial_;
};

}  // namespace glimmo
