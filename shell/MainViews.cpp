#include "shell/MainViews.h"

#include "shell/PlaceholderViews.h"
#include "ui/Dashboard/ContentView.h"
#include "ui/Panels/PreferencesView.h"

namespace glimmo {
namespace {
// The one switch: false shows the notices of PlaceholderViews.h in place of views that do not build.
constexpr bool useBuiltViews = true;
} // namespace

AnyView makeContentView(const std::shared_ptr<PreferencesModel>& preferences,
                        const std::shared_ptr<ChromeHistoryReader>& chromeReader,
                        const std::shared_ptr<ActivityMonitor>& activityMonitor,
                        const std::shared_ptr<UnifiedActivityService>& unifiedActivityService) {
    if (!useBuiltViews) return notBuiltYetView(contentViewNotBuiltNotice);
    return AnyView(ContentView{{},
                               StateObject<PreferencesModel>([preferences] { return preferences; }),
                               chromeReader,
                               activityMonitor,
                               unifiedActivityService});
}

AnyView makePreferencesView(const std::shared_ptr<ChromeHistoryReader>& chromeReader,
                            const std::shared_ptr<ActivityMonitor>& activityMonitor) {
    if (!useBuiltViews) return notBuiltYetView(preferencesViewNotBuiltNotice);
    return AnyView(PreferencesView(chromeReader, activityMonitor));
}

bool mainViewsAreBuilt() { return useBuiltViews; }

} // namespace glimmo
