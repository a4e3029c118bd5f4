#pragma once

// A value paired with its position in the sequence it came from. Sequences of blocks, list items and
// image flow entries identify their children by the whole pair, so a child whose position or value
// changes is a new child.

#include "RidadoziRI/Document/HashCombine.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <vector>

namespace ridadozi {

template <class Value>
struct Indexed {
    int index = 0;
    Value value;

    bool operator==(const Indexed& other) const
        requires std::equality_comparable<Value>
    {
        return index == other.index && value == other.value;
    }
};

// Every element paired with its position, from 0.
template <class Collection>
std::vector<Indexed<typename Collection::value_type>> indexed(const Collection& elements) {
    std::vector<Indexed<typename Collection::value_type>> result;
    result.reserve(elements.size());
    int position = 0;
    for (const auto& element : elements) result.push_back({position++, element});
    return result;
}

} // namespace ridadozi

template <class Value>
struct std::hash<ridadozi::Indexed<Value>> {
    std::size_t operator()(const ridadozi::Indexed<Value>& pair) const {
        std::size_t seed = 0;
        ridadozi::detail::hashInto(seed, pair.index);
        ridadozi::detail::hashInto(seed, pair.value);
        return seed;
    }
};
