#include "KitGenerator.h"

#include "platform/view/Charts/Chart.h"
#include "platform/view/Controls/Alert.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/ViewKit.h"

#include <algorithm>
#include <string>
#include <utility>

namespace glimmo::testing {

void OutsideState::set(int next) {
    value = next;
    for (const auto& binding : bindings) binding.set(next);
}

namespace {

using Holds = Kind::Holds;

// A preference summed over the subtree, and one gathering the bounds of the views that set it.
struct SumKey {
    using Value = int;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& next) { value += next(); }
};
struct BoundsKey {
    using Value = std::vector<Anchor<CGRect>>;
    static Value defaultValue() { return {}; }
    static void reduce(Value& value, const std::function<Value()>& next) {
        for (const auto& a : next()) value.push_back(a);
    }
};
// An environment value of the tests' own.
struct ShadeKey {
    using Value = int;
    static Value defaultValue() { return 0; }
};

// A user view that shows one of its alternatives, chosen by its knob, built with the knob's value.
struct Switch : View<Switch> {
    ObservedObject<Knob> knob;
    std::shared_ptr<const std::vector<Piece>> alternatives;
    AnyView body() const {
        const int v = knob->value.get();
        return (*alternatives)[static_cast<std::size_t>(v) % alternatives->size()](Scope{v, knob.get()});
    }
};

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

std::string words(int v) { return std::string(static_cast<std::size_t>(1 + v % 5), 'w') + (v % 3 == 0 ? " and more words to wrap" : "") + " " + std::to_string(v); }
CGFloat small(int v, CGFloat base) { return base + static_cast<CGFloat>(v % 4) * 3; }

const std::vector<Color>& colors() {
    static const std::vector<Color> all{Color::blue(), Color::red(), Color::green(), Color::gray(), Color::clear()};
    return all;
}
Color color(World& w) { return colors()[static_cast<std::size_t>(w.below(static_cast<int>(colors().size())))]; }
Alignment alignment(World& w) {
    static const std::vector<Alignment> all{Alignment::center(), Alignment::topLeading(), Alignment::bottomTrailing(), Alignment::leading(),
                                            Alignment::top()};
    return all[static_cast<std::size_t>(w.below(static_cast<int>(all.size())))];
}
AnyShape shape(World& w) {
    switch (w.below(3)) {
    case 0: return AnyShape(Rectangle());
    case 1: return AnyShape(Circle());
    default: return AnyShape(RoundedRectangle(4));
    }
}
Binding<int> knobBinding(const Scope& s) {
    auto knob = s.knob;
    return Binding<int>([knob] { return knob->value.get(); }, [knob](int v) { knob->value.set(v); });
}

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

// A leaf for the label of a button: nothing in it takes clicks.
Piece labelPiece(World& w) {
    switch (w.below(3)) {
    case 0: return [](const Scope& s) { return AnyView(Text("tap " + std::to_string(s.v % 4))); };
    case 1: return [](const Scope&) { return AnyView(Label("Gear", "gear")); };
    default: return [](const Scope& s) { return AnyView(Rectangle().fill(Color::orange()).frame(small(s.v, 8), 8)); };
    }
}

// One element per held piece, some of them left out and reordered by the knob's value.
std::vector<std::size_t> shownOrder(std::size_t count, int v) {
    const std::size_t shown = count - (count > 1 && v % 2 == 1 ? 1 : 0);
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < shown; ++i) order.push_back(v % 3 == 2 ? shown - 1 - i : i);
    return order;
}

std::vector<AnyView> build(const std::vector<Piece>& pieces, const Scope& s) {
    std::vector<AnyView> out;
    for (const auto& p : pieces) out.push_back(p(s));
    return out;
}

// A kind that wraps one view in a modifier: `draw(world)` draws the modifier's fixed parameters and
// returns `modify(view, scope)`; a modifier with none is given as `modify` itself.
template <class Draw>
Kind modifier(const char* name, Draw draw) {
    return {name, Holds::one, [draw](World& w, std::vector<Piece> held) -> Piece {
                const auto modify = [&] {
                    if constexpr (std::is_invocable_v<Draw, World&>) return draw(w);
                    else return draw;
                }();
                Piece inner = std::move(held.front());
                return [inner, modify](const Scope& s) { return modify(inner(s), s); };
            }};
}

std::vector<Kind> makeKinds() {
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
    all.push_back({"Divider", Holds::nothing, [](World&, std::vector<Piece>) -> Piece { return [](const Scope&) { return AnyView(Divider()); }; }});
    all.push_back({"EmptyView", Holds::nothing, [](World&, std::vector<Piece>) -> Piece { return [](const Scope&) { return AnyView(EmptyView()); }; }});
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
                           Binding<std::string> text([knob] { return words(knob->value.get()); }, [knob](std::string t) { knob->value.set(static_cast<int>(t.size() % 30)); });
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
                           static const VerticalAlignment aligned[] = {VerticalAlignment::center(), VerticalAlignment::top(), VerticalAlignment::firstTextBaseline()};
                           return AnyView(HStack(aligned[pick], pick == 1 ? std::optional<CGFloat>(small(s.v, 0)) : std::nullopt, build(held, s)));
                       };
                   }});
    all.push_back({"VStack", Holds::several, [](World& w, std::vector<Piece> held) -> Piece {
                       const int pick = w.below(3);
                       return [held, pick](const Scope& s) {
                           static const HorizontalAlignment aligned[] = {HorizontalAlignment::center(), HorizontalAlignment::leading(), HorizontalAlignment::trailing()};
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
                               rows.push_back(GridRow(rowAligned ? std::optional<VerticalAlignment>(VerticalAlignment::bottom()) : std::nullopt, std::move(cells)));
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
                       return [inner, a, indicators](const Scope& s) { return AnyView(ScrollView(a, indicators, inner(s))).frame(std::nullopt, small(s.v, 40)); };
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
                           return alert(inner(s), "Alert", shown, {AlertButton{"OK", std::nullopt, [] {}}}, s.v % 2 ? std::optional<std::string>("Message") : std::nullopt);
                       };
                   }});

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
            return v.aspectRatio(given ? std::optional<CGFloat>(0.5 + s.v % 3 * 0.5) : std::nullopt, fill ? ContentMode::fill : ContentMode::fit);
        };
    }));
    all.push_back(modifier("scaledToFit", [](AnyView v, const Scope&) { return v.scaledToFit(); }));
    all.push_back(modifier("scaledToFill", [](AnyView v, const Scope&) { return v.scaledToFill(); }));
    all.push_back(modifier("layoutPriority", [](AnyView v, const Scope& s) { return v.layoutPriority(s.v % 3); }));
    all.push_back(modifier("offset", [](AnyView v, const Scope& s) { return v.offset(small(s.v, -3), 2); }));
    all.push_back(modifier("alignmentGuide", [](World& w) {
        return [horizontal = w.chance(50)](AnyView v, const Scope& s) {
            const CGFloat shift = small(s.v, 0);
            if (horizontal) return v.alignmentGuide(HorizontalAlignment::leading(), [shift](const ViewDimensions& d) { return d.width() / 2 + shift; });
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
    all.push_back(modifier("scaleEffect", [](AnyView v, const Scope& s) { return v.scaleEffect(1 + s.v % 3 * 0.25, UnitPoint::topLeading()); }));
    all.push_back(modifier("rotationEffect", [](AnyView v, const Scope& s) { return v.rotationEffect(Angle::degrees(s.v * 10)); }));
    all.push_back(modifier("contentShape", [](World& w) {
        return [sh = shape(w)](AnyView v, const Scope&) { return v.contentShape(sh); };
    }));
    all.push_back(modifier("hidden", [](AnyView v, const Scope&) { return v.hidden(); }));
    all.push_back(modifier("redacted", [](AnyView v, const Scope& s) { return v.redacted(s.v % 2 ? std::optional(RedactionReason::placeholder) : std::nullopt); }));
    all.push_back(modifier("accessibilityLabel", [](AnyView v, const Scope&) { return v.accessibilityLabel("labelled"); }));
    all.push_back(modifier("shadow", [](AnyView v, const Scope& s) { return s.v % 2 ? v.shadow(3) : v.shadow(Color::red(), 2, 1, 1); }));

    // Text and environment modifiers.
    all.push_back(modifier("font", [](AnyView v, const Scope& s) { return v.font(s.v % 2 ? Font::title() : Font::system(9)); }));
    all.push_back(modifier("fontWeight", [](AnyView v, const Scope&) { return v.fontWeight(Font::Weight::semibold()); }));
    all.push_back(modifier("bold", [](AnyView v, const Scope& s) { return v.bold(s.v % 2 == 0); }));
    all.push_back(modifier("italic", [](AnyView v, const Scope&) { return v.italic(); }));
    all.push_back(modifier("lineLimit", [](AnyView v, const Scope& s) { return v.lineLimit(s.v % 3 == 0 ? std::nullopt : std::optional<int>(s.v % 3)); }));
    all.push_back(modifier("truncationMode", [](AnyView v, const Scope& s) { return v.truncationMode(static_cast<TruncationMode>(s.v % 3)); }));
    all.push_back(modifier("multilineTextAlignment", [](AnyView v, const Scope& s) {
        return v.multilineTextAlignment(static_cast<TextAlignment>(s.v % 3));
    }));
    all.push_back(modifier("lineSpacing", [](AnyView v, const Scope& s) { return v.lineSpacing(s.v % 3); }));
    all.push_back(modifier("minimumScaleFactor", [](AnyView v, const Scope&) { return v.minimumScaleFactor(0.5); }));
    all.push_back(modifier("textSelection", [](AnyView v, const Scope&) { return v.textSelection(true); }));
    all.push_back(modifier("disabled", [](AnyView v, const Scope& s) { return v.disabled(s.v % 2 == 1); }));
    all.push_back(modifier("colorScheme", [](AnyView v, const Scope& s) { return v.colorScheme(s.v % 2 ? ColorScheme::dark : ColorScheme::light); }));
    all.push_back(modifier("environment", [](AnyView v, const Scope& s) { return v.environment<ShadeKey>(s.v % 4); }));
    all.push_back(modifier("transformEnvironment", [](AnyView v, const Scope&) {
        return v.transformEnvironment<ShadeKey>([](int& shade) { shade += 1; });
    }));
    all.push_back(modifier("labelsHidden", [](AnyView v, const Scope&) { return labelsHidden(std::move(v)); }));
    all.push_back(modifier("toggleStyle", [](AnyView v, const Scope& s) { return toggleStyle(std::move(v), static_cast<ToggleStyle>(s.v % 3)); }));
    all.push_back(modifier("pickerStyle", [](AnyView v, const Scope& s) { return pickerStyle(std::move(v), static_cast<PickerStyle>(s.v % 3)); }));
    all.push_back(modifier("textFieldStyle", [](AnyView v, const Scope& s) { return textFieldStyle(std::move(v), static_cast<TextFieldStyle>(s.v % 3)); }));
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

Piece generate(World& w, int depth) {
    static const auto byHolding = [] {
        std::vector<std::vector<const Kind*>> out(3);
        for (const Kind& k : kinds()) out[static_cast<std::size_t>(k.holds)].push_back(&k);
        return out;
    }();
    static const Kind& switchKind = *std::find_if(kinds().begin(), kinds().end(), [](const Kind& k) { return k.name == std::string("switch"); });
    --w.piecesLeft;
    // Near the root always something that holds views; switches more often than any other kind, as
    // their knobs are what changes.
    const int roll = w.below(100);
    Holds holds = roll < 18 ? Holds::nothing : roll < 60 ? Holds::one : Holds::several;
    if (holds == Holds::nothing && depth > 5) holds = Holds::several;
    if (depth <= 0 || w.piecesLeft <= 0) holds = Holds::nothing;
    const auto& choices = byHolding[static_cast<std::size_t>(holds)];
    const Kind& kind = holds == Holds::several && w.chance(25) ? switchKind
                                                              : *choices[static_cast<std::size_t>(w.below(static_cast<int>(choices.size())))];
    std::vector<Piece> held;
    if (holds == Holds::one) held.push_back(generate(w, depth - 1));
    if (holds == Holds::several) {
        const int count = 1 + w.below(4);
        for (int i = 0; i < count; ++i) held.push_back(generate(w, depth - 1));
    }
    return kind.make(w, std::move(held));
}

} // namespace

const std::vector<Kind>& kinds() {
    static const std::vector<Kind> all = makeKinds();
    return all;
}

AnyView randomWindow(World& world, int pieces) {
    world.piecesLeft = pieces;
    auto knob = std::make_shared<Knob>();
    world.knobs.push_back(knob);
    std::vector<Piece> alternatives;
    const int count = 1 + world.below(3);
    for (int i = 0; i < count; ++i) alternatives.push_back(generate(world, 7));
    return Switch{{}, {knob}, std::make_shared<const std::vector<Piece>>(std::move(alternatives))};
}

} // namespace glimmo::testing
