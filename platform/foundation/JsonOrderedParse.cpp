#include "platform/foundation/JsonOrderedParse.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>

namespace glimmo {

namespace {

using Json = nlohmann::ordered_json;
// The members as a plain vector: appended to without the search that ordered_map's own insert makes.
using Members = Json::object_t::Container;

// Up to this many members a key is looked for among them one by one as it comes; past it, the members
// are appended as they come and a key given twice is found once the object is closed.
constexpr std::size_t membersSearchedInTurn = 16;

// Keeps one member of each key: the first place, with the value given last. Each key is looked up once
// in a table of the keys' hashes sized for them all, which is made and read in the members' order, the
// slot of the key some way ahead asked for from memory in advance: a lookup costs the same at any size,
// where a table grown and read a key at a time waited for memory at every key once it outgrew the
// processor's caches.
void keepOneMemberPerKey(Members& members) {
    constexpr std::uint32_t empty = std::numeric_limits<std::uint32_t>::max();
    constexpr std::size_t ahead = 16;
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t position = empty;
    };
    if (members.size() >= empty) return; // more members than any text the reader takes could give
    std::vector<std::uint32_t> hashes(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        hashes[i] = static_cast<std::uint32_t>(std::hash<std::string_view>()(members[i].first));
    }
    std::size_t size = 16;
    while (size < 2 * members.size()) size *= 2;
    const std::size_t mask = size - 1;
    std::vector<Slot> slots(size);
    std::vector<bool> repeated(members.size(), false);
    bool anyRepeated = false;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (i + ahead < members.size()) __builtin_prefetch(&slots[hashes[i + ahead] & mask]);
        std::size_t slot = hashes[i] & mask;
        for (; slots[slot].position != empty; slot = (slot + 1) & mask) {
            const Slot& taken = slots[slot];
            if (taken.hash == hashes[i] && members[taken.position].first == members[i].first) break;
        }
        if (slots[slot].position == empty) {
            slots[slot] = {hashes[i], static_cast<std::uint32_t>(i)};
        } else {
            members[slots[slot].position].second = std::move(members[i].second);
            repeated[i] = true;
            anyRepeated = true;
        }
    }
    if (!anyRepeated) return;
    // The keys are const in place: the members kept are moved into a new vector.
    Members kept;
    kept.reserve(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (!repeated[i]) kept.emplace_back(members[i].first, std::move(members[i].second));
    }
    members.swap(kept);
}

// An array or object still being read.
struct OpenValue {
    Json* value;

    Members& members() const { return value->get_ref<Json::object_t&>(); }

    // A key given twice keeps its first place; the later value replaces the earlier one there.
    Json* member(std::string key) {
        Members& all = members();
        if (all.size() < membersSearchedInTurn) {
            for (auto& member : all) {
                if (member.first == key) return &member.second;
            }
        }
        all.emplace_back(std::move(key), nullptr);
        return &all.back().second;
    }

    void close() {
        if (value->is_object() && members().size() > membersSearchedInTurn) keepOneMemberPerKey(members());
    }
};

// nlohmann's SAX events built into a value as its own DOM parser builds it, but for the keys.
class OrderedBuilder {
public:
    explicit OrderedBuilder(Json& root) : root_(root) {}

    bool null() { return add(nullptr); }
    bool boolean(bool value) { return add(value); }
    bool number_integer(Json::number_integer_t value) { return add(value); }
    bool number_unsigned(Json::number_unsigned_t value) { return add(value); }
    bool number_float(Json::number_float_t value, const std::string&) { return add(value); }
    bool string(std::string& value) { return add(std::move(value)); }
    bool binary(Json::binary_t& value) { return add(std::move(value)); }
    bool start_object(std::size_t) { return open(Json::value_t::object); }
    bool start_array(std::size_t) { return open(Json::value_t::array); }
    bool end_object() { return close(); }
    bool end_array() { return close(); }

    bool key(std::string& key) {
        member_ = open_.back().member(std::move(key));
        return true;
    }

    template <class Exception>
    bool parse_error(std::size_t, const std::string&, const Exception& error) {
        throw error;
    }

private:
    template <class Value>
    Json* place(Value&& value) {
        if (open_.empty()) {
            root_ = Json(std::forward<Value>(value));
            return &root_;
        }
        Json& parent = *open_.back().value;
        if (parent.is_array()) {
            auto& elements = parent.get_ref<Json::array_t&>();
            elements.emplace_back(std::forward<Value>(value));
            return &elements.back();
        }
        *member_ = Json(std::forward<Value>(value));
        return member_;
    }

    template <class Value>
    bool add(Value&& value) {
        place(std::forward<Value>(value));
        return true;
    }

    // The value stays where it is while open: its parent takes nothing more until it is closed.
    bool open(Json::value_t type) {
        open_.push_back(OpenValue{place(type)});
        return true;
    }

    bool close() {
        open_.back().close();
        open_.pop_back();
        return true;
    }

    Json& root_;
    std::vector<OpenValue> open_;
    Json* member_ = nullptr;
};

} // namespace

nlohmann::ordered_json parseOrderedJSONText(std::string_view text) {
    Json root;
    OrderedBuilder builder(root);
    Json::sax_parse(text.begin(), text.end(), &builder);
    return root;
}

} // namespace glimmo
