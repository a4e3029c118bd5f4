// The controls as the Qt backend draws them, in light and dark, with a focused field and an open menu.

#include "KitGallery.h"

#include "platform/view/Button.h"
#include "platform/view/Controls/Controls.h"
#include "platform/view/Image.h"
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

struct CategoryRow {
    std::string name;
    bool isPositive;
};

AnyView categoriesTab() {
    const std::vector<CategoryRow> categories{{"Create", true}, {"Consume", false}, {"Communicate", true}};
    return VStack({
        List(categories, [](const CategoryRow& c) { return c.name; },
             [](const CategoryRow& c) {
                 return HStack({Image::systemName(c.isPositive ? "plus.circle.fill" : "minus.circle.fill")
                                    .foregroundColor(c.isPositive ? Color::green() : Color::red()),
                                Text(c.name), Spacer(),
                                Button([] {}, Image::systemName("trash").foregroundColor(Color::red())).buttonStyle(AnyButtonStyle::borderless())})
                     .accessibilityLabel("row " + c.name);
             }),
        HStack({TextField("New Category", Binding<std::string>::constant("")), Toggle("Positive", Binding<bool>::constant(true)),
                Button("Add", [] {}).disabled(true)})
            .padding(),
        Button("Reset to Default Categories", [] {}).padding(),
    });
}

AnyView settingsTab() {
    const std::vector<std::string> panels{"None", "Weekly Graph", "App Focus", "Media Digest", "Coming Soon"};
    std::vector<AnyView> display{
        Picker<int>("View Style", Binding<int>::constant(1), {{Text("Classic"), 0}, {Text("Modern"), 1}, {Text("Journal"), 2}})
            .pickerStyle(PickerStyle::segmented)
            .padding(EdgeSet::vertical(), 5),
    };
    for (const std::string& p : panels) {
        const bool chosen = p == "Weekly Graph";
        display.push_back(HStack({Image::systemName(chosen ? "checkmark.circle.fill" : "circle").foregroundColor(chosen ? Color::blue() : Color::gray()),
                                  Text(p)}));
    }
    display.push_back(Toggle("Hide Dock Icon", Binding<bool>::constant(true)));
    const AnyView form = Form({Section("Display", display),
                               Section({Button("Check for Updates", [] {}),
                                        Button(ButtonRole::destructive, [] {}, HStack({Image::systemName("trash"), Text("Clear All Data")}))})})
                             .padding();
    return alert(form, "Clear All Data", Binding<bool>::constant(true),
                 {{"Cancel", ButtonRole::cancel, {}}, {"Clear", ButtonRole::destructive, {}}},
                 "This will delete all stored activity and browsing data. This action cannot be undone.");
}

AnyView containersSheet() {
    const auto tabs = [](int selected) {
        return TabView<int>(Binding<int>::constant(selected), {
                                {Label("Categories", "folder"), 0, categoriesTab()},
                                {Label("Settings", "gear"), 1, settingsTab()},
                            })
            .frame(500, 400);
    };
    return VStack(HorizontalAlignment::leading(), 14, {
        section("TabView on its first tab: List with a selected row, TextField, Toggle, Button", tabs(0)),
        section("TabView on its second tab: Form with Sections, and an alert presented over it", tabs(1)),
    })
        .padding(16)
        .background(Color::windowBackgroundColor());
}

void selectSecondRow(ViewHost& host) { testing::clickLabelled(host, "row Consume"); }

TEST(ControlsGalleryTest, ContainersSheetMatchesItsReference) {
    testing::expectMatchesReference(KitSheet{"controls-containers-light", containersSheet(), 540, ColorScheme::light, selectSecondRow});
}

// The field first: a click outside an open menu only closes the menu.
void openMenuAndFocusField(ViewHost& host) {
    testing::clickLabelled(host, "focused field");
    testing::clickLabelled(host, "open menu");
}

TEST(ControlsGalleryTest, LightSheetMatchesItsReference) {
    testing::expectMatchesReference(KitSheet{"controls-light", controlsSheet(), 520, ColorScheme::light, openMenuAndFocusField});
}

TEST(ControlsGalleryTest, DarkSheetMatchesItsReference) {
    testing::expectMatchesReference(KitSheet{"controls-dark", controlsSheet(), 520, ColorScheme::dark, openMenuAndFocusField});
}

} // namespace
} // namespace glimmo
