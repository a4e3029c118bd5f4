#include "platform/foundation/JsonOrderedParse.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace glimmo {

namespace {

using Json = nlohmann::ordered_json;
// The members as a plain vector: appended to without the search that ordered_map's own insert makes.
using Members = Json::object_t::Container;

// Up to this many members a key is looked for one by one; past it, through the index.
constexpr std::size_t membersSearchedInTurn = 16;

// Member positions hashed by their keys, which are looked up in the members themselves: a vector that
// grows moves its short keys, so nothing may point into them. Looked up by the key's text.
class KeyHash {
public:
    using is_transparent = void;
    explicit KeyHash(const Members& members) : members_(&members) {}
    std::size_t operator()(std::size_t position) const { return (*this)((*members_)[position].first); }
    std::size_t operator()(std::string_view key) const { return std::hash<std::string_view>()(key); }

private:
    const Members* members_;
};

class SameKey {
public:
    using is_transparent = void;
    explicit SameKey(const Members& members) : members_(&members) {}
    bool operator()(std::size_t a, std::size_t b) const { return key(a) == key(b); }
    bool operator()(std::size_t a, std::string_view b) const { return key(a) == b; }
    bool operator()(std::string_view a, std::size_t b) const { return a == key(b); }

private:
    std::string_view key(std::size_t position) const { return (*members_)[position].first; }
    const Members* members_;
};

using KeyIndex = std::unordered_set<std::size_t, KeyHash, SameKey>;

// An array or object still being read.
struct OpenValue {
    Json* value;
    // Made once an object passes membersSearchedInTurn.
    std::optional<KeyIndex> positions;

    Members& members() const { return value->get_ref<Json::object_t&>(); }

    Json* find(const std::string& key) {
        Members& all = members();
        if (all.size() <= membersSearchedInTurn) {
            for (auto& member : all) {
                if (member.first == key) return &member.second;
            }
            return nullptr;
        }
        if (!positions) {
            positions.emplace(all.size(), KeyHash(all), SameKey(all));
            for (std::size_t position = 0; position < all.size(); ++position) positions->insert(position);
        }
        const auto found = positions->find(std::string_view(key));
        return found == positions->end() ? nullptr : &all[*found].second;
    }

    Json* add(std::string key) {
        Members& all = members();
        all.emplace_back(std::move(key), nullptr);
        if (positions) positions->insert(all.size() - 1);
        return &all.back().second;
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

    // A key given twice keeps its first place; the later value replaces the earlier one there.
    bool key(std::string& key) {
        OpenValue& object = open_.back();
        member_ = object.find(key);
        if (member_ == nullptr) member_ = object.add(std::move(key));
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
        open_.push_back(OpenValue{place(type), std::nullopt});
        return true;
    }

    bool close() {
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
