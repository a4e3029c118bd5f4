#include "ui/Dashboard/ContentView.h"

#include "ui/Dashboard/ClassicContentView.h"
#include "ui/Dashboard/ModernContentView.h"
#include "ui/Panels/JournalContentView.h"

namespace glimmo {

AnyView ContentView::body() const {
    switch (preferences->viewStyle.get()) {
    case ViewStyle::modern:
        return Branch(0, ModernContentView(chromeReader.get(), activityMonitor.get(), unifiedActivityService.get()));
    case ViewStyle::classic:
        return Branch(1, ClassicContentView(chromeReader.get(), activityMonitor.get(), unifiedActivityService.get()));
    default:
        return Branch(2, JournalContentView(chromeReader.get(), activityMonitor.get(), unifiedActivityService.get()));
    }
}

} // namespace glimmo
