#include "ui/Dashboard/BottomComponentView.h"

#include "ui/Dashboard/AppFocusView.h"
#include "ui/Dashboard/EquatableWeeklyBarChart.h"
#include "ui/Panels/MediaDigestView.h"

namespace glimmo {

AnyView BottomComponentView::body() const {
    switch (selectedComponent) {
    case BottomPanelType::none:
        return Branch(0, EmptyView());
    case BottomPanelType::weeklyBreakdown:
        return Branch(1, EquatableWeeklyBarChart{.weekData = weekData});
    case BottomPanelType::appFocus:
        return Branch(2, AppFocusView(chromeReader.get(), activityMonitor.get()));
    case BottomPanelType::mediaDigest:
        return Branch(3, MediaDigestView(chromeReader.get(), activityMonitor.get()));
    case BottomPanelType::comingSoon:
        return Branch(4, Text("Coming Soon!"));
    }
    return Branch(0, EmptyView());
}

} // namespace glimmo
