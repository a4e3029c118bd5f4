// The generator's kinds of views: those that hold nothing, those that hold several, and those that
// hold one (user views among them).

#include "KitGenerator.h"

#include "platform/view/Charts/Chart.h"
#include "platform/view/Controls/Alert.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/ViewKit.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace glimmo::testing::kit {
namespace {

using Holds = Kind::Holds;
using Pieces = std::vector<Piece>;

// A text of a few words, longer or shorter with `v`.
std::string words(int v) {
    return std::string(static_cast<std::size_t>(1 + v % 5), 'w') + (v % 3 == 0 ? " and more words to wrap" : "") + " " + std::to_string(v);
}

// A leaf for the label of a button: nothing in it takes clicks.
Piece labelPiece(World& w) {
    switch (w.below(3)) {
    case 0: return [](const Scope& s) { return AnyView(Text("tap " + std::to_string(s.v % 4))); };
    case 1: return [](const Scope&) { return AnyView(Label("Gear", "gear")); };
    default: return [](const Scope& s) { return AnyView(Rectangle().fill(Color::orange()).frame(small(s.v, 8), 8)); };
    }
}

AxisSet axes(World& w) { return pick(w, {AxisSet::vertical(), AxisSet::horizontal(), AxisSet::both()}); }

// One element per held piece, some of them left out and reordered by the knob's value.
std::vector<std::size_t> shownOrder(std::size_t count, int v) {
    const std::size_t shown = count - (count > 1 && v % 2 == 1 ? 1 : 0);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < shown; ++i) order.push_back(v % 3 == 2 ? shown - 1 - i : i);
    return order;
}

std::vector<AnyView> build(const Pieces& pieces, const Scope& s) {
    std::vector<AnyView> out;
    for (const auto& p : pieces) out.push_back(p(s));
    return out;
}

struct Plain : View<Plain> {
    Piece content;
    Scope scope;
    AnyView body() const { return content(scope); }
};

// A user view that compares equal while its value does, so its body is not built again then. What
// its body reads of the knob (through bindings) is part of its value.
struct Same : View<Same> {
    std::shared_ptr<const Piece> content;
    Scope scope;
    int knobValue = 0;
    AnyView body() const { return (*content)(scope); }
    bool operator==(const Same& other) const {
        return content == other.content && scope.v == other.scope.v && scope.knob == other.scope.knob && knobValue == other.knobValue;
    }
};

struct OutsideStateView : View<OutsideStateView> {
    std::shared_ptr<OutsideState> outside;
    Piece content;
    std::shared_ptr<Knob> knob;
    State<int> value;
    AnyView body() const {
        return content(Scope{*value, knob}).onAppear([outside = outside, binding = value.binding()] {
            if (outside->recording) outside->bindings.push_back(binding);
        });
    }
};

// A user view whose state follows a preference of its content.
struct PreferenceStateView : View<PreferenceStateView> {
    Piece content;
    Scope scope;
    State<int> seen{0};
    AnyView body() const {
        return VStack(HorizontalAlignment::leading(), 2,
                      {content(scope).onPreferenceChange<SumKey>([binding = seen.binding()](const int& sum) { binding.set(sum); }),
                       Text("seen " + std::to_string(*seen))});
    }
};

struct EnvironmentView : View<EnvironmentView> {
    Piece content;
    Scope scope;
    Environment<int> shade = Environment<int>::key<ShadeKey>();
    AnyView body() const { return content(Scope{scope.v + *shade, scope.knob}); }
};
struct EnvironmentObjectView : View<EnvironmentObjectView> {
    Piece content;
    EnvironmentObject<Knob> knob;
    AnyView body() const { return content(Scope{knob->value.get(), knob.get()}); }
};

// Stacks its subviews in rows as wide as the proposal, each at its ideal size.
struct FlowLayout final : Layout {
    explicit FlowLayout(CGFloat spacing) : spacing(spacing) {}
    CGFloat spacing;
    CGSize sizeThatFits(const ProposedViewSize& p, const LayoutSubviews& subviews) const override { return arrange(p, subviews); }
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& p, const LayoutSubviews& s) const override { arrange(p, s, &bounds); }
    CGSize arrange(const ProposedViewSize& p, const LayoutSubviews& subviews, const CGRect* bounds = nullptr) const {
        const CGFloat limit = p.width.value_or(infinity);
        CGFloat x = 0, y = 0, row = 0, width = 0;
        for (const auto& subview : subviews) {
            const CGSize s = subview.sizeThatFits(ProposedViewSize::unspecified());
            if (x > 0 && x + s.width > limit) {
                y += row + spacing;
                x = row = 0;
            }
            if (bounds) subview.place({bounds->minX() + x, bounds->minY() + y});
            width = std::max(width, x + s.width);
            x += s.width + spacing;
            row = std::max(row, s.height);
        }
        return {width, y + row};
    }
};

const SharedPixels pixels =
    std::make_shared<const PixelImage>(PixelImage{4, 3, 1, ImageOrientation::up, std::vector<std::uint8_t>(48, 200)});

// A shape of the given type, plain or filled, stroked or bordered.
template <class S>
Kind shapeKind(const char* name, S made) {
    return leaf(name, draws(below(4), color), [made](int style, Color c, const Scope&) {
        switch (style) {
        case 0: return AnyView(made);
        case 1: return made.fill(c);
        case 2: return made.stroke(c, 2);
        default: return made.strokeBorder(c, 3);
        }
    });
}

// A stack along one axis, with one of three alignments; one of them spaced by the knob's value.
template <class Stack, class Guide>
Kind stackKind(const char* name, std::array<Guide, 3> aligned, int spaced) {
    return kind(name, Holds::several, draws(below(3)), [aligned, spaced](int pick, const Pieces& held, const Scope& s) {
        const auto spacing = pick == spaced ? std::optional<CGFloat>(small(s.v, 0)) : std::nullopt;
        return Stack(aligned[static_cast<std::size_t>(pick)], spacing, build(held, s));
    });
}

// A view that presents a layer over the one it holds: one such view a window, as layers presented one
// after another lie in that order; the others show what they hold alone.
template <class... A>
Kind presentingKind(const char* name, A... a) {
    const Kind presenting = kind(name, Holds::one, std::move(a)...);
    return {name, Holds::one, [presenting](World& w, Pieces held) {
                return std::exchange(w.presenting, true) ? held.front() : presenting.make(w, std::move(held));
            }};
}

} // namespace

std::vector<Kind> viewKinds() {
    using V = VerticalAlignment;
    using H = HorizontalAlignment;
    return {
        leaf("Text", [](const Scope& s) { return Text(words(s.v)); }),
        leaf("Text modifiers", draws(below(6)), [](int pick, const Scope& s) {
            const Text base(words(s.v + 1));
            switch (pick) {
            case 0: return AnyView(base.bold().italic().font(Font::system(10 + s.v % 3 * 4)));
            case 1: return AnyView(base.underline().strikethrough(true, Color::red()).foregroundColor(Color::blue()));
            case 2: return AnyView((base + Text(" tail").monospaced()).kerning(1).tracking(0.5));
            case 3: return AnyView(base.baselineOffset(s.v % 3).monospacedDigit().fontWeight(Font::Weight::light()));
            case 4: return AnyView(Text(Image::systemName("gear")) + base.foregroundStyle(Color::green()));
            default: return AnyView(Text::verbatim("verbatim " + std::to_string(s.v)).font(Font::headline()));
            }
        }),
        leaf("Image", draws(below(3)), [](int pick, const Scope& s) {
            if (pick == 0) return AnyView(Image::systemName(s.v % 2 ? "gear" : "folder"));
            if (pick == 1) return AnyView(Image(pixels));
            return AnyView(Image(pixels, 1 + s.v % 2, ImageOrientation::up).resizable().interpolation(Image::Interpolation::none));
        }),
        shapeKind("Rectangle", Rectangle()),
        shapeKind("RoundedRectangle", RoundedRectangle(5)),
        shapeKind("Circle", Circle()),
        shapeKind("Ellipse", Ellipse()),
        shapeKind("Capsule", Capsule()),
        shapeKind("CustomShape", CustomShape([](const CGRect& r) {
            Path p;
            p.move({r.minX(), r.maxY()});
            p.addLine({r.midX(), r.minY()});
            p.addLine({r.maxX(), r.maxY()});
            p.closeSubpath();
            return p;
        })),
        leaf("Color", draws(color), [](Color c, const Scope&) { return c; }),
        leaf("Spacer", draws(chance(30)), [](bool sized, const Scope& s) { return sized ? Spacer(small(s.v, 0)) : Spacer(); }),
        leaf("Divider", [](const Scope&) { return Divider(); }),
        leaf("EmptyView", [](const Scope&) { return EmptyView(); }),
        leaf("Label", draws(below(4)), [](int style, const Scope& s) {
            const Label label = style == 3 ? Label(Text("custom"), Circle().frame(6, 6)) : Label("Folder " + std::to_string(s.v), "folder");
            return label.labelStyle(static_cast<LabelStyle>(style));
        }),
        leaf("Button", draws(labelPiece, chance(30)), [](const Piece& label, bool destructive, const Scope& s) {
            auto knob = s.knob;
            const int next = (s.v * 7 + 3) % 30;
            auto action = [knob, next] { knob->value.set(next); };
            const AnyView button = destructive ? Button(ButtonRole::destructive, action, label(s)) : Button(action, label(s));
            return button.accessibilityLabel(clickableLabel);
        }),
        leaf("Toggle", draws(below(3), chance(25)), [](int style, bool hidden, const Scope& s) {
            auto knob = s.knob;
            Binding<bool> on([knob] { return knob->value.get() % 2 == 1; },
                             [knob](bool) { knob->value.set((knob->value.get() + 1) % 30); });
            const Toggle toggle = Toggle("Toggle " + std::to_string(s.v % 3), on).toggleStyle(static_cast<ToggleStyle>(style));
            return AnyView(hidden ? toggle.labelsHidden() : toggle).accessibilityLabel(clickableLabel);
        }),
        leaf("TextField", draws(chance(40), below(3)), [](bool vertical, int style, const Scope& s) {
            auto knob = s.knob;
            Binding<std::string> text([knob] { return words(knob->value.get()); },
                                      [knob](std::string t) { knob->value.set(static_cast<int>(t.size() % 30)); });
            TextField field("Placeholder", text, vertical ? Axis::vertical : Axis::horizontal);
            field = field.textFieldStyle(static_cast<TextFieldStyle>(style)).onSubmit([] {});
            if (vertical) field = field.lineLimit(1 + s.v % 2, 3);
            return field;
        }),
        leaf("Picker", draws(below(3)), [](int style, const Scope& s) {
            auto knob = s.knob;
            const Binding<int> picked([knob] { return knob->value.get(); }, [knob](int v) { knob->value.set(v); });
            return Picker<int>(s.v % 2 ? "Pick" : "", picked, {{Text("zero"), 0}, {Text("one"), 1}, {Text("two"), 2}})
                .pickerStyle(static_cast<PickerStyle>(style));
        }),
        leaf("ProgressView", draws(below(3)), [](int pick, const Scope& s) {
            if (pick == 0) return AnyView(ProgressView());
            if (pick == 1) return AnyView(ProgressView(s.v, 29));
            return ProgressView(s.v % 10, 10).progressViewStyle(ProgressViewStyle::circular);
        }),
        leaf("SettingsLink", [](const Scope&) { return SettingsLink([] { return AnyView(Text("Settings")); }); }),
        leaf("Chart", draws(below(3)), [](int pick, const Scope& s) {
            ChartContent marks;
            for (int i = 0; i < 3 + s.v % 3; ++i) {
                const auto x = PlottableValue::value("x", i);
                const auto y = PlottableValue::value("y", (i * 7 + s.v) % 11);
                if (pick == 0) marks.push_back(BarMark(x, y).cornerRadius(2));
                else if (pick == 1) marks.push_back(LineMark(x, y).interpolationMethod(InterpolationMethod::catmullRom()));
                else marks.push_back(PointMark(x, y).foregroundStyle(PlottableValue::value("series", i % 2 ? "a" : "b")));
            }
            Chart chart(marks);
            if (s.v % 2) chart = chart.chartYScale(0, 12).chartXAxis(Visibility::hidden);
            return AnyView(chart).frame(std::nullopt, small(s.v, 60));
        }),

        {"switch", Holds::several, [](World& w, Pieces held) -> Piece {
             auto knob = std::make_shared<Knob>();
             w.knobs.push_back(knob);
             if (w.chance(30)) held.push_back([](const Scope&) { return AnyView(EmptyView()); });
             auto alternatives = std::make_shared<const Pieces>(std::move(held));
             return [knob, alternatives](const Scope&) { return AnyView(Switch{{}, {knob}, alternatives}); };
         }},
        stackKind<HStack>("HStack", std::array{V::center(), V::top(), V::firstTextBaseline()}, 1),
        stackKind<VStack>("VStack", std::array{H::center(), H::leading(), H::trailing()}, 2),
        kind("LazyVStack", Holds::several, draws(below(3)), [](int pick, const Pieces& held, const Scope& s) {
            const HorizontalAlignment alignments[] = {H::center(), H::leading(), H::trailing()};
            std::vector<ForEach::Element> elements;
            for (const std::size_t i : shownOrder(held.size(), s.v)) elements.push_back({AnyHashable(i), held[i](s)});
            return LazyVStack(alignments[pick], small(s.v, 2), std::move(elements));
        }),
        kind("ZStack", Holds::several, draws(alignment),
             [](Alignment a, const Pieces& held, const Scope& s) { return ZStack(a, build(held, s)); }),
        kind("Group", Holds::several, [](const Pieces& held, const Scope& s) { return Group(build(held, s)); }),
        kind("ForEach", Holds::several, [](const Pieces& held, const Scope& s) {
            std::vector<ForEach::Element> elements;
            for (const std::size_t i : shownOrder(held.size(), s.v)) elements.push_back({AnyHashable(i), held[i](s)});
            return ForEach(std::move(elements));
        }),
        kind("conditional", Holds::several, [](const Pieces& held, const Scope& s) {
            if (held.size() == 1) return If(s.v % 2 == 0, held[0](s));
            if (held.size() == 2) return IfElse(s.v % 2 == 0, [&] { return held[0](s); }, [&] { return held[1](s); });
            const std::size_t branch = static_cast<std::size_t>(s.v) % held.size();
            return Branch(branch, held[branch](s));
        }),
        kind("Grid", Holds::several, draws(alignment, chance(30), chance(50)),
             [](Alignment a, bool spanning, bool rowAligned, const Pieces& held, const Scope& s) {
                 std::vector<AnyView> rows;
                 if (spanning) rows.push_back(held.front()(s));
                 for (std::size_t i = spanning ? 1 : 0; i < held.size(); i += 2) {
                     std::vector<AnyView> cells{held[i](s)};
                     if (i + 1 < held.size()) cells.push_back(held[i + 1](s));
                     rows.push_back(GridRow(rowAligned ? std::optional<VerticalAlignment>(V::bottom()) : std::nullopt, std::move(cells)));
                 }
                 return Grid(a, small(s.v, 2), std::nullopt, std::move(rows));
             }),
        kind("GridRow", Holds::several, [](const Pieces& held, const Scope& s) { return GridRow(build(held, s)); }),
        kind("LayoutView", Holds::several,
             [](const Pieces& held, const Scope& s) { return LayoutView(FlowLayout(small(s.v, 2)), build(held, s)); }),
        kind("List", Holds::several, [](const Pieces& held, const Scope& s) {
            return List(shownOrder(held.size(), s.v), [](std::size_t i) { return i; }, [&](std::size_t i) { return held[i](s); });
        }),
        kind("Form", Holds::several, [](const Pieces& held, const Scope& s) {
            std::vector<AnyView> sections{Section("Header", {held.front()(s)})};
            if (held.size() > 1) sections.push_back(Section(build(Pieces(held.begin() + 1, held.end()), s)));
            return Form(std::move(sections));
        }),
        kind("TabView", Holds::several, [](const Pieces& held, const Scope& s) {
            std::vector<Tab<int>> tabs;
            for (std::size_t i = 0; i < held.size(); ++i) {
                tabs.push_back({Text("Tab " + std::to_string(i)), static_cast<int>(i), held[i](s)});
            }
            auto knob = s.knob;
            const auto count = static_cast<int>(held.size());
            Binding<int> selected([knob, count] { return knob->value.get() % (count + 1); }, [knob](int t) { knob->value.set(t); });
            return TabView<int>(selected, std::move(tabs));
        }),

        kind("ScrollView", Holds::one, draws(axes, chance(70)), [](AxisSet a, bool indicators, AnyView inner, int v) {
            return AnyView(ScrollView(a, indicators, std::move(inner))).frame(std::nullopt, small(v, 40));
        }),
        kind("ScrollViewReader", Holds::one, [](const Pieces& held, const Scope& s) {
            return ScrollViewReader([inner = held[0], s](const ScrollViewProxy&) { return inner(s); });
        }),
        kind("GeometryReader", Holds::one, draws(chance(30)), [](bool named, const Pieces& held, const Scope& s) {
            return GeometryReader([inner = held[0], s, named](const GeometryProxy& proxy) {
                const CGRect f = proxy.frame(named ? CoordinateSpace::named("space") : CoordinateSpace::local());
                const int seen = static_cast<int>(f.width() + f.minX()) % 5;
                return AnyView(VStack({Text("at " + std::to_string(seen)), inner(Scope{s.v + seen, s.knob})}));
            });
        }),
        kind("EnvironmentReader", Holds::one, [](const Pieces& held, const Scope& s) {
            return EnvironmentReader([inner = held[0], s](const EnvironmentValues& e) { return inner({s.v + e.get<ShadeKey>(), s.knob}); });
        }),
        kind("user view", Holds::one, [](const Pieces& held, const Scope& s) { return Plain{{}, held[0], s}; }),
        {"equatable", Holds::one, [](World&, Pieces held) -> Piece {
             auto inner = std::make_shared<const Piece>(held.front());
             return [inner](const Scope& s) { return AnyView(Same{{}, inner, s, s.knob->value.get()}).equatable(); };
         }},
        kind("State set from outside", Holds::one, draws([](World& w) { return w.outside; }),
             [](const std::shared_ptr<OutsideState>& outside, const Pieces& held, const Scope& s) {
                 return OutsideStateView{{}, outside, held[0], s.knob, State<int>(outside->value)};
             }),
        kind("onPreferenceChange", Holds::one, [](const Pieces& held, const Scope& s) { return PreferenceStateView{{}, held[0], s}; }),
        kind("Environment", Holds::one, [](const Pieces& held, const Scope& s) { return EnvironmentView{{}, held[0], s}; }),
        kind("environmentObject", Holds::one, [](const Pieces& held, const Scope& s) {
            return AnyView(EnvironmentObjectView{{}, held[0], {}}).environmentObject(s.knob);
        }),
        // Not clicked: what it holds may take clicks itself.
        kind("Button with a view", Holds::one, [](AnyView inner, int) { return Button([] {}, std::move(inner)); }),
        presentingKind("presentation", draws(chance(30), labelPiece),
                       [](bool window, const Piece& layer, const Pieces& held, const Scope& s) {
                           const std::optional<AnyView> shown = s.v % 3 == 0 ? std::optional<AnyView>(layer(s)) : std::nullopt;
                           const auto placement = window ? PresentationPlacement::window : PresentationPlacement::belowAnchor;
                           return presentation(held[0](s), shown, placement, [] {});
                       }),
        presentingKind("alert", [](const Pieces& held, const Scope& s) {
            auto knob = s.knob;
            Binding<bool> shown([knob] { return knob->value.get() % 4 == 1; }, [knob](bool) { knob->value.set(0); });
            const auto message = s.v % 2 ? std::optional<std::string>("Message") : std::nullopt;
            return alert(held[0](s), "Alert", shown, {AlertButton{"OK", std::nullopt, [] {}}}, message);
        }),
    };
}

} // namespace glimmo::testing::kit
