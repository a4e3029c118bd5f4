#pragma once

// The view environment: typed values that flow down the view tree. A key is a type with `Value` and a
// static `defaultValue()`, which is built lazily, once, on first read:
//
//     struct BaseURLKey { using Value = std::optional<URL>; static Value defaultValue() { return {}; } };
//     env.get<BaseURLKey>();  view.environment<BaseURLKey>(url);
//
// Values are compared with == when their type has it (to find out which views need a new body); values
// without == always count as changed when written.

#include "platform/runtime/ErrorValue.h"
#include "platform/view/Color.h"
#include "platform/view/Font.h"
#include "platform/view/Geometry.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {

template <class K>
concept EnvironmentKey = requires {
    typename K::Value;
    { K::defaultValue() } -> std::convertible_to<typename K::Value>;
};

enum class TextAlignment : std::uint8_t { leading, center, trailing };

enum class TruncationMode : std::uint8_t { head, middle, tail };

enum class RedactionReason : std::uint8_t { placeholder };

// Thrown when a view reads an environment object that no ancestor provided.
struct MissingEnvironmentObject : std::logic_error, CopiedAcrossThreads {
    using std::logic_error::logic_error;
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

class ObservableObject;

namespace detail {
// A key's identity in an environment: the address of a variable of its own, compared as a number
// (type names would be compared character by character). Not const, so that no two keys' variables can
// be merged into one.
using EnvironmentKeyId = const void*;
template <class K>
EnvironmentKeyId environmentKeyId() {
    static char id = 0;
    return &id;
}
} // namespace detail

class EnvironmentValues {
public:
    EnvironmentValues();

    template <EnvironmentKey K>
    const typename K::Value& get() const {
        if (const auto* stored = find(detail::environmentKeyId<K>())) return static_cast<const Holder<typename K::Value>*>(stored)->value;
        static const typename K::Value fallback = K::defaultValue();
        return fallback;
    }
    // The same value, shared with this environment (and kept alive by the pointer).
    template <EnvironmentKey K>
    std::shared_ptr<const typename K::Value> shared() const {
        using Value = typename K::Value;
        if (auto stored = findShared(detail::environmentKeyId<K>())) {
            const Value* value = &static_cast<const Holder<Value>*>(stored.get())->value;
            return std::shared_ptr<const Value>(std::move(stored), value);
        }
        static const auto fallback = std::make_shared<const Value>(K::defaultValue());
        return fallback;
    }
    template <EnvironmentKey K>
    void set(typename K::Value value) {
        put(detail::environmentKeyId<K>(), std::make_shared<const Holder<typename K::Value>>(std::move(value)));
    }
    template <EnvironmentKey K, class F>
    void transform(F&& change) {
        typename K::Value v = get<K>();
        change(v);
        set<K>(std::move(v));
    }

    // Environment objects, keyed by their type.
    template <class T>
    void setObject(std::shared_ptr<T> object) {
        putObject(detail::environmentKeyId<T>(), std::static_pointer_cast<ObservableObject>(object));
    }
    template <class T>
    std::shared_ptr<T> object() const {
        auto o = findObject(detail::environmentKeyId<T>());
        return std::static_pointer_cast<T>(o);
    }

    // True when both hold equal values and the same objects.
    bool sameAs(const EnvironmentValues& other) const;

    // The platform's values.
    ColorScheme colorScheme() const;
    void setColorScheme(ColorScheme s);
    std::optional<Font> font() const;
    void setFont(std::optional<Font> f);
    std::optional<Color> foregroundColor() const;
    void setForegroundColor(std::optional<Color> c);
    std::optional<int> lineLimit() const;
    void setLineLimit(std::optional<int> n);
    TruncationMode truncationMode() const;
    TextAlignment multilineTextAlignment() const;
    CGFloat lineSpacing() const;
    CGFloat minimumScaleFactor() const;
    bool isEnabled() const;
    bool textSelectionEnabled() const;
    std::optional<RedactionReason> redactionReasons() const;

    struct HolderBase {
        virtual ~HolderBase() = default;
        virtual bool equals(const HolderBase& o) const = 0;
    };
    template <class T>
    struct Holder final : HolderBase {
        explicit Holder(T v) : value(std::move(v)) {}
        bool equals(const HolderBase& o) const override {
            if constexpr (std::equality_comparable<T>) return static_cast<const Holder&>(o).value == value;
            else return &o == this;
        }
        T value;
    };

private:
    using Key = detail::EnvironmentKeyId;
    const HolderBase* find(Key key) const;
    std::shared_ptr<const HolderBase> findShared(Key key) const;
    void put(Key key, std::shared_ptr<const HolderBase> value);
    std::shared_ptr<ObservableObject> findObject(Key type) const;
    void putObject(Key type, std::shared_ptr<ObservableObject> object);

    // Values and objects sorted by key, each list in one block.
    struct Entries {
        std::vector<std::pair<Key, std::shared_ptr<const HolderBase>>> values;
        std::vector<std::pair<Key, std::shared_ptr<ObservableObject>>> objects;
    };
    // Copy on write: environments are copied at every modifier (and kept by every node), but only
    // written ones copy the entries.
    std::shared_ptr<const Entries> entries_;
};

// The keys of the platform's values (EnvironmentValues has accessors for them).
struct ColorSchemeKey { using Value = ColorScheme; static Value defaultValue() { return ColorScheme::light; } };
struct FontKey { using Value = std::optional<Font>; static Value defaultValue() { return std::nullopt; } };
struct ForegroundColorKey { using Value = std::optional<Color>; static Value defaultValue() { return std::nullopt; } };
struct LineLimitKey { using Value = std::optional<int>; static Value defaultValue() { return std::nullopt; } };
struct TruncationModeKey { using Value = TruncationMode; static Value defaultValue() { return TruncationMode::tail; } };
struct MultilineTextAlignmentKey { using Value = TextAlignment; static Value defaultValue() { return TextAlignment::leading; } };
struct LineSpacingKey { using Value = CGFloat; static Value defaultValue() { return 0; } };
struct MinimumScaleFactorKey { using Value = CGFloat; static Value defaultValue() { return 1; } };
struct IsEnabledKey { using Value = bool; static Value defaultValue() { return true; } };
struct TextSelectionKey { using Value = bool; static Value defaultValue() { return false; } };
struct RedactionReasonsKey { using Value = std::optional<RedactionReason>; static Value defaultValue() { return std::nullopt; } };
// Font weight and italic applied to every Text below (View.bold(), View.italic(), View.fontWeight()).
struct FontWeightKey { using Value = std::optional<Font::Weight>; static Value defaultValue() { return std::nullopt; } };
struct ItalicKey { using Value = bool; static Value defaultValue() { return false; } };

} // namespace glimmo
