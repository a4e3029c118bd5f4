#include "ui/Dashboard/ClassicContentView.h"

#include "platform/view/Controls/Controls.h"
#include "ui/Dashboard/BottomComponentView.h"
#include "ui/Dashboard/DashboardLayoutParts.h"

#include <string>

namespace glimmo {

ClassicContentView::ClassicContentView(std::shared_ptr<ChromeHistoryReader> chromeReader,
                                       std::shared_ptr<ActivityMonitor> activityMonitor,
                                       std::shared_ptr<UnifiedActivityService> unifiedActivityService)
    : preferences([] { return PreferencesModel::shared(); }), chromeReader(std::move(chromeReader)),
      activityMonitor(std::move(activityMonitor)), unifiedActivityService(unifiedActivityService),
      viewModel([unifiedActivityService] { return std::make_shared<ContentViewModel>(unifiedActivityService); }) {}

AnyView ClassicContentView::body() const {
    const auto model = viewModel.get();
    // Written straight to the user defaults, so the preferences window sees the same choice.
    const Binding<BottomPanelType> selection([model] { return model->selectedComponent(); },
                                             [model](BottomPanelType panel) { model->setSelectedComponent(panel); });
    auto picker = Picker<BottomPanelType>("", selection, allBottomPanelTypes,
                                          [](BottomPanelType panel) { return Text::verbatim(std::string(rawValue(panel))); })
                      .labelsHidden();
    auto content = VStack(HorizontalAlignment::center(), 20,
                          {
                              Text("Classic View - Main Content removed temporarily").padding(),
                              dashboard::scores(*model),
                              Divider(),
                              HStack({pickerStyle(std::move(picker), PickerStyle::menu), Spacer()}).padding(EdgeSet::horizontal()),
                              BottomComponentView{.selectedComponent = model->selectedComponent(),
                                                  .weekData = model->weekData.get(),
                                                  .chromeReader = chromeReader.get(),
                                                  .activityMonitor = activityMonitor.get()},
                          })
                       .padding(10);
    return dashboard::refreshingScrollView(std::move(content), chromeReader.get(), model);
}

} // namespace glimmo
