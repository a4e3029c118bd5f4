#pragma once

#include <string>
#include <vector>

// The cmark-gfm command with the extensions our parser attaches, in the same order; the file to read
// goes last.
inline const std::vector<std::string> cmarkCommand{"cmark-gfm", "-e", "autolink", "-e", "strikethrough", "-e", "tagfilter",
                                                   "-e",        "tasklist", "-e", "table"};
