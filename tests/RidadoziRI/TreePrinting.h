#pragma once

// Readable failure messages: gtest finds these through argument-dependent lookup.

#include "RidadoziRI/Document/BlockNode.h"

#include <ostream>

namespace ridadozi {

void PrintTo(const InlineNode& node, std::ostream* out);
void PrintTo(const BlockNode& block, std::ostream* out);

} // namespace ridadozi
