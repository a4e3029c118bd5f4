#include "platform/view/Environment.h"

#include "platform/runtime/Observable.h"

namespace glimmo {

// Writes copy the maps, so every empty environment can share the same two empty ones: each node holds
// an environment, and making them empty cost two allocations a node.
EnvironmentValues::EnvironmentValues() {
    static const auto noValues = std::make_shared<const std::map<std::type_index, std::shared_ptr<const HolderBase>>>();
    static const auto noObjects = std::make_shared<const std::map<std::type_index, std::shared_ptr<ObservableObject>>>();
    values_ = noValues;
    objects_ = noObjects;
}

const EnvironmentValues::HolderBase* EnvironmentValues::find(std::type_index key) const {
    auto it = values_->find(key);
    return it == values_->end() ? nullptr : it->second.get();
}

std::shared_ptr<const EnvironmentValues::HolderBase> EnvironmentValues::findShared(std::type_index key) const {
    auto it = values_->find(key);
    return it == values_->end() ? nullptr : it->second;
}

void EnvironmentValues::put(std::type_index key, std::shared_ptr<const HolderBase> value) {
    auto copy = std::make_shared<std::map<std::type_index, std::shared_ptr<const HolderBase>>>(*values_);
    (*copy)[key] = std::move(value);
    values_ = std::move(copy);
}

std::shared_ptr<ObservableObject> EnvironmentValues::findObject(std::type_index type) const {
    auto it = objects_->find(type);
    return it == objects_->end() ? nullptr : it->second;
}

void EnvironmentValues::putObject(std::type_index type, std::shared_ptr<ObservableObject> object) {
    auto copy = std::make_shared<std::map<std::type_index, std::shared_ptr<ObservableObject>>>(*objects_);
    (*copy)[type] = std::move(object);
    objects_ = std::move(copy);
}

bool EnvironmentValues::differsAt(const EnvironmentValues& other, std::type_index key) const {
    const HolderBase* a = find(key);
    const HolderBase* b = other.find(key);
    if (a == b) return false;
    if (!a || !b) return true;
    return !a->equals(*b);
}

bool EnvironmentValues::sameAs(const EnvironmentValues& other) const {
    if (values_ != other.values_) {
        if (values_->size() != other.values_->size()) return false;
        for (auto a = values_->begin(), b = other.values_->begin(); a != values_->end(); ++a, ++b) {
            if (a->first != b->first) return false;
            if (a->second != b->second && !a->second->equals(*b->second)) return false;
        }
    }
    return objects_ == other.objects_ || *objects_ == *other.objects_;
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
