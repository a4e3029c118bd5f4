// The generator's kinds of modifiers: each wraps one view.

#include "KitPieces.h"

#include "platform/view/Controls/Controls.h"
#include "platform/view/ViewKit.h"

#include <type_traits>
#include <utility>

namespace glimmo::testing::kit {
namespace {

// A kind that wraps one view in a modifier: `draw(world)` draws the modifier's fixed parameters and
// returns `modify(view, scope)`; a modifier with none is given as `modify` itself.
template <class Draw>
Kind modifier(const char* name, Draw draw) {
    return {name, Kind::Holds::one, [draw](World& w, std::vector<Piece> held) -> Piece {
                const auto modify = [&] {
                    if constexpr (std::is_invocable_v<Draw, World&>) return draw(w);
                    else return draw;
                }();
                Piece inner = std::move(held.front());
                return [inner, modify](const Scope& s) { return modify(inner(s), s); };
            }};
}

} // namespace

std::vector<Kind> modifierKinds() {
    std::vector<Kind> all;
    // Layout modifiers.
    all.push_back(modifier("padding", [](World& w) {
        return [pick = w.below(3)](AnyView v, const Scope& s) {
            if (pick == 0) return v.padding(small(s.v, 0));
            if (pick == 1) return v.padding(EdgeSet::horizontal(), small(s.v, 1));
            return v.padding(EdgeInsets{1, small(s.v, 2), 3, 0});
        };
    }));
    all.push_back(modifier("frame", [](World& w) {
        return [pick = w.below(3), a = alignment(w)](AnyView v, const Scope& s) {
            if (pick == 0) return v.frame(small(s.v, 20), small(s.v, 10), a);
            if (pick == 1) return v.frame(small(s.v, 30), std::nullopt, a);
            return v.frame(std::nullopt, small(s.v, 12), a);
        };
    }));
    all.push_back(modifier("flexible frame", [](World& w) {
        return [pick = w.below(4), a = alignment(w)](AnyView v, const Scope& s) {
            FlexibleFrame f;
            f.alignment = a;
            if (pick == 0) f.maxWidth = infinity;
            if (pick == 1) {
                f.minWidth = small(s.v, 10);
                f.maxHeight = infinity;
            }
            if (pick == 2) {
                f.idealWidth = small(s.v, 40);
                f.minHeight = 5;
                f.maxHeight = 30;
            }
            if (pick == 3) {
                f.maxWidth = small(s.v, 50);
                f.idealHeight = 20;
            }
            return v.frame(f);
        };
    }));
    all.push_back(modifier("fixedSize", [](World& w) {
        return [pick = w.below(3)](AnyView v, const Scope&) { return v.fixedSize(pick != 1, pick != 0); };
    }));
    all.push_back(modifier("aspectRatio", [](World& w) {
        return [fill = w.chance(50), given = w.chance(60)](AnyView v, const Scope& s) {
            const std::optional<CGFloat> ratio = given ? std::optional<CGFloat>(0.5 + s.v % 3 * 0.5) : std::nullopt;
            return v.aspectRatio(ratio, fill ? ContentMode::fill : ContentMode::fit);
        };
    }));
    all.push_back(modifier("scaledToFit", [](AnyView v, const Scope&) { return v.scaledToFit(); }));
    all.push_back(modifier("scaledToFill", [](AnyView v, const Scope&) { return v.scaledToFill(); }));
    all.push_back(modifier("layoutPriority", [](AnyView v, const Scope& s) { return v.layoutPriority(s.v % 3); }));
    all.push_back(modifier("offset", [](AnyView v, const Scope& s) { return v.offset(small(s.v, -3), 2); }));
    all.push_back(modifier("alignmentGuide", [](World& w) {
        return [horizontal = w.chance(50)](AnyView v, const Scope& s) {
            const CGFloat shift = small(s.v, 0);
            if (horizontal) {
                return v.alignmentGuide(HorizontalAlignment::leading(), [shift](const ViewDimensions& d) { return d.width() / 2 + shift; });
            }
            return v.alignmentGuide(VerticalAlignment::top(), [shift](const ViewDimensions& d) { return d.height() - shift; });
        };
    }));
    all.push_back(modifier("background", [](World& w) {
        return [a = alignment(w), c = color(w)](AnyView v, const Scope& s) {
            return v.background(Rectangle().fill(c).frame(small(s.v, 6), 6), a);
        };
    }));
    all.push_back(modifier("background style", [](World& w) {
        return [pick = w.below(3), c = color(w), sh = shape(w)](AnyView v, const Scope&) {
            if (pick == 0) return v.background(c);
            if (pick == 1) return v.background(AnyShapeStyle(Material::thinMaterial));
            return v.background(AnyShapeStyle(c), sh);
        };
    }));
    all.push_back(modifier("overlay", [](World& w) {
        return [a = alignment(w)](AnyView v, const Scope& s) { return v.overlay(Text(std::to_string(s.v)), a); };
    }));
    all.push_back(modifier("overlay style", [](World& w) {
        return [pick = w.below(3), c = color(w), sh = shape(w)](AnyView v, const Scope&) {
            if (pick == 0) return v.overlay(c.opacity(0.3));
            if (pick == 1) return v.overlay(AnyShapeStyle(LinearGradient{Gradient::colors({Color::red(), Color::blue()})}));
            return v.overlay(AnyShapeStyle(c), sh);
        };
    }));
    all.push_back(modifier("ignoresSafeArea", [](AnyView v, const Scope&) { return v.ignoresSafeArea(); }));
    all.push_back(modifier("gridColumnAlignment", [](AnyView v, const Scope& s) {
        return v.gridColumnAlignment(s.v % 2 ? HorizontalAlignment::trailing() : HorizontalAlignment::leading());
    }));
    all.push_back(modifier("coordinateSpace", [](AnyView v, const Scope&) { return v.coordinateSpace("space"); }));

    // Drawing modifiers.
    all.push_back(modifier("foregroundColor", [](World& w) {
        return [c = color(w)](AnyView v, const Scope&) { return v.foregroundColor(c); };
    }));
    all.push_back(modifier("foregroundStyle", [](AnyView v, const Scope& s) {
        return v.foregroundStyle(s.v % 2 ? AnyShapeStyle(HierarchicalShapeStyle::secondary) : AnyShapeStyle(Color::purple()));
    }));
    all.push_back(modifier("tint", [](World& w) {
        return [c = color(w)](AnyView v, const Scope&) { return v.tint(c); };
    }));
    all.push_back(modifier("opacity", [](AnyView v, const Scope& s) { return v.opacity(s.v % 3 == 0 ? 1 : 0.5); }));
    all.push_back(modifier("clipShape", [](World& w) {
        return [sh = shape(w)](AnyView v, const Scope&) { return v.clipShape(sh); };
    }));
    all.push_back(modifier("clipped", [](AnyView v, const Scope&) { return v.clipped(); }));
    all.push_back(modifier("cornerRadius", [](AnyView v, const Scope& s) { return v.cornerRadius(small(s.v, 2)); }));
    all.push_back(modifier("scaleEffect", [](AnyView v, const Scope& s) {
        return v.scaleEffect(1 + s.v % 3 * 0.25, UnitPoint::topLeading());
    }));
    all.push_back(modifier("rotationEffect", [](AnyView v, const Scope& s) { return v.rotationEffect(Angle::degrees(s.v * 10)); }));
    all.push_back(modifier("contentShape", [](World& w) {
        return [sh = shape(w)](AnyView v, const Scope&) { return v.contentShape(sh); };
    }));
    all.push_back(modifier("hidden", [](AnyView v, const Scope&) { return v.hidden(); }));
    all.push_back(modifier("redacted", [](AnyView v, const Scope& s) {
        return v.redacted(s.v % 2 ? std::optional(RedactionReason::placeholder) : std::nullopt);
    }));
    all.push_back(modifier("accessibilityLabel", [](AnyView v, const Scope&) { return v.accessibilityLabel("labelled"); }));
    all.push_back(modifier("shadow", [](AnyView v, const Scope& s) { return s.v % 2 ? v.shadow(3) : v.shadow(Color::red(), 2, 1, 1); }));

    // Text and environment modifiers.
    all.push_back(modifier("font", [](AnyView v, const Scope& s) { return v.font(s.v % 2 ? Font::title() : Font::system(9)); }));
    all.push_back(modifier("fontWeight", [](AnyView v, const Scope&) { return v.fontWeight(Font::Weight::semibold()); }));
    all.push_back(modifier("bold", [](AnyView v, const Scope& s) { return v.bold(s.v % 2 == 0); }));
    all.push_back(modifier("italic", [](AnyView v, const Scope&) { return v.italic(); }));
    all.push_back(modifier("lineLimit", [](AnyView v, const Scope& s) {
        return v.lineLimit(s.v % 3 == 0 ? std::nullopt : std::optional<int>(s.v % 3));
    }));
    all.push_back(modifier("truncationMode", [](AnyView v, const Scope& s) { return v.truncationMode(static_cast<TruncationMode>(s.v % 3)); }));
    all.push_back(modifier("multilineTextAlignment", [](AnyView v, const Scope& s) {
        return v.multilineTextAlignment(static_cast<TextAlignment>(s.v % 3));
    }));
    all.push_back(modifier("lineSpacing", [](AnyView v, const Scope& s) { return v.lineSpacing(s.v % 3); }));
    all.push_back(modifier("minimumScaleFactor", [](AnyView v, const Scope&) { return v.minimumScaleFactor(0.5); }));
    all.push_back(modifier("textSelection", [](AnyView v, const Scope&) { return v.textSelection(true); }));
    all.push_back(modifier("disabled", [](AnyView v, const Scope& s) { return v.disabled(s.v % 2 == 1); }));
    all.push_back(modifier("colorScheme", [](AnyView v, const Scope& s) {
        return v.colorScheme(s.v % 2 ? ColorScheme::dark : ColorScheme::light);
    }));
    all.push_back(modifier("environment", [](AnyView v, const Scope& s) { return v.environment<ShadeKey>(s.v % 4); }));
    all.push_back(modifier("transformEnvironment", [](AnyView v, const Scope&) {
        return v.transformEnvironment<ShadeKey>([](int& shade) { shade += 1; });
    }));
    all.push_back(modifier("labelsHidden", [](AnyView v, const Scope&) { return labelsHidden(std::move(v)); }));
    all.push_back(modifier("toggleStyle", [](AnyView v, const Scope& s) {
        return toggleStyle(std::move(v), static_cast<ToggleStyle>(s.v % 3));
    }));
    all.push_back(modifier("pickerStyle", [](AnyView v, const Scope& s) {
        return pickerStyle(std::move(v), static_cast<PickerStyle>(s.v % 3));
    }));
    all.push_back(modifier("textFieldStyle", [](AnyView v, const Scope& s) {
        return textFieldStyle(std::move(v), static_cast<TextFieldStyle>(s.v % 3));
    }));
    all.push_back(modifier("progressViewStyle", [](AnyView v, const Scope& s) {
        return progressViewStyle(std::move(v), static_cast<ProgressViewStyle>(s.v % 3));
    }));
    all.push_back(modifier("onSubmit", [](AnyView v, const Scope&) { return onSubmit(std::move(v), [] {}); }));
    all.push_back(modifier("buttonStyle", [](AnyView v, const Scope& s) {
        static const AnyButtonStyle styles[] = {AnyButtonStyle::bordered(), AnyButtonStyle::borderless(), AnyButtonStyle::plain()};
        return v.buttonStyle(styles[s.v % 3]);
    }));

    // Identity.
    all.push_back(modifier("id", [](AnyView v, const Scope& s) { return v.id(AnyHashable(s.v % 3)); }));

    // Interaction; what the actions change is nothing that is drawn, as a new window could not know it.
    all.push_back(modifier("onTapGesture", [](AnyView v, const Scope&) { return v.onTapGesture([] {}); }));
    all.push_back(modifier("onHover", [](AnyView v, const Scope&) { return v.onHover([](bool) {}); }));
    all.push_back(modifier("help", [](AnyView v, const Scope&) { return v.help("help"); }));
    all.push_back(modifier("focusable", [](AnyView v, const Scope&) { return v.focusable(); }));
    all.push_back(modifier("focused", [](AnyView v, const Scope&) { return v.focused(Binding<bool>([] { return false; }, [](bool) {})); }));
    all.push_back(modifier("onKeyPress", [](AnyView v, const Scope&) { return v.onKeyPress([](const KeyEvent&) { return false; }); }));

    // Lifecycle.
    all.push_back(modifier("onAppear", [](AnyView v, const Scope&) { return v.onAppear([] {}); }));
    all.push_back(modifier("onDisappear", [](AnyView v, const Scope&) { return v.onDisappear([] {}); }));
    all.push_back(modifier("onChange", [](AnyView v, const Scope& s) { return v.onChange<int>(s.v, [] {}); }));
    all.push_back(modifier("task", [](AnyView v, const Scope& s) { return v.task(AnyHashable(s.v), {}); }));
    all.push_back(modifier("animation", [](AnyView v, const Scope& s) { return v.animation(std::nullopt, AnyHashable(s.v)); }));
    all.push_back(modifier("transaction", [](AnyView v, const Scope&) {
        return v.transaction([](Transaction& t) { t.disablesAnimations = true; });
    }));

    // Preferences.
    all.push_back(modifier("preference", [](AnyView v, const Scope& s) { return v.preference<SumKey>(s.v % 5); }));
    all.push_back(modifier("transformPreference", [](AnyView v, const Scope&) {
        return v.transformPreference<SumKey>([](int& sum) { sum += 1; });
    }));
    all.push_back(modifier("anchorPreference", [](AnyView v, const Scope&) {
        return v.anchorPreference<BoundsKey>(AnchorSource::bounds, [](Anchor<CGRect> a) { return BoundsKey::Value{a}; });
    }));
    all.push_back(modifier("overlayPreferenceValue", [](AnyView v, const Scope&) {
        return v.overlayPreferenceValue<BoundsKey>([](const BoundsKey::Value& anchors) {
            return AnyView(GeometryReader([anchors](const GeometryProxy& proxy) {
                std::vector<AnyView> marks;
                for (const auto& a : anchors) marks.push_back(AnyView(Rectangle().frame(2, 2)).offset(proxy[a].minX(), proxy[a].minY()));
                return AnyView(ZStack(Alignment::topLeading(), std::move(marks)));
            }));
        });
    }));
    all.push_back(modifier("backgroundPreferenceValue", [](AnyView v, const Scope&) {
        return v.backgroundPreferenceValue<SumKey>([](const int& sum) { return AnyView(Text("sum " + std::to_string(sum))); });
    }));
    return all;
}

} // namespace glimmo::testing::kit
