#include "tests/platform/qt/GallerySheets.h"

#include "platform/view/Button.h"
#include "platform/view/Grid.h"
#include "platform/view/Image.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/SymbolTable.h"
#include "platform/view/Text.h"

namespace glimmo::gallery {
namespace {

constexpr const char* sentence = "The quick brown fox jumps over the lazy dog while the clock keeps counting.";

AnyView box(const Color& color, CGFloat width, CGFloat height) {
    return Rectangle().fill(color).frame(width, height);
}

AnyView caption(std::string text) { return Text(std::move(text)).font(Font::caption()).foregroundColor(Color::secondary()); }

AnyView section(std::string title, AnyView content) {
    return VStack(HorizontalAlignment::leading(), 6, {caption(std::move(title)), std::move(content)});
}

AnyView panel(AnyView content) {
    return content.padding(8).background(Color::gray().opacity(0.15), RoundedRectangle(6));
}

AnyView sheetFrame(std::vector<AnyView> sections) {
    View<AnyView>::FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.alignment = Alignment::topLeading();
    return VStack(HorizontalAlignment::leading(), 16, std::move(sections)).padding(16).frame(fill);
}

AnyView stackRow(VerticalAlignment alignment, std::string title) {
    return section(std::move(title), panel(HStack(alignment, 8, {
        box(Color::blue(), 30, 20),
        box(Color::orange(), 30, 50),
        Text("Title").font(Font::title()),
        Text("body text"),
        box(Color::green(), 30, 35),
    })));
}

AnyView vstackColumn(HorizontalAlignment alignment) {
    return panel(VStack(alignment, 4, {box(Color::blue(), 60, 14), box(Color::orange(), 30, 14), Text("label")})
                     .frame(90, std::nullopt));
}

AnyView zstackCell(Alignment alignment) {
    return ZStack(alignment, {box(Color::blue().opacity(0.3), 70, 50), box(Color::red(), 20, 20)});
}

Sheet stacksAndAlignment() {
    return {"stacks-and-alignment",
            sheetFrame({
                stackRow(VerticalAlignment::top(), "HStack, top"),
                stackRow(VerticalAlignment::center(), "HStack, center (default spacing elsewhere)"),
                stackRow(VerticalAlignment::bottom(), "HStack, bottom"),
                stackRow(VerticalAlignment::firstTextBaseline(), "HStack, first text baseline"),
                section("VStack leading, center, trailing",
                        HStack(VerticalAlignment::top(), 12, {vstackColumn(HorizontalAlignment::leading()),
                                                              vstackColumn(HorizontalAlignment::center()),
                                                              vstackColumn(HorizontalAlignment::trailing())})),
                section("ZStack topLeading, center, bottomTrailing",
                        HStack(VerticalAlignment::top(), 12, {zstackCell(Alignment::topLeading()), zstackCell(Alignment::center()),
                                                              zstackCell(Alignment::bottomTrailing())})),
                section("Spacer, Divider, padding, frame alignment",
                        panel(VStack(HorizontalAlignment::leading(), 6, {
                            HStack({Text("Leading"), Spacer(), Text("Trailing")}),
                            Divider(),
                            HStack({Spacer(), Text("Pushed to the end")}),
                            Text("Framed, bottom trailing")
                                .frame(220, 40, Alignment::bottomTrailing())
                                .background(AnyShapeStyle(Color::yellow().opacity(0.3))),
                        }).frame(360, std::nullopt))),
            }),
            440};
}

Sheet textStyles() {
    std::vector<AnyView> styles;
    const std::pair<const char*, Font> fonts[] = {
        {"Large Title", Font::largeTitle()}, {"Title", Font::title()},         {"Title 2", Font::title2()},
        {"Title 3", Font::title3()},         {"Headline", Font::headline()},   {"Subheadline", Font::subheadline()},
        {"Body", Font::body()},              {"Callout", Font::callout()},     {"Footnote", Font::footnote()},
        {"Caption", Font::caption()},        {"Caption 2", Font::caption2()},
    };
    for (const auto& [name, font] : fonts) styles.push_back(Text(name).font(font));

    AttributedString attributed("Attributed runs: background, link, custom font");
    attributed.set<BackgroundColorAttribute>(Color::yellow().opacity(0.5), attributed.range("background"));
    attributed.set<ForegroundColorAttribute>(Color::blue(), attributed.range("link"));
    attributed.set<UnderlineStyleAttribute>(LineStyle::single(), attributed.range("link"));
    attributed.set<FontAttribute>(Font::custom("DejaVu Sans Mono", 12), attributed.range("custom font"));

    return {"text-styles",
            sheetFrame({
                section("Text styles", VStack(HorizontalAlignment::leading(), 2, styles)),
                section("Weights and designs", VStack(HorizontalAlignment::leading(), 2, {
                    HStack({Text("Light").fontWeight(Font::Weight::light()), Text("Regular"),
                            Text("Medium").fontWeight(Font::Weight::medium()),
                            Text("Semibold").fontWeight(Font::Weight::semibold()), Text("Bold").bold(),
                            Text("Heavy").fontWeight(Font::Weight::heavy())}),
                    HStack({Text("Italic").italic(), Text("Bold italic").bold().italic(),
                            Text("Monospaced 0123").font(Font::body().monospaced()),
                            Text("Digits 1111 / 8888").monospacedDigit(),
                            Text("Small Caps").font(Font::body().smallCaps())}),
                })),
                section("Concatenated text with styled parts",
                        Text(Text("Underlined").underline() + Text(" struck").strikethrough(true, Color::red()) +
                             Text(" tracked").tracking(3) + Text(" raised").baselineOffset(5) +
                             Text(" red").foregroundColor(Color::red()) + Text(" bold").bold())),
                section("Attributed string", Text(attributed)),
                section("Inline symbol images", Text(Text(Image::systemName("gear")) + Text(" Settings  ") +
                                                     Text(Image::systemName("trash")) + Text(" Delete"))),
                section("Wrapping, alignment and line spacing",
                        HStack(VerticalAlignment::top(), 12, {
                            panel(Text(sentence).frame(150, std::nullopt, Alignment::topLeading())),
                            panel(Text(sentence).multilineTextAlignment(TextAlignment::center).frame(150, std::nullopt)),
                            panel(Text(sentence).multilineTextAlignment(TextAlignment::trailing).lineSpacing(4)
                                      .frame(150, std::nullopt)),
                        })),
                section("Line limit and truncation (tail, middle, head; two lines)",
                        VStack(HorizontalAlignment::leading(), 4, {
                            Text(sentence).lineLimit(1).frame(260, std::nullopt, Alignment::leading()),
                            Text(sentence).lineLimit(1).truncationMode(TruncationMode::middle).frame(260, std::nullopt, Alignment::leading()),
                            Text(sentence).lineLimit(1).truncationMode(TruncationMode::head).frame(260, std::nullopt, Alignment::leading()),
                            // Fixed vertically: a stack offered exactly its height shares it out by
                            // flexibility first and would leave this text one line.
                            Text(sentence).lineLimit(2).fixedSize(false, true).frame(200, std::nullopt, Alignment::leading()),
                            Text("Shrinks to fit its width").font(Font::title()).lineLimit(1).minimumScaleFactor(0.5)
                                .frame(160, std::nullopt, Alignment::leading()),
                        })),
            }),
            580};
}

Sheet symbols() {
    const std::vector<std::string> names = knownSymbolNames();
    std::vector<AnyView> rows;
    constexpr std::size_t perRow = 5;
    for (std::size_t first = 0; first < names.size(); first += perRow) {
        std::vector<AnyView> cells;
        for (std::size_t i = first; i < std::min(names.size(), first + perRow); ++i) {
            cells.push_back(VStack(HorizontalAlignment::center(), 4, {
                                Image::systemName(names[i]).font(Font::system(24)),
                                caption(names[i]),
                            }).frame(130, 56));
        }
        rows.push_back(HStack(VerticalAlignment::top(), 0, std::move(cells)));
    }
    rows.push_back(section("Symbols take the font size and foreground colour",
                           HStack({Image::systemName("gear").font(Font::caption()), Image::systemName("gear"),
                                   Image::systemName("gear").font(Font::title()),
                                   Image::systemName("gear").font(Font::largeTitle()).foregroundColor(Color::blue()),
                                   Image::systemName("checkmark.circle.fill").font(Font::largeTitle())
                                       .foregroundColor(Color::green())})));
    return {"symbols", sheetFrame({VStack(HorizontalAlignment::leading(), 8, std::move(rows))}), 690};
}

AnyView swatch(const Color& color, std::string name) {
    return VStack(HorizontalAlignment::center(), 3, {
        RoundedRectangle(5).fill(color).frame(56, 30).overlay(RoundedRectangle(5).stroke(Color::separatorColor())),
        Text(std::move(name)).font(Font::caption2()),
    }).frame(80, std::nullopt);
}

AnyView shapesAndColours() {
    StrokeStyle dashed;
    dashed.lineWidth = 2;
    dashed.dash = {6, 4};
    return sheetFrame({
        section("Shapes: fill, stroke, strokeBorder, dashes",
                HStack(VerticalAlignment::center(), 12, {
                    Rectangle().fill(Color::blue()).frame(60, 40),
                    RoundedRectangle(10).fill(Color::orange()).frame(60, 40),
                    Circle().fill(Color::red()).frame(40, 40),
                    Capsule().fill(Color::green()).frame(70, 30),
                    Ellipse().stroke(Color::primary(), 2).frame(60, 36),
                    RoundedRectangle(8).strokeBorder(Color::blue(), 4).frame(60, 40),
                    Capsule().stroke(Color::purple(), dashed).frame(70, 30),
                    Circle().frame(30, 30),
                })),
        section("Standard colours", HStack(VerticalAlignment::top(), 0, {
            swatch(Color::gray(), "gray"), swatch(Color::blue(), "blue"), swatch(Color::orange(), "orange"),
            swatch(Color::red(), "red"), swatch(Color::green(), "green"), swatch(Color::yellow(), "yellow"),
            swatch(Color::purple(), "purple"), swatch(Color::pink(), "pink"),
        })),
        section("", HStack(VerticalAlignment::top(), 0, {
            swatch(Color::black(), "black"), swatch(Color::white(), "white"), swatch(Color::clear(), "clear"),
            swatch(Color::primary(), "primary"), swatch(Color::secondary(), "secondary"),
            swatch(Color(0.2, 0.6, 0.5), "sRGB"), swatch(Color::rgba(0xFF000080), "RGBA"),
            swatch(Color::blue().opacity(0.3), "opacity 0.3"),
        })),
        section("System colours", HStack(VerticalAlignment::top(), 0, {
            swatch(Color::labelColor(), "label"), swatch(Color::secondaryLabelColor(), "secondary label"),
            swatch(Color::windowBackgroundColor(), "window"), swatch(Color::textBackgroundColor(), "text background"),
            swatch(Color::controlBackgroundColor(), "control"), swatch(Color::separatorColor(), "separator"),
            swatch(Color::dynamic([] { return Color::orange(); }, [] { return Color::purple(); }), "dynamic"),
        })),
        section("Linear gradient, material over content, group opacity, clip shape",
                HStack(VerticalAlignment::center(), 16, {
                    Rectangle().fill(LinearGradient{Gradient::colors({Color::blue(), Color::purple(), Color::red()}),
                                                    UnitPoint::leading(), UnitPoint::trailing()})
                        .frame(140, 40),
                    ZStack({
                        HStack(VerticalAlignment::center(), 0, {box(Color::red(), 20, 50), box(Color::yellow(), 20, 50), box(Color::blue(), 20, 50),
                                   box(Color::green(), 20, 50)}),
                        Rectangle().fill(Material::regularMaterial).frame(60, 30),
                    }),
                    ZStack({Circle().fill(Color::red()).frame(40, 40).offset(-12, 0),
                            Circle().fill(Color::blue()).frame(40, 40).offset(12, 0)})
                        .opacity(0.5),
                    box(Color::orange(), 60, 40).clipShape(Circle()),
                    Text("Tinted").padding(6).background(Color::accentColor().opacity(0.2), Capsule()),
                })),
        section("Shadows: default, moved down, coloured",
                HStack(VerticalAlignment::center(), 24, {
                    RoundedRectangle(8).fill(Color::textBackgroundColor()).frame(60, 40).shadow(4),
                    RoundedRectangle(8).fill(Color::textBackgroundColor()).frame(60, 40).shadow(Color::black().opacity(0.3), 8, 0, 4),
                    Circle().fill(Color::orange()).frame(40, 40).shadow(Color::orange().opacity(0.6), 6),
                    Text("Shadowed text").font(Font::title3()).shadow(Color::black().opacity(0.4), 2, 1, 1),
                }).padding(8)),
    });
}


AnyView buttonRow(std::optional<AnyButtonStyle> style) {
    const auto styled = [&](AnyView button) { return style ? button.buttonStyle(*style) : button; };
    return HStack(VerticalAlignment::center(), 12, {
        styled(Button("Default", [] {})),
        styled(Button("Delete", ButtonRole::destructive, [] {})),
        styled(Button("Cancel", ButtonRole::cancel, [] {})),
        styled(Button("Disabled", [] {}).disabled(true)),
        styled(Button([] {}, HStack(VerticalAlignment::center(), 4, {Image::systemName("gear"), Text("Settings")}))),
        styled(Button("Tinted", [] {}).tint(Color::orange())),
    });
}

Sheet buttons() {
    Sheet sheet{"buttons",
                sheetFrame({
                    // First on the sheet, so the press below lands on it.
                    HStack(VerticalAlignment::center(), 12, {Button("Held down", [] {}), caption("the pointer is pressed on it")}),
                    section("Automatic style", buttonRow(std::nullopt)),
                    section("Bordered", buttonRow(AnyButtonStyle::bordered())),
                    section("Borderless", buttonRow(AnyButtonStyle::borderless())),
                    section("Plain", buttonRow(AnyButtonStyle::plain())),
                }),
                620};
    sheet.interact = [](ViewHost& host) {
        PointerEvent press;
        press.kind = PointerEvent::Kind::pressed;
        press.location = {40, 26};
        host.handlePointer(press);
    };
    return sheet;
}

AnyView numberedRows(int count) {
    return VStack(HorizontalAlignment::leading(), 0, {ForEach::range(0, count, [](int i) {
        return HStack({Text("Row " + std::to_string(i)), Spacer(), Text(std::to_string(i * i)).foregroundColor(Color::secondary())})
            .padding(EdgeSet::horizontal(), 8)
            .frame(std::nullopt, 24)
            .background(AnyShapeStyle(i % 2 ? Color::clear() : Color::gray().opacity(0.12)));
    })});
}

AnyView scrollBox(AnyView scroll) {
    return scroll.frame(180, 150).background(Rectangle().stroke(Color::separatorColor()));
}

Sheet scrollViews() {
    Sheet sheet{"scroll-view",
                sheetFrame({
                    // First on the sheet at known places: the wheel below scrolls the second one.
                    HStack(VerticalAlignment::top(), 16, {
                        scrollBox(ScrollView(numberedRows(30))),
                        scrollBox(ScrollView(numberedRows(30))),
                        scrollBox(ScrollViewReader([](const ScrollViewProxy& proxy) {
                            return AnyView(ScrollView(numberedRows(30)).onAppear([proxy] { proxy.scrollTo(AnyHashable(20), UnitPoint::top()); }));
                        })),
                    }),
                    caption("At rest; scrolled 100 points by the wheel; scrollTo(20, anchor: .top) on appearance"),
                    section("Horizontal", scrollBox(ScrollView(AxisSet::horizontal(), true, HStack(VerticalAlignment::center(), 8, {ForEach::range(0, 12, [](int i) {
                        return RoundedRectangle(6).fill(i % 2 ? Color::blue() : Color::orange()).frame(50, 50)
                            .overlay(Text(std::to_string(i)).foregroundColor(Color::white()));
                    })}).padding(8)))),
                }),
                620};
    sheet.interact = [](ViewHost& host) {
        WheelEvent wheel;
        wheel.location = {16 + 180 + 16 + 90, 16 + 75};
        wheel.deltaY = -100;
        host.handleWheel(wheel);
    };
    return sheet;
}

Sheet grid() {
    const auto row = [](std::string app, std::string time, std::string share, Color color) {
        return GridRow({
            Circle().fill(color).frame(10, 10),
            Text(std::move(app)),
            Text(std::move(time)).monospacedDigit().gridColumnAlignment(HorizontalAlignment::trailing()),
            Text(std::move(share)).foregroundColor(Color::secondary()).gridColumnAlignment(HorizontalAlignment::trailing()),
        });
    };
    return {"grid",
            sheetFrame({
                section("Grid with leading and trailing columns",
                        panel(Grid(Alignment::leading(), 12, 6, {
                            GridRow({Text(""), Text("Application").bold(), Text("Time").bold(), Text("Share").bold()}),
                            Divider(),
                            row("Editor", "3:12:05", "48 %", Color::blue()),
                            row("Browser", "1:47:40", "27 %", Color::orange()),
                            row("Terminal", "58:02", "15 %", Color::green()),
                            row("Mail", "12:31", "3 %", Color::red()),
                            Divider(),
                            GridRow({Text(""), Text("Total").bold(), Text("6:30:18").bold(), Text("100 %").bold()}),
                        }))),
                section("Rows align their cells; cells of different sizes",
                        panel(Grid(Alignment::center(), std::nullopt, std::nullopt, {
                            GridRow({box(Color::blue(), 40, 20), box(Color::orange(), 20, 40), box(Color::green(), 60, 10)}),
                            GridRow(VerticalAlignment::bottom(), {box(Color::red(), 20, 20), box(Color::purple(), 50, 30), box(Color::yellow(), 20, 50)}),
                        }))),
            }),
            460};
}

} // namespace

std::vector<Sheet> sheets() {
    return {
        stacksAndAlignment(),
        textStyles(),
        symbols(),
        {"shapes-and-colours-light", shapesAndColours(), 700, ColorScheme::light},
        {"shapes-and-colours-dark", shapesAndColours(), 700, ColorScheme::dark},
        buttons(),
        scrollViews(),
        grid(),
    };
}

void PrintTo(const Sheet& sheet, std::ostream* out) { *out << sheet.name; }

} // namespace glimmo::gallery
