#include "ui/Panels/PreferencesView.h"

#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/view/Controls/Controls.h"
#include "ui/Panels/DataClearing.h"
#include "ui/Panels/DockIcon.h"

#include <algorithm>
#include <set>
#include <utility>

namespace glimmo {

namespace {

std::shared_ptr<Updater> makeStandardUpdater() {
    return std::make_shared<StandardUpdaterController>(true);
}

std::string bottomPanelRaw(const BottomPanelType& panel) {
    return std::string(rawValue(panel));
}

std::optional<BottomPanelType> bottomPanelFromRaw(const std::string& raw) {
    return bottomPanelTypeFromRawValue(raw);
}

} // namespace

void resetToDefaultCategories(PreferencesModel& preferences) {
    preferences.categories = std::vector<Category>{{UUID::random(), "Create", true},
                                                   {UUID::random(), "Consume", false},
                                                   {UUID::random(), "Communicate", true}};
    preferences.saveCategories();
}

PreferencesView::PreferencesView(std::shared_ptr<ChromeHistoryReader> reader, std::shared_ptr<ActivityMonitor> monitor,
                                 std::function<std::shared_ptr<Updater>()> makeUpdater)
    : selectedComponent("selectedBottomComponent", BottomPanelType::weeklyBreakdown, bottomPanelRaw, bottomPanelFromRaw),
      hideDockIcon(hideDockIconKey, hideDockIconByDefault),
      updaterController(makeUpdater ? makeUpdater() : makeStandardUpdater()),
      chromeReader(std::move(reader)),
      activityMonitor(std::move(monitor)),
      preferences([] { return PreferencesModel::shared(); }) {
    // The same default as the toggle's, so what it shows is what applies.
    applyDockIconRule(UserDefaults::standard().boolean(hideDockIconKey).value_or(hideDockIconByDefault));
}

AnyView PreferencesView::body() const {
    const EnvironmentObject<UnifiedActivityService> service = unifiedActivityService;
    return TabView<int>(selectedTab.binding(), {{Label("Categories", "folder"), 0, categoriesTab()},
                                                {Label("Settings", "gear"), 1, settingsTab()}})
        .frame(width, height)
        .onAppear([service] { observeCategoryChanges(NotificationCenter::defaultCenter(), service.get()); });
}

AnyView PreferencesView::categoriesTab() const {
    const std::shared_ptr<PreferencesModel> model = preferences.get();
    const std::vector<Category> categories = model->categories.get();
    const State<std::string> name = newCategoryName;
    const State<bool> positive = newCategoryIsPositive;

    AnyView list =
        List(categories, [](const Category& c) { return c.id; },
             [model](const Category& category) {
                 const UUID id = category.id;
                 return HStack({Image::systemName(category.isPositive ? "plus.circle.fill" : "minus.circle.fill")
                                    .foregroundColor(category.isPositive ? Color::green() : Color::red()),
                                Text::verbatim(category.name), Spacer(),
                                Button(
                                    [model, id] {
                                        const auto& current = model->categories.get();
                                        const auto found = std::find_if(current.begin(), current.end(),
                                                                        [&](const Category& c) { return c.id == id; });
                                        if (found == current.end()) return;
                                        model->deleteCategory({static_cast<std::size_t>(found - current.begin())});
                                    },
                                    Image::systemName("trash").foregroundColor(Color::red()))
                                    .buttonStyle(AnyButtonStyle::borderless())
                                    .accessibilityLabel("delete " + category.name)});
             })
            .onDelete([model](const std::vector<std::size_t>& positions) {
                model->deleteCategory(std::set<std::size_t>(positions.begin(), positions.end()));
            })
            .accessibilityLabel("categories");

    AnyView addRow = HStack({AnyView(TextField("New Category", name.binding())).accessibilityLabel("new category"),
                             AnyView(Toggle("Positive", positive.binding())).accessibilityLabel("positive"),
                             Button("Add",
                                    [model, name, positive] {
                                        if (name->empty()) return;
                                        model->addCategory(*name, *positive);
                                        name.set("");
                                    })
                                 .disabled(name->empty())
                                 .accessibilityLabel("add")})
                         .padding();

    AnyView reset = Button("Reset to Default Categories", [model] { resetToDefaultCategories(*model); })
                        .padding()
                        .accessibilityLabel("reset");
    return VStack({list, addRow, reset});
}

AnyView PreferencesView::settingsTab() const {
    const std::shared_ptr<PreferencesModel> model = preferences.get();
    const BottomPanelType selected = selectedComponent.get();
    const AppStorage<BottomPanelType>& component = selectedComponent;
    const Binding<BottomPanelType> componentBinding = component.binding();

    std::vector<AnyView> display{
        Picker<ViewStyle>("View Style",
                          Binding<ViewStyle>([model] { return model->viewStyle.get(); }, [model](ViewStyle v) { model->viewStyle = v; }),
                          {{Text("Classic"), ViewStyle::classic}, {Text("Modern"), ViewStyle::modern}, {Text("Journal"), ViewStyle::journal}})
            .pickerStyle(PickerStyle::segmented)
            .padding(EdgeSet::vertical(), 5)
            .accessibilityLabel("view style")};
    for (const BottomPanelType panel : allBottomPanelTypes) {
        const bool isSelected = panel == selected;
        display.push_back(HStack({Image::systemName(isSelected ? "checkmark.circle.fill" : "circle")
                                      .foregroundColor(isSelected ? Color::blue() : Color::gray()),
                                  Text::verbatim(std::string(rawValue(panel)))})
                              .contentShape(AnyShape(Rectangle()))
                              .onTapGesture([componentBinding, panel] { componentBinding.set(panel); })
                              .accessibilityLabel("panel " + std::string(rawValue(panel))));
    }
    display.push_back(AnyView(Toggle("Hide Dock Icon", hideDockIcon.binding()))
                          .onChange(hideDockIcon.get(), [](const bool&, const bool& hide) { applyDockIconRule(hide); })
                          .accessibilityLabel("hide dock icon"));

    const std::shared_ptr<Updater> updater = *updaterController;
    const State<bool> confirming = showingDeleteConfirmation;
    AnyView actions = Section({Button("Check for Updates", [updater] { updater->checkForUpdates(); }).accessibilityLabel("check for updates"),
                               Button(ButtonRole::destructive, [confirming] { confirming.set(true); },
                                      HStack({Image::systemName("trash"), Text("Clear All Data")}))
                                   .accessibilityLabel("clear all data")});

    const auto monitor = activityMonitor.get();
    const auto reader = chromeReader.get();
    const EnvironmentObject<UnifiedActivityService> service = unifiedActivityService;
    return alert(Form({Section("Display", std::move(display)), actions}).padding(), "Clear All Data", confirming.binding(),
                 {{"Cancel", ButtonRole::cancel, [] {}},
                  {"Clear", ButtonRole::destructive, [monitor, service, reader] { clearAllApplicationData(*monitor, *service, *reader); }}},
                 "This will delete all stored activity and browsing data. This action cannot be undone.");
}

} // namespace glimmo
