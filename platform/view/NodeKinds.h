#pragma once

// Every kind of node the kit can make, in one table that fills itself: the template that makes the
// nodes of every primitive view and modifier (SimpleContent) registers its node type, as does the node
// of user views. A test that means to cover the whole kit holds what it generates against this table,
// so a new kind of view cannot be left out of it unnoticed.

#include <typeindex>
#include <vector>

namespace glimmo {

// Registers a node type; returns true so that it can initialise a static.
bool registerNodeKind(std::type_index kind);
// The node types registered so far (all of them once static initialisation is over, for the code
// linked into the program).
const std::vector<std::type_index>& nodeKinds();

} // namespace glimmo
