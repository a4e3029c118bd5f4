// The generator's kinds of modifiers: each wraps one view.

#include "KitGenerator.h"

#include "platform/view/Controls/Controls.h"
#include "platform/view/ViewKit.h"

#include <utility>

namespace glimmo::testing::kit {
namespace {

// A control's style, one of three by the knob's value, set for every control inside.
template <class Style>
Kind styleModifier(const char* name, AnyView (*apply)(AnyView, Style)) {
    return modifier(name, [apply](AnyView v, int n) { return apply(std::move(v), static_cast<Style>(n % 3)); });
}

} // namespace

std::vector<Kind> modifierKinds() {
    return {
        modifier("padding", draws(below(3)), [](int pick, AnyView v, int n) {
            if (pick == 0) return v.padding(small(n, 0));
            if (pick == 1) return v.padding(EdgeSet::horizontal(), small(n, 1));
            return v.padding(EdgeInsets{1, small(n, 2), 3, 0});
        }),
        modifier("frame", draws(below(3), alignment), [](int pick, Alignment a, AnyView v, int n) {
            if (pick == 0) return v.frame(small(n, 20), small(n, 10), a);
            if (pick == 1) return v.frame(small(n, 30), std::nullopt, a);
            return v.frame(std::nullopt, small(n, 12), a);
        }),
        modifier("flexible frame", draws(below(4), alignment), [](int pick, Alignment a, AnyView v, int n) {
            switch (pick) {
            case 0: return v.frame({.maxWidth = infinity, .alignment = a});
            case 1: return v.frame({.minWidth = small(n, 10), .maxHeight = infinity, .alignment = a});
            case 2: return v.frame({.idealWidth = small(n, 40), .minHeight = 5, .maxHeight = 30, .alignment = a});
            default: return v.frame({.maxWidth = small(n, 50), .idealHeight = 20, .alignment = a});
            }
        }),
        modifier("fixedSize", draws(below(3)), [](int pick, AnyView v, int) { return v.fixedSize(pick != 1, pick != 0); }),
        modifier("aspectRatio", draws(chance(50), chance(60)), [](bool fill, bool given, AnyView v, int n) {
            const std::optional<CGFloat> ratio = given ? std::optional<CGFloat>(0.5 + n % 3 * 0.5) : std::nullopt;
            return v.aspectRatio(ratio, fill ? ContentMode::fill : ContentMode::fit);
        }),
        modifier("scaledToFit", [](AnyView v, int) { return v.scaledToFit(); }),
        modifier("scaledToFill", [](AnyView v, int) { return v.scaledToFill(); }),
        modifier("layoutPriority", [](AnyView v, int n) { return v.layoutPriority(n % 3); }),
        modifier("offset", [](AnyView v, int n) { return v.offset(small(n, -3), 2); }),
        modifier("alignmentGuide", draws(chance(50)), [](bool horizontal, AnyView v, int n) {
            const CGFloat shift = small(n, 0);
            if (horizontal) {
                return v.alignmentGuide(HorizontalAlignment::leading(), [shift](const auto& d) { return d.width() / 2 + shift; });
            }
            return v.alignmentGuide(VerticalAlignment::top(), [shift](const auto& d) { return d.height() - shift; });
        }),
        modifier("background", draws(alignment, color), [](Alignment a, Color c, AnyView v, int n) {
            return v.background(Rectangle().fill(c).frame(small(n, 6), 6), a);
        }),
        modifier("background style", draws(below(3), color, shape), [](int pick, Color c, const AnyShape& sh, AnyView v, int) {
            if (pick == 0) return v.background(c);
            if (pick == 1) return v.background(AnyShapeStyle(Material::thinMaterial));
            return v.background(AnyShapeStyle(c), sh);
        }),
        modifier("overlay", draws(alignment), [](Alignment a, AnyView v, int n) { return v.overlay(Text(std::to_string(n)), a); }),
        modifier("overlay style", draws(below(3), color, shape), [](int pick, Color c, const AnyShape& sh, AnyView v, int) {
            if (pick == 0) return v.overlay(c.opacity(0.3));
            if (pick == 1) return v.overlay(AnyShapeStyle(LinearGradient{Gradient::colors({Color::red(), Color::blue()})}));
            return v.overlay(AnyShapeStyle(c), sh);
        }),
        modifier("ignoresSafeArea", [](AnyView v, int) { return v.ignoresSafeArea(); }),
        modifier("gridColumnAlignment", [](AnyView v, int n) {
            return v.gridColumnAlignment(n % 2 ? HorizontalAlignment::trailing() : HorizontalAlignment::leading());
        }),
        modifier("coordinateSpace", [](AnyView v, int) { return v.coordinateSpace("space"); }),
        modifier("foregroundColor", draws(color), [](Color c, AnyView v, int) { return v.foregroundColor(c); }),
        modifier("foregroundStyle", [](AnyView v, int n) {
            return v.foregroundStyle(n % 2 ? AnyShapeStyle(HierarchicalShapeStyle::secondary) : AnyShapeStyle(Color::purple()));
        }),
        modifier("tint", draws(color), [](Color c, AnyView v, int) { return v.tint(c); }),
        modifier("opacity", [](AnyView v, int n) { return v.opacity(n % 3 == 0 ? 1 : 0.5); }),
        modifier("clipShape", draws(shape), [](const AnyShape& sh, AnyView v, int) { return v.clipShape(sh); }),
        modifier("clipped", [](AnyView v, int) { return v.clipped(); }),
        modifier("cornerRadius", [](AnyView v, int n) { return v.cornerRadius(small(n, 2)); }),
        modifier("scaleEffect", [](AnyView v, int n) { return v.scaleEffect(1 + n % 3 * 0.25, UnitPoint::topLeading()); }),
        modifier("rotationEffect", [](AnyView v, int n) { return v.rotationEffect(Angle::degrees(n * 10)); }),
        modifier("contentShape", draws(shape), [](const AnyShape& sh, AnyView v, int) { return v.contentShape(sh); }),
        modifier("hidden", [](AnyView v, int) { return v.hidden(); }),
        modifier("redacted", [](AnyView v, int n) {
            return v.redacted(n % 2 ? std::optional(RedactionReason::placeholder) : std::nullopt);
        }),
        modifier("accessibilityLabel", [](AnyView v, int) { return v.accessibilityLabel("labelled"); }),
        modifier("shadow", [](AnyView v, int n) { return n % 2 ? v.shadow(3) : v.shadow(Color::red(), 2, 1, 1); }),
        modifier("font", [](AnyView v, int n) { return v.font(n % 2 ? Font::title() : Font::system(9)); }),
        modifier("fontWeight", [](AnyView v, int) { return v.fontWeight(Font::Weight::semibold()); }),
        modifier("bold", [](AnyView v, int n) { return v.bold(n % 2 == 0); }),
        modifier("italic", [](AnyView v, int) { return v.italic(); }),
        modifier("lineLimit", [](AnyView v, int n) { return v.lineLimit(n % 3 == 0 ? std::nullopt : std::optional<int>(n % 3)); }),
        modifier("truncationMode", [](AnyView v, int n) { return v.truncationMode(static_cast<TruncationMode>(n % 3)); }),
        modifier("multilineTextAlignment", [](AnyView v, int n) { return v.multilineTextAlignment(static_cast<TextAlignment>(n % 3)); }),
        modifier("lineSpacing", [](AnyView v, int n) { return v.lineSpacing(n % 3); }),
        modifier("minimumScaleFactor", [](AnyView v, int) { return v.minimumScaleFactor(0.5); }),
        modifier("textSelection", [](AnyView v, int) { return v.textSelection(true); }),
        modifier("disabled", [](AnyView v, int n) { return v.disabled(n % 2 == 1); }),
        modifier("colorScheme", [](AnyView v, int n) { return v.colorScheme(n % 2 ? ColorScheme::dark : ColorScheme::light); }),
        modifier("environment", [](AnyView v, int n) { return v.environment<ShadeKey>(n % 4); }),
        modifier("transformEnvironment", [](AnyView v, int) { return v.transformEnvironment<ShadeKey>([](int& shade) { shade += 1; }); }),
        modifier("labelsHidden", [](AnyView v, int) { return labelsHidden(std::move(v)); }),
        styleModifier("toggleStyle", &toggleStyle),
        styleModifier("pickerStyle", &pickerStyle),
        styleModifier("textFieldStyle", &textFieldStyle),
        styleModifier("progressViewStyle", &progressViewStyle),
        modifier("onSubmit", [](AnyView v, int) { return onSubmit(std::move(v), [] {}); }),
        modifier("buttonStyle", [](AnyView v, int n) {
            static const AnyButtonStyle styles[] = {AnyButtonStyle::bordered(), AnyButtonStyle::borderless(), AnyButtonStyle::plain()};
            return v.buttonStyle(styles[n % 3]);
        }),
        modifier("id", [](AnyView v, int n) { return v.id(AnyHashable(n % 3)); }),
        // The actions below change nothing that is drawn, as a new window could not know it.
        modifier("onTapGesture", [](AnyView v, int) { return v.onTapGesture([] {}); }),
        modifier("onHover", [](AnyView v, int) { return v.onHover([](bool) {}); }),
        modifier("help", [](AnyView v, int) { return v.help("help"); }),
        modifier("focusable", [](AnyView v, int) { return v.focusable(); }),
        modifier("focused", [](AnyView v, int) { return v.focused(Binding<bool>([] { return false; }, [](bool) {})); }),
        modifier("onKeyPress", [](AnyView v, int) { return v.onKeyPress([](const KeyEvent&) { return false; }); }),
        modifier("onAppear", [](AnyView v, int) { return v.onAppear([] {}); }),
        modifier("onDisappear", [](AnyView v, int) { return v.onDisappear([] {}); }),
        modifier("onChange", [](AnyView v, int n) { return v.onChange<int>(n, [] {}); }),
        modifier("task", [](AnyView v, int n) { return v.task(AnyHashable(n), {}); }),
        modifier("animation", [](AnyView v, int n) { return v.animation(std::nullopt, AnyHashable(n)); }),
        modifier("transaction", [](AnyView v, int) { return v.transaction([](Transaction& t) { t.disablesAnimations = true; }); }),
        modifier("preference", [](AnyView v, int n) { return v.preference<SumKey>(n % 5); }),
        modifier("transformPreference", [](AnyView v, int) { return v.transformPreference<SumKey>([](int& sum) { sum += 1; }); }),
        modifier("anchorPreference", [](AnyView v, int) {
            return v.anchorPreference<AnchorsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return AnchorsKey::Value{a}; });
        }),
        modifier("overlayPreferenceValue", [](AnyView v, int) {
            return v.overlayPreferenceValue<AnchorsKey>([](const AnchorsKey::Value& anchors) {
                return AnyView(GeometryReader([anchors](const GeometryProxy& proxy) {
                    std::vector<AnyView> marks;
                    for (const auto& a : anchors) marks.push_back(Rectangle().frame(2, 2).offset(proxy[a].minX(), proxy[a].minY()));
                    return AnyView(ZStack(Alignment::topLeading(), std::move(marks)));
                }));
            });
        }),
        modifier("backgroundPreferenceValue", [](AnyView v, int) {
            return v.backgroundPreferenceValue<SumKey>([](const int& sum) { return AnyView(Text("sum " + std::to_string(sum))); });
        }),
    };
}

} // namespace glimmo::testing::kit
