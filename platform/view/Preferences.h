#pragma once

// Preferences flow up the tree: views set values under a key, siblings combine with the key's reduce,
// and an ancestor reads the combined value of its subtree. A key:
//
//     struct BlockMarginsPreference {
//         using Value = BlockMargin;
//         static Value defaultValue() { return {}; }
//         static void reduce(Value& value, const std::function<Value()>& nextValue) { ... }
//     };
//
// Values depend on layout (anchors), so they are gathered after each layout. `onPreferenceChange` runs
// its action when the value differs from the last one it saw (the first value included); if actions
// change state, the tree is evaluated and laid out again within the same update, at most
// `preferenceIterationLimit` times.

#include "platform/view/Geometry.h"
#include "platform/view/View.h"

#include <concepts>
#include <functional>
#include <map>
#include <memory>
#include <typeindex>

namespace glimmo {

inline constexpr int preferenceIterationLimit = 8;

template <class K>
concept PreferenceKey = requires(typename K::Value& v, const std::function<typename K::Value()>& next) {
    { K::defaultValue() } -> std::convertible_to<typename K::Value>;
    K::reduce(v, next);
};

// The preference values of a subtree, by key.
class PreferenceValues {
public:
    template <PreferenceKey K>
    const typename K::Value* find() const {
        auto it = values_.find(typeid(K));
        return it == values_.end() ? nullptr : static_cast<const typename K::Value*>(it->second.value.get());
    }
    template <PreferenceKey K>
    typename K::Value value() const {
        if (const auto* v = find<K>()) return *v;
        return K::defaultValue();
    }
    // `placed`: the value is made from where views were placed (an anchor), so it is only known once
    // they are. A value set over one that was stays so (it may have been made from it).
    template <PreferenceKey K>
    void set(typename K::Value v, bool placed = false) {
        Entry& entry = values_[typeid(K)];
        entry = Entry{std::make_shared<typename K::Value>(std::move(v)), &reduceErased<K>, placed || entry.placed};
    }
    void remove(std::type_index key) { values_.erase(key); }
    // Combines `next` (a later sibling's values) into these with each key's reduce.
    void merge(const PreferenceValues& next);
    bool empty() const { return values_.empty(); }
    // Whether anything of the value under `key` is known before views are placed: it is not made from
    // where they go (see `set`), and views only built when placed either are none or are not all that
    // sets it (what the others set is known then; what those views add comes once they are placed).
    bool knownBeforePlacement(std::type_index key) const {
        const auto it = values_.find(key);
        if (it == values_.end()) return !builtWhenPlaced_;
        return !it->second.placed;
    }
    // Whether any value may still change once views are placed: one made from where they go, or any
    // in values gathered from views that are only built when placed.
    bool anyRestsOnPlacement() const {
        if (builtWhenPlaced_) return true;
        for (const auto& [key, entry] : values_) {
            if (entry.placed) return true;
        }
        return false;
    }
    void markBuiltWhenPlaced() { builtWhenPlaced_ = true; }

private:
    struct Entry {
        std::shared_ptr<void> value;
        void (*reduce)(Entry& into, const Entry& next) = nullptr;
        bool placed = false;
    };
    // A value still shared with a child's gathered values is copied before the first reduce; after that
    // it is this node's own and later siblings reduce into it in place, so gathering n siblings costs
    // what their values hold, not n copies of a growing value.
    template <PreferenceKey K>
    static void reduceErased(Entry& into, const Entry& next) {
        if (into.value.use_count() > 1) {
            into.value = std::make_shared<typename K::Value>(*static_cast<const typename K::Value*>(into.value.get()));
        }
        const auto& n = *static_cast<const typename K::Value*>(next.value.get());
        K::reduce(*static_cast<typename K::Value*>(into.value.get()), [&n] { return n; });
    }
    std::map<std::type_index, Entry> values_;
    bool builtWhenPlaced_ = false;
};

// A geometry value captured where a view was laid out, resolved later through a GeometryProxy.
template <class V>
struct Anchor {
    V value; // in the coordinates of the content the view is in (see ViewNode::frame)
    bool operator==(const Anchor&) const = default;
};

enum class AnchorSource : std::uint8_t { bounds };

// Whether the graph being updated on this thread is gathering preferences before placing its views
// (see ViewGraph::gatheringBeforePlacement): a value made from where views go is not known then.
bool gatheringBeforePlacement();

namespace modifiers {
// One node kind carries all preference writers: it changes the subtree's values after they are gathered.
// `readsBounds`: what it writes is made from the bounds it is handed (an anchor), so it writes again
// whenever the view moves.
AnyView preferenceWriter(AnyView v, std::function<void(PreferenceValues& values, const CGRect& bounds)> write,
                         bool readsBounds = false);
// `differs` compares the value under `key` the reader saw last with the new one.
AnyView preferenceReader(AnyView v, std::type_index key,
                         std::function<bool(const PreferenceValues& old, const PreferenceValues& now)> differs,
                         std::function<void(const PreferenceValues& values)> action);
AnyView preferenceLayer(AnyView v, std::function<AnyView(const PreferenceValues& values)> build, bool overlay);
} // namespace modifiers

template <class S>
template <class K>
AnyView View<S>::preference(typename K::Value value) const {
    return modifiers::preferenceWriter(erased(), [value = std::move(value)](PreferenceValues& v, const CGRect&) { v.set<K>(value); });
}

template <class S>
template <class K>
AnyView View<S>::transformPreference(std::function<void(typename K::Value&)> change) const {
    return modifiers::preferenceWriter(erased(), [change = std::move(change)](PreferenceValues& v, const CGRect&) {
        typename K::Value value = v.value<K>();
        change(value);
        v.set<K>(std::move(value));
    });
}

template <class S>
template <class K>
AnyView View<S>::onPreferenceChange(std::function<void(const typename K::Value&)> action) const {
    return modifiers::preferenceReader(
        erased(), typeid(K),
        [](const PreferenceValues& old, const PreferenceValues& now) {
            if constexpr (std::equality_comparable<typename K::Value>) {
                return !(old.value<K>() == now.value<K>());
            } else {
                return true;
            }
        },
        [action = std::move(action)](const PreferenceValues& v) { action(v.value<K>()); });
}

template <class S>
template <class K>
AnyView View<S>::backgroundPreferenceValue(std::function<AnyView(const typename K::Value&)> build) const {
    return modifiers::preferenceLayer(erased(), [build = std::move(build)](const PreferenceValues& v) { return build(v.value<K>()); }, false);
}

template <class S>
template <class K>
AnyView View<S>::overlayPreferenceValue(std::function<AnyView(const typename K::Value&)> build) const {
    return modifiers::preferenceLayer(erased(), [build = std::move(build)](const PreferenceValues& v) { return build(v.value<K>()); }, true);
}

// Publishes `transform(anchor of this view's bounds)`.
template <class S>
template <class K>
AnyView View<S>::anchorPreference(AnchorSource, std::function<typename K::Value(Anchor<CGRect>)> transform) const {
    return modifiers::preferenceWriter(erased(), [transform = std::move(transform)](PreferenceValues& v, const CGRect& bounds) {
        // Before placement only the fact that the value will come from there counts.
        v.set<K>(gatheringBeforePlacement() ? K::defaultValue() : transform(Anchor<CGRect>{bounds}), true);
    }, true);
}

} // namespace glimmo
