#include "ui/Dashboard/ScoresView.h"

#include "ui/Dashboard/DashboardStyle.h"

namespace glimmo {

AnyView ScoresView::body() const {
    const double opacity = dashboard::dimmedOpacity(isLoading);
    return HStack(VerticalAlignment::center(), 40,
                  {
                      VStack({
                                 Text::verbatim(focusScore).font(Font::system(42, Font::Weight::bold())).opacity(opacity),
                                 Text("Focus Score").font(Font::system(14)),
                             })
                          .help("Based on the ratio of creative work to other activities"),
                      VStack({
                                 Text::verbatim(formatTime(totalComputerTime))
                                     .font(Font::system(42, Font::Weight::bold()))
                                     .opacity(opacity),
                                 HStack(VerticalAlignment::center(), 4, {Text("Computer Time").font(Font::system(14))}),
                             })
                          .help("Total time spent on computer today"),
                  });
}

} // namespace glimmo
