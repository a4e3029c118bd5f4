#include "ui/Panels/MediaDigestView.h"

#include "platform/view/Controls/Controls.h"
#include "ui/Panels/ReplyText.h"

#include <utility>

namespace glimmo {

MediaDigestView::MediaDigestView(std::shared_ptr<ChromeHistoryReader> reader, std::shared_ptr<ActivityMonitor> monitor)
    : chromeReader(reader), activityMonitor(monitor),
      model([reader, monitor] { return std::make_shared<MediaDigestModel>(reader, monitor); }) {}

AnyView MediaDigestView::body() const {
    const std::shared_ptr<MediaDigestModel> digest = model.get();
    AnyView content = IfElse(
        digest->isLoading.get(),
        [] { return ProgressView().frame({.maxWidth = infinity, .maxHeight = infinity}); },
        [&] {
            return ScrollView(AxisSet::vertical(), true,
                              replyText(digest->recommendation.get())
                                  .font(Font::system(13))
                                  .lineSpacing(4)
                                  .fixedSize(false, true)
                                  .frame({.maxWidth = infinity, .alignment = Alignment::leading()}))
                .frame({.maxWidth = infinity});
        });
    return VStack(HorizontalAlignment::leading(), 4,
                  {Text("MEDIA RECOMMENDATIONS").foregroundColor(Color::gray()).font(Font::system(10)).padding(EdgeSet::bottom(), 4),
                   content})
        .frame(std::nullopt, panelHeight)
        .padding(EdgeSet::horizontal())
        .task([digest] { return digest->generateRecommendation(); });
}

} // namespace glimmo
