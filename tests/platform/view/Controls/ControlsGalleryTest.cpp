// The controls as the Qt backend draws them, in light and dark, with a focused field and an open menu.

#include "KitGallery.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Label.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

namespace glimmo {
namespace {

using testing::KitSheet;

AnyView caption(std::string text) { return Text(std::move(text)).font(Font::caption()).foregroundColor(Color::secondary()); }

AnyView section(std::string title, AnyView content) {
    return VStack(HorizontalAlignment::leading(), 6, {caption(std::move(title)), std::move(content)});
}

AnyView controlsSheet() {
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.alignment = Alignment::topLeading();
    return VStack(HorizontalAlignment::leading(), 14, {
        section("Toggle: check box on, off, disabled; switch on and off", HStack(VerticalAlignment::center(), 16, {
            Toggle("Positive", Binding<bool>::constant(true)),
            Toggle("Hide Dock Icon", Binding<bool>::constant(false)),
            Toggle("Disabled", Binding<bool>::constant(true)).disabled(true),
            Toggle("", Binding<bool>::constant(true)).toggleStyle(ToggleStyle::switchStyle).labelsHidden(),
            Toggle("", Binding<bool>::constant(false)).toggleStyle(ToggleStyle::switchStyle).labelsHidden(),
        })),
        section("Picker, segmented: texts, labels with symbols, with a title", VStack(HorizontalAlignment::leading(), 8, {
            Picker<int>("", Binding<int>::constant(1), {{Text("Lumadex"), 0}, {Text("Charts"), 1}, {Text("Chat"), 2}})
                .pickerStyle(PickerStyle::segmented),
            Picker<int>("", Binding<int>::constant(0),
                        {{Label("Lumadex", "clock.arrow.circlepath"), 0}, {Label("Charts", "chart.bar"), 1}, {Label("Chat", "bubble.left"), 2}})
                .pickerStyle(PickerStyle::segmented),
            Picker<int>("View Style", Binding<int>::constant(2), {{Text("Classic"), 0}, {Text("Modern"), 1}, {Text("Journal"), 2}})
                .pickerStyle(PickerStyle::segmented),
        })),
        section("Picker, menu: closed, and open below its button", HStack(VerticalAlignment::top(), 24, {
            labelsHidden(Picker<int>("", Binding<int>::constant(1), {{Text("None"), 0}, {Text("Weekly Graph"), 1}, {Text("App Focus"), 2}})
                             .pickerStyle(PickerStyle::menu)),
            VStack(HorizontalAlignment::leading(), 0, {
                labelsHidden(Picker<int>("", Binding<int>::constant(2),
                                         {{Text("None"), 0}, {Text("Weekly Graph"), 1}, {Text("App Focus"), 2}, {Text("Media Digest"), 3}})
                                 .pickerStyle(PickerStyle::menu))
                    .accessibilityLabel("open menu"),
                AnyView(Color::clear()).frame(10, 100),
            }),
        })),
        section("TextField: placeholder, text, focused with the caret, plain on a text background, growing", VStack(HorizontalAlignment::leading(), 8, {
            HStack(VerticalAlignment::center(), 8, {
                TextField("New Category", Binding<std::string>::constant("")).frame(140, std::nullopt),
                TextField("New Category", Binding<std::string>::constant("Reading")).frame(140, std::nullopt),
                TextField("Name", Binding<std::string>::constant("Focused")).frame(140, std::nullopt).accessibilityLabel("focused field"),
            }),
            TextField("Type your message...", Binding<std::string>::constant(""), Axis::vertical)
                .lineLimit(1, 5)
                .textFieldStyle(TextFieldStyle::plain)
                .padding(8)
                .background(Color::textBackgroundColor())
                .clipShape(RoundedRectangle(8)),
            TextField("Type your message...", Binding<std::string>::constant("A longer question that wraps onto a second line of the field, so the field grows to hold it"), Axis::vertical)
                .lineLimit(1, 5)
                .textFieldStyle(TextFieldStyle::plain)
                .padding(8)
                .background(Color::textBackgroundColor())
                .clipShape(RoundedRectangle(8)),
        })),
        section("ProgressView: spinner, spinner at 0.5, bar at 30%", HStack(VerticalAlignment::center(), 16, {
            ProgressView(),
            ProgressView().scaleEffect(0.5),
            ProgressView(0.3).frame(160, std::nullopt),
        })),
        section("SettingsLink, plain", SettingsLink([] { return AnyView(Text("EDIT CATEGORIES").font(Font::system(10)).foregroundColor(Color::orange())); })
                                           .buttonStyle(AnyButtonStyle::plain())),
    })
        .padding(16)
        .frame(fill)
        .background(Color::windowBackgroundColor());
}

void openMenuAndFocusField(ViewHost& host) {
    testing::clickLabelled(host, "open menu");
    testing::clickLabelled(host, "focused field");
}

TEST(ControlsGalleryTest, LightSheetMatchesItsReference) {
    testing::expectMatchesReference(KitSheet{"controls-light", controlsSheet(), 520, ColorScheme::light, openMenuAndFocusField});
}

TEST(ControlsGalleryTest, DarkSheetMatchesItsReference) {
    testing::expectMatchesReference(KitSheet{"controls-dark", controlsSheet(), 520, ColorScheme::dark, openMenuAndFocusField});
}

} // namespace
} // namespace glimmo
