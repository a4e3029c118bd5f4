#include "platform/view/NodeKinds.h"

#include <algorithm>

namespace glimmo {
namespace {

// Made on first use: registrations run during static initialisation, in no set order.
std::vector<std::type_index>& table() {
    static std::vector<std::type_index> kinds;
    return kinds;
}

} // namespace

bool registerNodeKind(std::type_index kind) {
    auto& kinds = table();
    if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
    return true;
}

const std::vector<std::type_index>& nodeKinds() { return table(); }

} // namespace glimmo
