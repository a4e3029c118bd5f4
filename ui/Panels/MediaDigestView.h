#pragma once

// A 150-point panel headed "MEDIA RECOMMENDATIONS" that asks for three media recommendations each
// time it comes on screen and shows the reply as plain text (its ReplyText: a long reply is cut).

#include "analysis/MediaDigestModel.h"
#include "app/ActivityMonitor.h"
#include "app/ChromeHistoryReader.h"
#include "platform/view/ViewKit.h"

#include <memory>

namespace glimmo {

struct MediaDigestView : View<MediaDigestView> {
    static constexpr CGFloat panelHeight = 150;

    MediaDigestView(std::shared_ptr<ChromeHistoryReader> chromeReader, std::shared_ptr<ActivityMonitor> activityMonitor);

    ObservedObject<ChromeHistoryReader> chromeReader;
    ObservedObject<ActivityMonitor> activityMonitor;
    // The recommendation, its loading flag and the Gemini model, kept per panel identity.
    StateObject<MediaDigestModel> model;

    AnyView body() const;
};

} // namespace glimmo
