#pragma once

// Attributed text: a UTF-8 string with runs of attributes. Attributes are typed keys; the kit defines
// the standard ones below and libraries add their own (a key is any type with `Value` and `name`):
//
//     struct FontPropertiesAttribute { using Value = FontProperties; static constexpr const char* name = "fontProperties"; };
//     container.set<FontPropertiesAttribute>(props);
//
// A value type must be copyable and equality-comparable; runs with equal attributes are merged.

#include "platform/foundation/URL.h"
#include "platform/view/Color.h"
#include "platform/view/Font.h"
#include "platform/view/PixelImage.h"

#include <concepts>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <utility>
#include <vector>

namespace glimmo {

template <class K>
concept AttributeKey = requires {
    typename K::Value;
    { K::name } -> std::convertible_to<std::string_view>;
};

// Text.LineStyle: the pattern of an underline or strikethrough and its colour (the text colour when
// absent).
struct LineStyle {
    enum class Pattern : std::uint8_t { solid, dot, dash, dashDot, dashDotDot };
    Pattern pattern = Pattern::solid;
    std::optional<Color> color;
    static LineStyle single() { return {}; }
    bool operator==(const LineStyle&) const = default;
};

// An image inside text: decoded pixels, or a symbol name from the symbol table.
struct ImageAttachment {
    SharedPixels pixels;
    std::string systemName;
    std::string label;  // what accessibility reads for the image
    bool operator==(const ImageAttachment& o) const {
        return pixels == o.pixels && systemName == o.systemName && label == o.label;
    }
};

// The standard attribute keys (the platform's SwiftUI and Foundation attribute scopes).
struct FontAttribute { using Value = Font; static constexpr const char* name = "font"; };
struct ForegroundColorAttribute { using Value = Color; static constexpr const char* name = "foregroundColor"; };
struct BackgroundColorAttribute { using Value = Color; static constexpr const char* name = "backgroundColor"; };
struct UnderlineStyleAttribute { using Value = LineStyle; static constexpr const char* name = "underlineStyle"; };
struct StrikethroughStyleAttribute { using Value = LineStyle; static constexpr const char* name = "strikethroughStyle"; };
struct KernAttribute { using Value = double; static constexpr const char* name = "kern"; };
struct TrackingAttribute { using Value = double; static constexpr const char* name = "tracking"; };
struct BaselineOffsetAttribute { using Value = double; static constexpr const char* name = "baselineOffset"; };
struct LinkAttribute { using Value = URL; static constexpr const char* name = "link"; };
struct ImageAttachmentAttribute { using Value = ImageAttachment; static constexpr const char* name = "attachment"; };

// One attribute value of any type, compared by type and value.
class AttributeValue {
public:
    template <class T>
    static AttributeValue make(T value) {
        AttributeValue v;
        v.holder_ = std::make_shared<const Holder<T>>(std::move(value));
        return v;
    }
    template <class T>
    const T* get() const {
        if (!holder_ || holder_->type() != typeid(T)) return nullptr;
        return &static_cast<const Holder<T>*>(holder_.get())->value;
    }
    bool operator==(const AttributeValue& o) const {
        return holder_ == o.holder_ || (holder_ && o.holder_ && holder_->equals(*o.holder_));
    }

private:
    struct Base {
        virtual ~Base() = default;
        virtual const std::type_info& type() const = 0;
        virtual bool equals(const Base& other) const = 0;
    };
    template <class T>
    struct Holder final : Base {
        explicit Holder(T v) : value(std::move(v)) {}
        const std::type_info& type() const override { return typeid(T); }
        bool equals(const Base& other) const override {
            return other.type() == typeid(T) && static_cast<const Holder&>(other).value == value;
        }
        T value;
    };
    std::shared_ptr<const Base> holder_;
};

// A set of attributes keyed by name (Foundation's AttributeContainer).
class AttributeContainer {
public:
    template <AttributeKey K>
    const typename K::Value* get() const {
        const AttributeValue* v = find(K::name);
        return v ? v->get<typename K::Value>() : nullptr;
    }
    template <AttributeKey K>
    std::optional<typename K::Value> value() const {
        if (const auto* v = get<K>()) return *v;
        return std::nullopt;
    }
    template <AttributeKey K>
    AttributeContainer& set(typename K::Value value) {
        put(K::name, AttributeValue::make<typename K::Value>(std::move(value)));
        return *this;
    }
    // An absent value removes the attribute.
    template <AttributeKey K>
    AttributeContainer& set(std::optional<typename K::Value> value) {
        if (value) return set<K>(std::move(*value));
        return remove<K>();
    }
    template <AttributeKey K>
    AttributeContainer& remove() {
        erase(K::name);
        return *this;
    }
    template <AttributeKey K>
    bool contains() const { return get<K>() != nullptr; }
    // Changes the value in place when present; does nothing when absent.
    template <AttributeKey K, class F>
    void modify(F&& change) {
        if (const auto* v = get<K>()) {
            typename K::Value copy = *v;
            change(copy);
            set<K>(std::move(copy));
        }
    }

    // Attributes of `other` replace those of the same name here.
    void merge(const AttributeContainer& other);
    bool empty() const { return entries_.empty(); }
    std::size_t size() const { return entries_.size(); }
    bool operator==(const AttributeContainer&) const = default;

    // Untyped access by name, for code that copies attributes it does not know.
    const AttributeValue* find(std::string_view name) const;
    void put(std::string_view name, AttributeValue value);
    void erase(std::string_view name);

private:
    std::vector<std::pair<std::string, AttributeValue>> entries_; // sorted by name
};

// A string with attribute runs. Ranges are byte offsets into the UTF-8 characters.
class AttributedString {
public:
    struct Range {
        std::size_t lower = 0;
        std::size_t upper = 0;
        bool operator==(const Range&) const = default;
    };
    struct Run {
        Range range;
        AttributeContainer attributes;
    };

    AttributedString() = default;
    explicit AttributedString(std::string text, AttributeContainer attributes = {});

    const std::string& characters() const { return text_; }
    bool empty() const { return text_.empty(); }
    // Runs cover the characters in order; neighbouring runs always differ in their attributes.
    const std::vector<Run>& runs() const { return runs_; }
    Range wholeRange() const { return {0, text_.size()}; }
    std::optional<Range> range(std::string_view of) const;
    AttributedString substring(Range range) const;
    std::string_view text(Range range) const { return std::string_view(text_).substr(range.lower, range.upper - range.lower); }

    void append(const AttributedString& other);
    AttributedString& operator+=(const AttributedString& other) { append(other); return *this; }
    friend AttributedString operator+(AttributedString a, const AttributedString& b) { a.append(b); return a; }

    // Sets (or with nullopt removes) one attribute over a range (the whole string by default).
    template <AttributeKey K>
    void set(std::optional<typename K::Value> value, std::optional<Range> range = std::nullopt) {
        AttributeContainer change;
        if (value) change.set<K>(std::move(*value));
        edit(range.value_or(wholeRange()), [&](AttributeContainer& c) {
            if (value) c.merge(change); else c.remove<K>();
        });
    }
    template <AttributeKey K>
    void remove(std::optional<Range> range = std::nullopt) { set<K>(std::nullopt, range); }
    // Replaces all attributes over the range.
    void setAttributes(const AttributeContainer& attributes, std::optional<Range> range = std::nullopt);
    // Adds the attributes over the range; the given ones win over those present.
    void mergeAttributes(const AttributeContainer& attributes, std::optional<Range> range = std::nullopt);

    bool operator==(const AttributedString& o) const;

private:
    template <class F>
    void edit(Range range, F&& change) {
        split(range.lower);
        split(range.upper);
        for (auto& run : runs_) {
            if (run.range.lower >= range.lower && run.range.upper <= range.upper) change(run.attributes);
        }
        coalesce();
    }
    void split(std::size_t at);
    void coalesce();

    std::string text_;
    std::vector<Run> runs_;
};

} // namespace glimmo
