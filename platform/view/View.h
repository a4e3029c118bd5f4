#pragma once

// Views are values. A view of the application is a struct with a `body()` that returns another view
// (any kit view converts to AnyView); the kit's own views are primitives. Views get the modifier
// methods by deriving from View<Self>:
//
//     struct Greeting : View<Greeting> {
//         State<int> taps{0};
//         AnyView body() const {
//             return VStack({Text("Taps: " + std::to_string(*taps)), Button("Tap", [taps = taps] { taps.set(*taps + 1); })})
//                 .padding();
//         }
//     };
//
// Closures capture the properties they use by value (a copy of a State, Binding or ObservedObject
// refers to the same storage), never `this`: the view value is replaced whenever its parent builds it
// again, as a SwiftUI view struct is.
//
// A struct with a body that does not derive from View<Self> is a view as well; wrap it in AnyView to
// apply modifiers. Every modifier returns an AnyView. A Color is a view too (it fills the space it is
// offered): AnyView(Color::red()).frame(...).

#include "platform/view/Alignment.h"
#include "platform/view/Animation.h"
#include "platform/view/AnyHashable.h"
#include "platform/view/Color.h"
#include "platform/view/Environment.h"
#include "platform/view/Font.h"
#include "platform/view/Geometry.h"
#include "platform/view/InputEvents.h"
#include "platform/view/ShapeStyle.h"
#include "platform/view/State.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <typeindex>
#include <vector>

namespace glimmo {

class AnyView;
class AnyShape;
class ViewNode;
template <class T>
class Task;
class AnyButtonStyle;
enum class AnchorSource : std::uint8_t;
template <class V>
struct Anchor;

// What a view value turns into: an immutable description that the render tree makes nodes from.
// The environment's tint (accent) colour.
struct TintKey { using Value = std::optional<Color>; static Value defaultValue() { return std::nullopt; } };

enum class ContentMode : std::uint8_t { fit, fill };

class ViewContent {
public:
    virtual ~ViewContent() = default;
    // Views of the same kind at the same place keep their node (and state) when the tree is rebuilt.
    virtual std::type_index kind() const = 0;
    virtual std::unique_ptr<ViewNode> makeNode(const std::shared_ptr<const ViewContent>& self) const = 0;
};

template <class V>
concept PrimitiveView = requires(const V& v) {
    { v.toContent() } -> std::convertible_to<std::shared_ptr<const ViewContent>>;
};

template <class V>
concept CompositeView = requires(const V& v) { v.body(); } && !PrimitiveView<V> && std::copy_constructible<V>;

// A colour used as a view fills the space it is offered.
std::shared_ptr<const ViewContent> makeColorViewContent(const Color& color);

template <class V>
concept ViewType = PrimitiveView<V> || CompositeView<V> || std::same_as<std::remove_cvref_t<V>, AnyView>;

// A user view's content: a copy of the view value; the render tree copies it again for each identity
// and binds its dynamic properties (State, ObservedObject, ...) to that identity.
class CompositeContentBase : public ViewContent {
public:
    std::unique_ptr<ViewNode> makeNode(const std::shared_ptr<const ViewContent>& self) const override;
    virtual std::unique_ptr<CompositeContentBase> cloneForInstall() const = 0;
    virtual AnyView evaluateBody() const = 0;
    // True when the body of `other` need not be evaluated again because the inputs are equal
    // (views with ==, or trivially copyable views compared bytewise).
    virtual bool hasSameInputs(const CompositeContentBase& other) const = 0;
    // Whether hasSameInputs can ever be true (the view has ==).
    virtual bool comparesInputs() const = 0;
    virtual const void* viewAddress() const = 0;
    virtual std::size_t viewSize() const = 0;
};

template <class V>
class CompositeContent final : public CompositeContentBase {
public:
    explicit CompositeContent(V v) : view(std::move(v)) {}
    std::type_index kind() const override { return typeid(V); }
    std::unique_ptr<CompositeContentBase> cloneForInstall() const override {
        return std::make_unique<CompositeContent<V>>(view);
    }
    AnyView evaluateBody() const override;
    bool hasSameInputs(const CompositeContentBase& other) const override {
        const auto& o = static_cast<const CompositeContent<V>&>(other).view;
        if constexpr (std::equality_comparable<V>) {
            return view == o;
        } else {
            return false;
        }
    }
    bool comparesInputs() const override { return std::equality_comparable<V>; }
    const void* viewAddress() const override { return &view; }
    std::size_t viewSize() const override { return sizeof(V); }
    V view;
};

// The bounds of a flexible frame: `.frame({.maxWidth = infinity, .alignment = Alignment::leading()})`.
struct FlexibleFrame {
    std::optional<CGFloat> minWidth = std::nullopt;
    std::optional<CGFloat> idealWidth = std::nullopt;
    std::optional<CGFloat> maxWidth = std::nullopt;
    std::optional<CGFloat> minHeight = std::nullopt;
    std::optional<CGFloat> idealHeight = std::nullopt;
    std::optional<CGFloat> maxHeight = std::nullopt;
    Alignment alignment = Alignment::center();
};

// Modifiers, available on every view that derives from View<Self>. Each returns an AnyView.
template <class Self>
class View {
public:
    // Layout.
    AnyView padding(std::optional<CGFloat> length = std::nullopt) const;
    AnyView padding(EdgeSet edges, std::optional<CGFloat> length = std::nullopt) const;
    AnyView padding(EdgeInsets insets) const;
    AnyView frame(std::optional<CGFloat> width, std::optional<CGFloat> height = std::nullopt,
                  Alignment alignment = Alignment::center()) const;
    // One frame type for every view, so a FlexibleFrame value can be passed to any view's frame.
    using FlexibleFrame = glimmo::FlexibleFrame;
    AnyView frame(const FlexibleFrame& f) const;
    AnyView fixedSize(bool horizontal = true, bool vertical = true) const;
    // Sizes the view to `ratio` (width / height; the view's own ideal ratio when absent), fitting inside
    // or filling the offered space.
    AnyView aspectRatio(std::optional<CGFloat> ratio, ContentMode mode) const;
    AnyView scaledToFit() const;
    AnyView scaledToFill() const;
    AnyView layoutPriority(double priority) const;
    AnyView offset(CGFloat x, CGFloat y) const;
    AnyView offset(CGSize size) const;
    AnyView alignmentGuide(HorizontalAlignment g, std::function<CGFloat(const ViewDimensions&)> value) const;
    AnyView alignmentGuide(VerticalAlignment g, std::function<CGFloat(const ViewDimensions&)> value) const;
    AnyView background(const AnyView& view, Alignment alignment = Alignment::center()) const;
    AnyView background(const AnyShapeStyle& style) const;
    AnyView background(const Color& color) const;
    AnyView background(const AnyShapeStyle& style, const AnyShape& shape) const;
    AnyView overlay(const AnyView& view, Alignment alignment = Alignment::center()) const;
    AnyView overlay(const AnyShapeStyle& style) const;
    AnyView overlay(const Color& color) const;
    AnyView overlay(const AnyShapeStyle& style, const AnyShape& shape) const;
    // The window has no safe area to respect (no notch or home indicator); the view is unchanged.
    AnyView ignoresSafeArea() const;
    AnyView gridColumnAlignment(HorizontalAlignment a) const;
    AnyView coordinateSpace(std::string name) const;

    // Drawing.
    AnyView foregroundColor(std::optional<Color> color) const;
    AnyView foregroundStyle(const AnyShapeStyle& style) const;
    AnyView tint(std::optional<Color> color) const;
    AnyView opacity(double value) const;
    AnyView clipShape(const AnyShape& shape) const;
    AnyView clipped() const;
    AnyView cornerRadius(CGFloat radius) const;
    AnyView scaleEffect(CGFloat scale, UnitPoint anchor = UnitPoint::center()) const;
    AnyView scaleEffect(CGSize scale, UnitPoint anchor = UnitPoint::center()) const;
    AnyView rotationEffect(Angle angle, UnitPoint anchor = UnitPoint::center()) const;
    AnyView contentShape(const AnyShape& shape) const;
    AnyView hidden() const;
    AnyView redacted(std::optional<RedactionReason> reason) const;
    AnyView accessibilityLabel(std::string label) const;
    // A shadow of the view's drawing below it, blurred by `radius` and moved by (x, y).
    AnyView shadow(CGFloat radius) const;
    AnyView shadow(const Color& color, CGFloat radius, CGFloat x = 0, CGFloat y = 0) const;

    // Text and environment.
    AnyView font(std::optional<Font> font) const;
    AnyView fontWeight(std::optional<Font::Weight> weight) const;
    AnyView bold(bool active = true) const;
    AnyView italic(bool active = true) const;
    AnyView lineLimit(std::optional<int> limit) const;
    AnyView truncationMode(TruncationMode mode) const;
    AnyView multilineTextAlignment(TextAlignment alignment) const;
    AnyView lineSpacing(CGFloat spacing) const;
    AnyView minimumScaleFactor(CGFloat factor) const;
    AnyView textSelection(bool enabled) const;
    AnyView disabled(bool disabled) const;
    AnyView colorScheme(ColorScheme scheme) const;
    AnyView environment(std::function<void(EnvironmentValues&)> write) const;
    template <EnvironmentKey K>
    AnyView environment(typename K::Value value) const;
    template <EnvironmentKey K>
    AnyView transformEnvironment(std::function<void(typename K::Value&)> change) const;
    template <class T>
    AnyView environmentObject(std::shared_ptr<T> object) const;

    // Identity.
    AnyView id(AnyHashable id) const;
    // Skips re-evaluating the body while the view compares equal to the previous one.
    AnyView equatable() const;

    // Interaction.
    AnyView onTapGesture(std::function<void()> action) const;
    AnyView onTapGesture(int count, std::function<void()> action) const;
    AnyView onHover(std::function<void(bool)> action) const;
    AnyView help(std::string text) const;
    AnyView buttonStyle(const AnyButtonStyle& style) const;
    AnyView focusable(bool focusable = true) const;
    AnyView focused(Binding<bool> condition) const;
    // Key presses while this view (or a view inside it) has focus; return true when handled.
    AnyView onKeyPress(std::function<bool(const KeyEvent&)> action) const;

    // Lifecycle.
    AnyView onAppear(std::function<void()> action) const;
    AnyView onDisappear(std::function<void()> action) const;
    // Called after an update in which `value` changed, with the old and the new value (not for the
    // initial value).
    template <std::equality_comparable T>
    AnyView onChange(T value, std::type_identity_t<std::function<void(const T& oldValue, const T& newValue)>> action) const;
    template <std::equality_comparable T>
    AnyView onChange(T value, std::type_identity_t<std::function<void()>> action) const;
    enum class TaskPriority : std::uint8_t { background, utility, low, medium, high, userInitiated };
    // Starts the task when the view appears and cancels it when the view disappears.
    AnyView task(std::function<Task<void>()> action, TaskPriority priority = TaskPriority::userInitiated) const;
    // As above, and restarts it (cancelling the running one) whenever `id` changes. An empty action
    // starts nothing (a view that knows its task would do nothing for this id); the running one is
    // still cancelled.
    AnyView task(AnyHashable id, std::function<Task<void>()> action,
                 TaskPriority priority = TaskPriority::userInitiated) const;
    AnyView animation(std::optional<Animation> animation, AnyHashable value) const;
    AnyView transaction(std::function<void(Transaction&)> change) const;

    // Preferences (see Preferences.h for keys and anchors).
    template <class K>
    AnyView preference(typename K::Value value) const;
    template <class K>
    AnyView transformPreference(std::function<void(typename K::Value&)> change) const;
    template <class K>
    AnyView onPreferenceChange(std::function<void(const typename K::Value&)> action) const;
    template <class K>
    AnyView anchorPreference(AnchorSource source, std::function<typename K::Value(Anchor<CGRect>)> transform) const;
    template <class K>
    AnyView backgroundPreferenceValue(std::function<AnyView(const typename K::Value&)> build) const;
    template <class K>
    AnyView overlayPreferenceValue(std::function<AnyView(const typename K::Value&)> build) const;

protected:
    AnyView erased() const;
};

// A type-erased view. Any view converts to it.
class AnyView : public View<AnyView> {
public:
    AnyView();
    explicit AnyView(std::shared_ptr<const ViewContent> content) : content_(std::move(content)) {}
    template <class V>
        requires(!std::same_as<std::remove_cvref_t<V>, AnyView> &&
                 (PrimitiveView<std::remove_cvref_t<V>> || CompositeView<std::remove_cvref_t<V>> ||
                  std::same_as<std::remove_cvref_t<V>, Color>))
    AnyView(V&& view) { // NOLINT: every view converts implicitly
        using T = std::remove_cvref_t<V>;
        if constexpr (std::same_as<T, Color>) {
            content_ = makeColorViewContent(view);
        } else if constexpr (PrimitiveView<T>) {
            content_ = view.toContent();
        } else {
            content_ = std::make_shared<const CompositeContent<T>>(std::forward<V>(view));
        }
    }
    const std::shared_ptr<const ViewContent>& content() const { return content_; }
    std::shared_ptr<const ViewContent> toContent() const { return content_; }

private:
    std::shared_ptr<const ViewContent> content_;
};

template <class V>
AnyView CompositeContent<V>::evaluateBody() const {
    return AnyView(view.body());
}

template <class Self>
AnyView View<Self>::erased() const {
    return AnyView(static_cast<const Self&>(*this));
}

// The non-template halves of the modifiers (defined with the nodes that implement them).
namespace modifiers {
AnyView padding(AnyView v, EdgeSet edges, std::optional<CGFloat> length);
AnyView padding(AnyView v, EdgeInsets insets);
AnyView frame(AnyView v, std::optional<CGFloat> width, std::optional<CGFloat> height, Alignment alignment);
AnyView flexibleFrame(AnyView v, std::optional<CGFloat> minW, std::optional<CGFloat> idealW, std::optional<CGFloat> maxW,
                      std::optional<CGFloat> minH, std::optional<CGFloat> idealH, std::optional<CGFloat> maxH, Alignment a);
AnyView fixedSize(AnyView v, bool horizontal, bool vertical);
AnyView aspectRatio(AnyView v, std::optional<CGFloat> ratio, ContentMode mode);
AnyView layoutPriority(AnyView v, double priority);
AnyView offset(AnyView v, CGFloat x, CGFloat y);
AnyView alignmentGuide(AnyView v, const AlignmentID* id, bool horizontal, std::function<CGFloat(const ViewDimensions&)> value);
AnyView background(AnyView v, AnyView background, Alignment alignment);
AnyView overlay(AnyView v, AnyView overlay, Alignment alignment);
AnyView styleLayer(AnyView v, AnyShapeStyle style, const AnyShape* shape, bool overlay);
AnyView gridColumnAlignment(AnyView v, HorizontalAlignment a);
AnyView coordinateSpace(AnyView v, std::string name);
AnyView foregroundStyle(AnyView v, std::optional<AnyShapeStyle> style);
AnyView opacity(AnyView v, double value);
AnyView clipShape(AnyView v, const AnyShape& shape);
AnyView clipped(AnyView v);
AnyView cornerRadius(AnyView v, CGFloat radius);
AnyView transformEffect(AnyView v, CGSize scale, Angle rotation, UnitPoint anchor);
AnyView contentShape(AnyView v, const AnyShape& shape);
AnyView hidden(AnyView v);
AnyView accessibilityLabel(AnyView v, std::string label);
AnyView shadow(AnyView v, const Color& color, CGFloat radius, CGSize offset);
AnyView environment(AnyView v, std::function<void(EnvironmentValues&)> write);
AnyView id(AnyView v, AnyHashable id);
AnyView equatable(AnyView v);
AnyView onTapGesture(AnyView v, int count, std::function<void()> action);
AnyView onHover(AnyView v, std::function<void(bool)> action);
AnyView help(AnyView v, std::string text);
AnyView buttonStyle(AnyView v, const AnyButtonStyle& style);
AnyView focusable(AnyView v, bool focusable);
AnyView focused(AnyView v, Binding<bool> condition);
AnyView onKeyPress(AnyView v, std::function<bool(const KeyEvent&)> action);
AnyView onAppear(AnyView v, std::function<void()> action);
AnyView onDisappear(AnyView v, std::function<void()> action);
AnyView onChange(AnyView v, AnyHashable value, std::function<void(const AnyHashable&, const AnyHashable&)> action);
AnyView task(AnyView v, AnyHashable id, std::function<Task<void>()> action, int priority);
AnyView animation(AnyView v, std::optional<Animation> animation, AnyHashable value);
AnyView transaction(AnyView v, std::function<void(Transaction&)> change);
} // namespace modifiers

template <class S> AnyView View<S>::padding(std::optional<CGFloat> l) const { return modifiers::padding(erased(), EdgeSet::all(), l); }
template <class S> AnyView View<S>::padding(EdgeSet e, std::optional<CGFloat> l) const { return modifiers::padding(erased(), e, l); }
template <class S> AnyView View<S>::padding(EdgeInsets i) const { return modifiers::padding(erased(), i); }
template <class S> AnyView View<S>::frame(std::optional<CGFloat> w, std::optional<CGFloat> h, Alignment a) const { return modifiers::frame(erased(), w, h, a); }
template <class S> AnyView View<S>::frame(const FlexibleFrame& f) const {
    return modifiers::flexibleFrame(erased(), f.minWidth, f.idealWidth, f.maxWidth, f.minHeight, f.idealHeight, f.maxHeight, f.alignment);
}
template <class S> AnyView View<S>::offset(CGSize size) const { return offset(size.width, size.height); }
template <class S> AnyView View<S>::onTapGesture(std::function<void()> a) const { return onTapGesture(1, std::move(a)); }
template <class S>
template <EnvironmentKey K>
AnyView View<S>::environment(typename K::Value value) const {
    return environment([value = std::move(value)](EnvironmentValues& e) { e.set<K>(value); });
}
template <class S>
template <EnvironmentKey K>
AnyView View<S>::transformEnvironment(std::function<void(typename K::Value&)> change) const {
    return environment([change = std::move(change)](EnvironmentValues& e) { e.transform<K>(change); });
}
template <class S>
template <class T>
AnyView View<S>::environmentObject(std::shared_ptr<T> object) const {
    return environment([object = std::move(object)](EnvironmentValues& e) { e.setObject<T>(object); });
}
template <class S>
template <std::equality_comparable T>
AnyView View<S>::onChange(T value, std::type_identity_t<std::function<void()>> action) const {
    return onChange<T>(std::move(value), [action = std::move(action)](const T&, const T&) { action(); });
}
template <class S> AnyView View<S>::fixedSize(bool h, bool v) const { return modifiers::fixedSize(erased(), h, v); }
template <class S> AnyView View<S>::aspectRatio(std::optional<CGFloat> r, ContentMode m) const { return modifiers::aspectRatio(erased(), r, m); }
template <class S> AnyView View<S>::scaledToFit() const { return modifiers::aspectRatio(erased(), std::nullopt, ContentMode::fit); }
template <class S> AnyView View<S>::scaledToFill() const { return modifiers::aspectRatio(erased(), std::nullopt, ContentMode::fill); }
template <class S> AnyView View<S>::layoutPriority(double p) const { return modifiers::layoutPriority(erased(), p); }
template <class S> AnyView View<S>::offset(CGFloat x, CGFloat y) const { return modifiers::offset(erased(), x, y); }
template <class S> AnyView View<S>::alignmentGuide(HorizontalAlignment g, std::function<CGFloat(const ViewDimensions&)> f) const { return modifiers::alignmentGuide(erased(), g.id, true, std::move(f)); }
template <class S> AnyView View<S>::alignmentGuide(VerticalAlignment g, std::function<CGFloat(const ViewDimensions&)> f) const { return modifiers::alignmentGuide(erased(), g.id, false, std::move(f)); }
template <class S> AnyView View<S>::background(const AnyView& b, Alignment a) const { return modifiers::background(erased(), b, a); }
template <class S> AnyView View<S>::background(const AnyShapeStyle& s) const { return modifiers::styleLayer(erased(), s, nullptr, false); }
template <class S> AnyView View<S>::background(const AnyShapeStyle& s, const AnyShape& shape) const { return modifiers::styleLayer(erased(), s, &shape, false); }
template <class S> AnyView View<S>::background(const Color& c) const { return modifiers::styleLayer(erased(), c, nullptr, false); }
template <class S> AnyView View<S>::overlay(const Color& c) const { return modifiers::styleLayer(erased(), c, nullptr, true); }
template <class S> AnyView View<S>::overlay(const AnyView& o, Alignment a) const { return modifiers::overlay(erased(), o, a); }
template <class S> AnyView View<S>::overlay(const AnyShapeStyle& s) const { return modifiers::styleLayer(erased(), s, nullptr, true); }
template <class S> AnyView View<S>::ignoresSafeArea() const { return erased(); }
template <class S> AnyView View<S>::overlay(const AnyShapeStyle& s, const AnyShape& shape) const { return modifiers::styleLayer(erased(), s, &shape, true); }
template <class S> AnyView View<S>::gridColumnAlignment(HorizontalAlignment a) const { return modifiers::gridColumnAlignment(erased(), a); }
template <class S> AnyView View<S>::coordinateSpace(std::string n) const { return modifiers::coordinateSpace(erased(), std::move(n)); }
template <class S> AnyView View<S>::foregroundColor(std::optional<Color> c) const {
    return modifiers::foregroundStyle(erased(), c ? std::optional<AnyShapeStyle>(*c) : std::nullopt);
}
template <class S> AnyView View<S>::foregroundStyle(const AnyShapeStyle& s) const { return modifiers::foregroundStyle(erased(), s); }
template <class S> AnyView View<S>::tint(std::optional<Color> c) const {
    return modifiers::environment(erased(), [c](EnvironmentValues& e) { e.set<TintKey>(c); });
}
template <class S> AnyView View<S>::opacity(double v) const { return modifiers::opacity(erased(), v); }
template <class S> AnyView View<S>::clipShape(const AnyShape& s) const { return modifiers::clipShape(erased(), s); }
template <class S> AnyView View<S>::clipped() const { return modifiers::clipped(erased()); }
template <class S> AnyView View<S>::cornerRadius(CGFloat r) const { return modifiers::cornerRadius(erased(), r); }
template <class S> AnyView View<S>::scaleEffect(CGFloat s, UnitPoint a) const { return modifiers::transformEffect(erased(), {s, s}, {}, a); }
template <class S> AnyView View<S>::scaleEffect(CGSize s, UnitPoint a) const { return modifiers::transformEffect(erased(), s, {}, a); }
template <class S> AnyView View<S>::rotationEffect(Angle r, UnitPoint a) const { return modifiers::transformEffect(erased(), {1, 1}, r, a); }
template <class S> AnyView View<S>::contentShape(const AnyShape& s) const { return modifiers::contentShape(erased(), s); }
template <class S> AnyView View<S>::hidden() const { return modifiers::hidden(erased()); }
template <class S> AnyView View<S>::redacted(std::optional<RedactionReason> r) const {
    return modifiers::environment(erased(), [r](EnvironmentValues& e) { e.set<RedactionReasonsKey>(r); });
}
template <class S> AnyView View<S>::accessibilityLabel(std::string l) const { return modifiers::accessibilityLabel(erased(), std::move(l)); }
template <class S> AnyView View<S>::shadow(CGFloat r) const { return modifiers::shadow(erased(), Color::black().opacity(0.33), r, {0, 0}); }
template <class S> AnyView View<S>::shadow(const Color& c, CGFloat r, CGFloat x, CGFloat y) const { return modifiers::shadow(erased(), c, r, {x, y}); }
template <class S> AnyView View<S>::font(std::optional<Font> f) const {
    return modifiers::environment(erased(), [f](EnvironmentValues& e) { e.setFont(f); });
}
template <class S> AnyView View<S>::fontWeight(std::optional<Font::Weight> w) const {
    return modifiers::environment(erased(), [w](EnvironmentValues& e) { e.set<FontWeightKey>(w); });
}
template <class S> AnyView View<S>::bold(bool on) const {
    return on ? fontWeight(Font::Weight::bold()) : fontWeight(std::nullopt);
}
template <class S> AnyView View<S>::italic(bool on) const {
    return modifiers::environment(erased(), [on](EnvironmentValues& e) { e.set<ItalicKey>(on); });
}
template <class S> AnyView View<S>::lineLimit(std::optional<int> n) const {
    return modifiers::environment(erased(), [n](EnvironmentValues& e) { e.setLineLimit(n); });
}
template <class S> AnyView View<S>::truncationMode(TruncationMode m) const {
    return modifiers::environment(erased(), [m](EnvironmentValues& e) { e.set<TruncationModeKey>(m); });
}
template <class S> AnyView View<S>::multilineTextAlignment(TextAlignment a) const {
    return modifiers::environment(erased(), [a](EnvironmentValues& e) { e.set<MultilineTextAlignmentKey>(a); });
}
template <class S> AnyView View<S>::lineSpacing(CGFloat s) const {
    return modifiers::environment(erased(), [s](EnvironmentValues& e) { e.set<LineSpacingKey>(s); });
}
template <class S> AnyView View<S>::minimumScaleFactor(CGFloat f) const {
    return modifiers::environment(erased(), [f](EnvironmentValues& e) { e.set<MinimumScaleFactorKey>(f); });
}
template <class S> AnyView View<S>::textSelection(bool on) const {
    return modifiers::environment(erased(), [on](EnvironmentValues& e) { e.set<TextSelectionKey>(on); });
}
template <class S> AnyView View<S>::disabled(bool d) const {
    // Disabling is cumulative: a view inside a disabled view stays disabled.
    return modifiers::environment(erased(), [d](EnvironmentValues& e) { if (d) e.set<IsEnabledKey>(false); });
}
template <class S> AnyView View<S>::colorScheme(ColorScheme s) const {
    return modifiers::environment(erased(), [s](EnvironmentValues& e) { e.setColorScheme(s); });
}
template <class S> AnyView View<S>::environment(std::function<void(EnvironmentValues&)> w) const { return modifiers::environment(erased(), std::move(w)); }
template <class S> AnyView View<S>::id(AnyHashable i) const { return modifiers::id(erased(), std::move(i)); }
template <class S> AnyView View<S>::equatable() const { return modifiers::equatable(erased()); }
template <class S> AnyView View<S>::onTapGesture(int c, std::function<void()> a) const { return modifiers::onTapGesture(erased(), c, std::move(a)); }
template <class S> AnyView View<S>::onHover(std::function<void(bool)> a) const { return modifiers::onHover(erased(), std::move(a)); }
template <class S> AnyView View<S>::help(std::string t) const { return modifiers::help(erased(), std::move(t)); }
template <class S> AnyView View<S>::buttonStyle(const AnyButtonStyle& s) const { return modifiers::buttonStyle(erased(), s); }
template <class S> AnyView View<S>::focusable(bool f) const { return modifiers::focusable(erased(), f); }
template <class S> AnyView View<S>::focused(Binding<bool> c) const { return modifiers::focused(erased(), std::move(c)); }
template <class S> AnyView View<S>::onKeyPress(std::function<bool(const KeyEvent&)> a) const { return modifiers::onKeyPress(erased(), std::move(a)); }
template <class S> AnyView View<S>::onAppear(std::function<void()> a) const { return modifiers::onAppear(erased(), std::move(a)); }
template <class S> AnyView View<S>::onDisappear(std::function<void()> a) const { return modifiers::onDisappear(erased(), std::move(a)); }
template <class S>
template <std::equality_comparable T>
AnyView View<S>::onChange(T value, std::type_identity_t<std::function<void(const T&, const T&)>> action) const {
    return modifiers::onChange(erased(), AnyHashable(std::move(value)),
                               [action = std::move(action)](const AnyHashable& o, const AnyHashable& n) {
                                   action(*o.get<T>(), *n.get<T>());
                               });
}
template <class S> AnyView View<S>::task(std::function<Task<void>()> a, TaskPriority p) const {
    return modifiers::task(erased(), AnyHashable(), std::move(a), static_cast<int>(p));
}
template <class S> AnyView View<S>::task(AnyHashable i, std::function<Task<void>()> a, TaskPriority p) const {
    return modifiers::task(erased(), std::move(i), std::move(a), static_cast<int>(p));
}
template <class S> AnyView View<S>::animation(std::optional<Animation> a, AnyHashable v) const { return modifiers::animation(erased(), a, std::move(v)); }
template <class S> AnyView View<S>::transaction(std::function<void(Transaction&)> c) const { return modifiers::transaction(erased(), std::move(c)); }

} // namespace glimmo
