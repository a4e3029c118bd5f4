// The generator's kinds of views: those that hold nothing, those that hold several, and those that
// hold one (user views among them).

#include "KitPieces.h"

#include "platform/view/Charts/Chart.h"
#include "platform/view/Controls/Alert.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/ViewKit.h"

#include <algorithm>
#include <utility>

namespace glimmo::testing::kit {
namespace {

using Holds = Kind::Holds;

// A user view with nothing of its own.
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

// A user view whose state is set from outside.
struct OutsideStateView : View<OutsideStateView> {
    std::shared_ptr<OutsideState> outside;
    Piece content;
    std::shared_ptr<Knob> knob;
    State<int> value;
    AnyView body() const {
        auto binding = value.binding();
        auto shared = outside;
        return content(Scope{*value, knob}).onAppear([shared, binding] {
            if (shared->recording) shared->bindings.push_back(binding);
        });
    }
};

// A user view whose state follows a preference of its content.
struct PreferenceStateView : View<PreferenceStateView> {
    Piece content;
    Scope scope;
    State<int> seen{0};
    AnyView body() const {
        auto binding = seen.binding();
        return VStack(HorizontalAlignment::leading(), 2,
                      {content(scope).onPreferenceChange<SumKey>([binding](const int& sum) { binding.set(sum); }),
                       Text("seen " + std::to_string(*seen))});
    }
};

// User views that read the environment: a key of the tests' own, and an object put in it.
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
    CGSize sizeThatFits(const ProposedViewSize& p, const LayoutSubviews& subviews) const override { return arrange(p, subviews, nullptr); }
    void placeSubviews(const CGRect& bounds, const ProposedViewSize& p, const LayoutSubviews& subviews) const override {
        arrange(p, subviews, &bounds);
    }
    CGSize arrange(const ProposedViewSize& p, const LayoutSubviews& subviews, const CGRect* bounds) const {
        const CGFloat limit = p.width.value_or(infinity);
        CGFloat x = 0, y = 0, row = 0, width = 0;
        for (const auto& subview : subviews) {
            const CGSize s = subview.sizeThatFits(ProposedViewSize::unspecified());
            if (x > 0 && x + s.width > limit) {
                x = 0;
                y += row + spacing;
                row = 0;
            }
            if (bounds) subview.place({bounds->minX() + x, bounds->minY() + y});
            width = std::max(width, x + s.width);
            x += s.width + spacing;
            row = std::max(row, s.height);
        }
        return {width, y + row};
    }
};

SharedPixels pixels() {
    static const SharedPixels made = [] {
        auto p = std::make_shared<PixelImage>();
        p->width = 4;
        p->height = 3;
        p->rgba.assign(4 * 3 * 4, 200);
        return SharedPixels(p);
    }();
    return made;
}

// A shape of the given type, plain or filled, stroked or bordered.
template <class S>
Piece shapePiece(World& w, S made) {
    const int style = w.below(4);
    const Color c = color(w);
    return [made, style, c](const Scope&) {
        switch (style) {
        case 0: return AnyView(made);
        case 1: return made.fill(c);
        case 2: return made.stroke(c, 2);
        default: return made.strokeBorder(c, 3);
        }
    };
}

} // namespace

std::vector<Kind> viewKinds() {
    std::vector<Kind> all;
    // Views that hold nothing.
    all.push_back({"Text", Holds::nothing, [](World&, std::vector<Piece>) -> Piece {
        return [](const Scope& s) { return AnyView(Text(words(s.v))); };
    }});
    all.push_back({"Text modifiers", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int pick = w.below(6);
        return [pick](const Scope& s) {
            const Text base(words(s.v + 1));
            switch (pick) {
            case 0: return AnyView(base.bold().italic().font(Font::system(10 + s.v % 3 * 4)));
            case 1: return AnyView(base.underline().strikethrough(true, Color::red()).foregroundColor(Color::blue()));
            case 2: return AnyView((base + Text(" tail").monospaced()).kerning(1).tracking(0.5));
            case 3: return AnyView(base.baselineOffset(s.v % 3).monospacedDigit().fontWeight(Font::Weight::light()));
            case 4: return AnyView(Text(Image::systemName("gear")) + base.foregroundStyle(Color::green()));
            default: return AnyView(Text::verbatim("verbatim " + std::to_string(s.v)).font(Font::headline()));
            }
        };
    }});
    all.push_back({"Image", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int pick = w.below(3);
        return [pick](const Scope& s) {
            if (pick == 0) return AnyView(Image::systemName(s.v % 2 ? "gear" : "folder"));
            if (pick == 1) return AnyView(Image(pixels()));
            return AnyView(Image(pixels(), 1 + s.v % 2, ImageOrientation::up).resizable().interpolation(Image::Interpolation::none));
        };
    }});
    all.push_back({"Rectangle", Holds::nothing, [](World& w, std::vector<Piece>) { return shapePiece(w, Rectangle()); }});
    all.push_back({"RoundedRectangle", Holds::nothing, [](World& w, std::vector<Piece>) { return shapePiece(w, RoundedRectangle(5)); }});
    all.push_back({"Circle", Holds::nothing, [](World& w, std::vector<Piece>) { return shapePiece(w, Circle()); }});
    all.push_back({"Ellipse", Holds::nothing, [](World& w, std::vector<Piece>) { return shapePiece(w, Ellipse()); }});
    all.push_back({"Capsule", Holds::nothing, [](World& w, std::vector<Piece>) { return shapePiece(w, Capsule()); }});
    all.push_back({"CustomShape", Holds::nothing, [](World& w, std::vector<Piece>) {
        return shapePiece(w, CustomShape([](const CGRect& r) {
            Path p;
            p.move({r.minX(), r.maxY()});
            p.addLine({r.midX(), r.minY()});
            p.addLine({r.maxX(), r.maxY()});
            p.closeSubpath();
            return p;
        }));
    }});
    all.push_back({"Color", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const Color c = color(w);
        return [c](const Scope&) { return AnyView(c); };
    }});
    all.push_back({"Spacer", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const bool sized = w.chance(30);
        return [sized](const Scope& s) { return sized ? AnyView(Spacer(small(s.v, 0))) : AnyView(Spacer()); };
    }});
    all.push_back({"Divider", Holds::nothing, [](World&, std::vector<Piece>) -> Piece {
        return [](const Scope&) { return AnyView(Divider()); };
    }});
    all.push_back({"EmptyView", Holds::nothing, [](World&, std::vector<Piece>) -> Piece {
        return [](const Scope&) { return AnyView(EmptyView()); };
    }});
    all.push_back({"Label", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int style = w.below(4);
        return [style](const Scope& s) {
            const Label label(style == 3 ? Label(Text("custom"), Circle().frame(6, 6)) : Label("Folder " + std::to_string(s.v), "folder"));
            return label.labelStyle(static_cast<LabelStyle>(style));
        };
    }});
    all.push_back({"Button", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        Piece label = labelPiece(w);
        const bool destructive = w.chance(30);
        return [label, destructive](const Scope& s) {
            auto knob = s.knob;
            const int next = (s.v * 7 + 3) % 30;
            auto action = [knob, next] { knob->value.set(next); };
            const AnyView button = destructive ? AnyView(Button(ButtonRole::destructive, action, label(s))) : AnyView(Button(action, label(s)));
            return button.accessibilityLabel(clickableLabel);
        };
    }});
    all.push_back({"Toggle", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int style = w.below(3);
        const bool hidden = w.chance(25);
        return [style, hidden](const Scope& s) {
            auto knob = s.knob;
            Binding<bool> on([knob] { return knob->value.get() % 2 == 1; }, [knob](bool) { knob->value.set((knob->value.get() + 1) % 30); });
            const Toggle toggle = Toggle("Toggle " + std::to_string(s.v % 3), on).toggleStyle(static_cast<ToggleStyle>(style));
            return AnyView(hidden ? toggle.labelsHidden() : toggle).accessibilityLabel(clickableLabel);
        };
    }});
    all.push_back({"TextField", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const bool vertical = w.chance(40);
        const int style = w.below(3);
        return [vertical, style](const Scope& s) {
            auto knob = s.knob;
            Binding<std::string> text([knob] { return words(knob->value.get()); },
                                      [knob](std::string t) { knob->value.set(static_cast<int>(t.size() % 30)); });
            TextField field("Placeholder", text, vertical ? Axis::vertical : Axis::horizontal);
            field = field.textFieldStyle(static_cast<TextFieldStyle>(style)).onSubmit([] {});
            if (vertical) field = field.lineLimit(1 + s.v % 2, 3);
            return AnyView(field);
        };
    }});
    all.push_back({"Picker", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int style = w.below(3);
        return [style](const Scope& s) {
            return AnyView(Picker<int>(s.v % 2 ? "Pick" : "", knobBinding(s), {{Text("zero"), 0}, {Text("one"), 1}, {Text("two"), 2}})
                               .pickerStyle(static_cast<PickerStyle>(style)));
        };
    }});
    all.push_back({"ProgressView", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int pick = w.below(3);
        return [pick](const Scope& s) {
            if (pick == 0) return AnyView(ProgressView());
            if (pick == 1) return AnyView(ProgressView(s.v, 29));
            return ProgressView(s.v % 10, 10).progressViewStyle(ProgressViewStyle::circular);
        };
    }});
    all.push_back({"SettingsLink", Holds::nothing, [](World&, std::vector<Piece>) -> Piece {
        return [](const Scope&) { return AnyView(SettingsLink([] { return AnyView(Text("Settings")); })); };
    }});
    all.push_back({"Chart", Holds::nothing, [](World& w, std::vector<Piece>) -> Piece {
        const int pick = w.below(3);
        return [pick](const Scope& s) {
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
        };
    }});

    // Views that hold others.
    all.push_back({"switch", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
        auto knob = std::make_shared<Knob>();
        w.knobs.push_back(knob);
        if (w.chance(30)) held.push_back([](const Scope&) { return AnyView(EmptyView()); });
        auto alternatives = std::make_shared<const std::vector<Piece>>(std::move(held));
        return [knob, alternatives](const Scope&) { return AnyView(Switch{{}, {knob}, alternatives}); };
    }});
    all.push_back({"HStack", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
        const int pick = w.below(3);
        return [held, pick](const Scope& s) {
            static const VerticalAlignment aligned[] = {VerticalAlignment::center(), VerticalAlignment::top(),
                                                        VerticalAlignment::firstTextBaseline()};
            return AnyView(HStack(aligned[pick], pick == 1 ? std::optional<CGFloat>(small(s.v, 0)) : std::nullopt, build(held, s)));
        };
    }});
    all.push_back({"VStack", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
        const int pick = w.below(3);
        return [held, pick](const Scope& s) {
            static const HorizontalAlignment aligned[] = {HorizontalAlignment::center(), HorizontalAlignment::leading(),
                                                          HorizontalAlignment::trailing()};
            return AnyView(VStack(aligned[pick], pick == 2 ? std::optional<CGFloat>(small(s.v, 0)) : std::nullopt, build(held, s)));
        };
    }});
    all.push_back({"ZStack", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
        const Alignment a = alignment(w);
        return [held, a](const Scope& s) { return AnyView(ZStack(a, build(held, s))); };
    }});
    all.push_back({"Group", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) { return AnyView(Group(build(held, s))); };
    }});
    all.push_back({"ForEach", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) {
            std::vector<ForEach::Element> elements;
            for (const std::size_t i : shownOrder(held.size(), s.v)) elements.push_back({AnyHashable(i), held[i](s)});
            return AnyView(ForEach(std::move(elements)));
        };
    }});
    all.push_back({"conditional", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) {
            if (held.size() == 1) return If(s.v % 2 == 0, held[0](s));
            if (held.size() == 2) return IfElse(s.v % 2 == 0, [&] { return held[0](s); }, [&] { return held[1](s); });
            const std::size_t branch = static_cast<std::size_t>(s.v) % held.size();
            return Branch(branch, held[branch](s));
        };
    }});
    all.push_back({"Grid", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
        const Alignment a = alignment(w);
        const bool spanning = w.chance(30);
        const bool rowAligned = w.chance(50);
        return [held, a, spanning, rowAligned](const Scope& s) {
            std::vector<AnyView> rows;
            if (spanning) rows.push_back(held.front()(s));
            for (std::size_t i = spanning ? 1 : 0; i < held.size(); i += 2) {
                std::vector<AnyView> cells{held[i](s)};
                if (i + 1 < held.size()) cells.push_back(held[i + 1](s));
                const auto rowAlignment = rowAligned ? std::optional<VerticalAlignment>(VerticalAlignment::bottom()) : std::nullopt;
                rows.push_back(GridRow(rowAlignment, std::move(cells)));
            }
            return AnyView(Grid(a, small(s.v, 2), std::nullopt, std::move(rows)));
        };
    }});
    all.push_back({"GridRow", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) { return AnyView(GridRow(build(held, s))); };
    }});
    all.push_back({"LayoutView", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) { return LayoutView(FlowLayout(small(s.v, 2)), build(held, s)); };
    }});
    all.push_back({"List", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) {
            const auto order = shownOrder(held.size(), s.v);
            return AnyView(List(order, [](std::size_t i) { return i; }, [&](std::size_t i) { return held[i](s); }));
        };
    }});
    all.push_back({"Form", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) {
            std::vector<AnyView> first{held.front()(s)};
            std::vector<AnyView> rest;
            for (std::size_t i = 1; i < held.size(); ++i) rest.push_back(held[i](s));
            std::vector<AnyView> sections{Section("Header", std::move(first))};
            if (!rest.empty()) sections.push_back(Section(std::move(rest)));
            return AnyView(Form(std::move(sections)));
        };
    }});
    all.push_back({"TabView", Holds::several, [](World&, std::vector<Piece> held) -> Piece {
        return [held](const Scope& s) {
            std::vector<Tab<int>> tabs;
            for (std::size_t i = 0; i < held.size(); ++i) {
                tabs.push_back({AnyView(Text("Tab " + std::to_string(i))), static_cast<int>(i), held[i](s)});
            }
            auto knob = s.knob;
            const auto count = static_cast<int>(held.size());
            Binding<int> selected([knob, count] { return knob->value.get() % (count + 1); }, [knob](int t) { knob->value.set(t); });
            return AnyView(TabView<int>(selected, std::move(tabs)));
        };
    }});

    // Views that hold one view.
    all.push_back({"ScrollView", Holds::one, [](World& w, std::vector<Piece> held) -> Piece {
        static const AxisSet axes[] = {AxisSet::vertical(), AxisSet::horizontal(), AxisSet::both()};
        const AxisSet a = axes[w.below(3)];
        const bool indicators = w.chance(70);
        Piece inner = held.front();
        return [inner, a, indicators](const Scope& s) {
            return AnyView(ScrollView(a, indicators, inner(s))).frame(std::nullopt, small(s.v, 40));
        };
    }});
    all.push_back({"ScrollViewReader", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(ScrollViewReader([inner, s](const ScrollViewProxy&) { return inner(s); })); };
    }});
    all.push_back({"GeometryReader", Holds::one, [](World& w, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        const bool named = w.chance(30);
        return [inner, named](const Scope& s) {
            return AnyView(GeometryReader([inner, s, named](const GeometryProxy& proxy) {
                const CGRect f = proxy.frame(named ? CoordinateSpace::named("space") : CoordinateSpace::local());
                const int seen = static_cast<int>(f.width() + f.minX()) % 5;
                return AnyView(VStack({Text("at " + std::to_string(seen)), inner(Scope{s.v + seen, s.knob})}));
            }));
        };
    }});
    all.push_back({"EnvironmentReader", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) {
            return EnvironmentReader([inner, s](const EnvironmentValues& e) { return inner(Scope{s.v + e.get<ShadeKey>(), s.knob}); });
        };
    }});
    all.push_back({"user view", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(Plain{{}, inner, s}); };
    }});
    all.push_back({"equatable", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        auto inner = std::make_shared<const Piece>(held.front());
        return [inner](const Scope& s) { return AnyView(Same{{}, inner, s, s.knob->value.get()}).equatable(); };
    }});
    all.push_back({"State set from outside", Holds::one, [](World& w, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        auto outside = w.outside;
        return [inner, outside](const Scope& s) { return AnyView(OutsideStateView{{}, outside, inner, s.knob, State<int>(outside->value)}); };
    }});
    all.push_back({"onPreferenceChange", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(PreferenceStateView{{}, inner, s}); };
    }});
    all.push_back({"Environment", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(EnvironmentView{{}, inner, s}); };
    }});
    all.push_back({"environmentObject", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(EnvironmentObjectView{{}, inner, {}}).environmentObject(s.knob); };
    }});
    all.push_back({"Button with a view", Holds::one, [](World&, std::vector<Piece> held) -> Piece {
        // Not clicked: what it holds may take clicks itself.
        Piece inner = held.front();
        return [inner](const Scope& s) { return AnyView(Button([] {}, inner(s))); };
    }});
    all.push_back({"presentation", Holds::one, [](World& w, std::vector<Piece> held) -> Piece {
        // One presenting view a window: layers presented one after another lie in that order.
        if (std::exchange(w.presenting, true)) return held.front();
        const bool window = w.chance(30);
        Piece layer = labelPiece(w);
        Piece inner = held.front();
        return [inner, layer, window](const Scope& s) {
            const std::optional<AnyView> shown = s.v % 3 == 0 ? std::optional<AnyView>(layer(s)) : std::nullopt;
            return presentation(inner(s), shown, window ? PresentationPlacement::window : PresentationPlacement::belowAnchor, [] {});
        };
    }});
    all.push_back({"alert", Holds::one, [](World& w, std::vector<Piece> held) -> Piece {
        if (std::exchange(w.presenting, true)) return held.front();
        Piece inner = held.front();
        return [inner](const Scope& s) {
            auto knob = s.knob;
            Binding<bool> shown([knob] { return knob->value.get() % 4 == 1; }, [knob](bool) { knob->value.set(0); });
            const auto message = s.v % 2 ? std::optional<std::string>("Message") : std::nullopt;
            return alert(inner(s), "Alert", shown, {AlertButton{"OK", std::nullopt, [] {}}}, message);
        };
    }});
    return all;
}

} // namespace glimmo::testing::kit
