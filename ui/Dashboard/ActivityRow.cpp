#include "ui/Dashboard/ActivityRow.h"

#include "platform/desktop/Workspace.h"
#include "platform/foundation/URL.h"
#include "ui/Dashboard/DashboardStyle.h"

namespace glimmo {

AnyView MagnifyingGlassButton::body() const {
    const auto link = searchUrl;
    auto hovered = isHovered;
    return Button(
               [link] {
                   if (!link) return;
                   const auto url = URL::parse(*link);
                   if (!url) return;
                   Workspace::shared().openURL(url->absoluteString());
               },
               Image::systemName("magnifyingglass")
                   .foregroundColor(Color::blue())
                   .padding(8)
                   .background(AnyView(Circle().fill(Color::black().opacity(*isHovered ? 0.08 : 0.05)))))
        .help("Search this activity")
        .buttonStyle(AnyButtonStyle::plain())
        .onHover([hovered](bool inside) { hovered.set(inside); });
}

AnyView ActivityRow::body() const {
    const double opacity = dashboard::dimmedOpacity(isLoading);
    const std::string duration = activity.formattedDuration();
    return HStack({
        Text::verbatim(activity.description).help(activity.description).opacity(opacity),
        Spacer(),
        Text::verbatim(duration).foregroundColor(Color::gray()).help("Time spent: " + duration).opacity(opacity),
        MagnifyingGlassButton{.searchUrl = activity.searchUrl},
    });
}

} // namespace glimmo
