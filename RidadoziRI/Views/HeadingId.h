#pragma once

// Heading ids: the heading's plain text, lower-cased, with every character that is not a letter, mark
// or number turned into "-".

#include "RidadoziRI/Document/InlineNode.h"

#include <string>
#include <string_view>
#include <vector>

namespace ridadozi {

// Splits at every non-alphanumeric character (each one a separator, dropped; empty pieces kept),
// lower-cases the pieces and joins them with "-".
std::string kebabCased(std::string_view text);

std::string headingId(const std::vector<InlineNode>& content);

} // namespace ridadozi
