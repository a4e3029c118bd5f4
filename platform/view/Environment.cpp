#include "platform/view/Environment.h"

#include "platform/runtime/Observable.h"

#include <algorithm>

namespace glimmo {

namespace {

template <class List>
auto lowerBound(List& list, const void* key) {
    return std::lower_bound(list.begin(), list.end(), key, [](const auto& entry, const void* k) { return entry.first < k; });
}

template <class List>
auto found(const List& list, const void* key) -> decltype(list.begin()->second) {
    const auto it = lowerBound(list, key);
    if (it == list.end() || it->first != key) return nullptr;
    return it->second;
}

// A copy of `list` with `key` set to `value`, made in one allocation.
template <class List, class Value>
List withEntry(const List& list, const void* key, Value value) {
    List out;
    out.reserve(list.size() + 1);
    const auto at = lowerBound(list, key);
    out.insert(out.end(), list.begin(), at);
    out.emplace_back(key, std::move(value));
    out.insert(out.end(), at != list.end() && at->first == key ? at + 1 : at, list.end());
    return out;
}

} // namespace

// Writes copy the entries, so every empty environment can share the same empty ones: each node holds
// an environment.
EnvironmentValues::EnvironmentValues() {
    static const auto none = std::make_shared<const Entries>();
    entries_ = none;
}

const EnvironmentValues::HolderBase* EnvironmentValues::find(Key key) const { return found(entries_->values, key).get(); }

std::shared_ptr<const EnvironmentValues::HolderBase> EnvironmentValues::findShared(Key key) const {
    return found(entries_->values, key);
}

void EnvironmentValues::put(Key key, std::shared_ptr<const HolderBase> value) {
    entries_ = std::make_shared<const Entries>(Entries{withEntry(entries_->values, key, std::move(value)), entries_->objects});
}

std::shared_ptr<ObservableObject> EnvironmentValues::findObject(Key type) const { return found(entries_->objects, type); }

void EnvironmentValues::putObject(Key type, std::shared_ptr<ObservableObject> object) {
    entries_ = std::make_shared<const Entries>(Entries{entries_->values, withEntry(entries_->objects, type, std::move(object))});
}

bool EnvironmentValues::sameAs(const EnvironmentValues& other) const {
    if (entries_ == other.entries_) return true;
    const auto& a = entries_->values;
    const auto& b = other.entries_->values;
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].first != b[i].first) return false;
        if (a[i].second != b[i].second && !a[i].second->equals(*b[i].second)) return false;
    }
    return entries_->objects == other.entries_->objects;
}

ColorScheme EnvironmentValues::colorScheme() const { return get<ColorSchemeKey>(); }
void EnvironmentValues::setColorScheme(ColorScheme s) { set<ColorSchemeKey>(s); }
std::optional<Font> EnvironmentValues::font() const { return get<FontKey>(); }
void EnvironmentValues::setFont(std::optional<Font> f) { set<FontKey>(std::move(f)); }
std::optional<Color> EnvironmentValues::foregroundColor() const { return get<ForegroundColorKey>(); }
void EnvironmentValues::setForegroundColor(std::optional<Color> c) { set<ForegroundColorKey>(std::move(c)); }
std::optional<int> EnvironmentValues::lineLimit() const { return get<LineLimitKey>(); }
void EnvironmentValues::setLineLimit(std::optional<int> n) { set<LineLimitKey>(n); }
TruncationMode EnvironmentValues::truncationMode() const { return get<TruncationModeKey>(); }
TextAlignment EnvironmentValues::multilineTextAlignment() const { return get<MultilineTextAlignmentKey>(); }
CGFloat EnvironmentValues::lineSpacing() const { return get<LineSpacingKey>(); }
CGFloat EnvironmentValues::minimumScaleFactor() const { return get<MinimumScaleFactorKey>(); }
bool EnvironmentValues::isEnabled() const { return get<IsEnabledKey>(); }
bool EnvironmentValues::textSelectionEnabled() const { return get<TextSelectionKey>(); }
std::optional<RedactionReason> EnvironmentValues::redactionReasons() const { return get<RedactionReasonsKey>(); }

} // namespace glimmo
