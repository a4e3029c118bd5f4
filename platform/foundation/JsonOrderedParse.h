#pragma once

// The ordered parse behind parseOrderedJSON (Json.h), which checks the text first: use that instead.

#include <nlohmann/json_fwd.hpp>

#include <string_view>

namespace glimmo {

// nlohmann's own ordered parse finds a key among the members before it one by one, so one object of
// 100,000 members takes half a minute; this one keeps one member of each key once a large object is
// closed, looking each key up once in a hash table made for them all, so its time grows in proportion
// to the members, and builds the same value. Throws what nlohmann's parse throws.
nlohmann::ordered_json parseOrderedJSONText(std::string_view text);

} // namespace glimmo
