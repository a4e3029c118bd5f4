#include "shell/MainViews.h"

#include "shell/PlaceholderViews.h"

namespace glimmo {

AnyView makeContentView(const std::shared_ptr<PreferencesModel>&, const std::shared_ptr<ChromeHistoryReader>&,
                        const std::shared_ptr<ActivityMonitor>&, const std::shared_ptr<UnifiedActivityService>&) {
    return notBuiltYetView(contentViewNotBuiltNotice);
}

AnyView makePreferencesView(const std::shared_ptr<ChromeHistoryReader>&, const std::shared_ptr<ActivityMonitor>&) {
    return notBuiltYetView(preferencesViewNotBuiltNotice);
}

bool mainViewsAreBuilt() { return false; }

} // namespace glimmo
