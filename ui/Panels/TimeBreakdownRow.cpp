#include "ui/Panels/TimeBreakdownRow.h"

#include <string>
#include <utility>

namespace glimmo {

TimeBreakdownRow::TimeBreakdownRow(TimeBreakdownEntry activity, bool expanded)
    : activity(std::move(activity)), isExpanded(expanded) {}

AnyView TimeBreakdownRow::body() const {
    const bool open = *isExpanded;
    const State<bool> expanded = isExpanded;
    const Color secondary = Color::secondaryLabelColor();

    std::vector<AnyView> titleParts{
        Text(std::to_string(activity.percent) + "% " + activity.type).font(Font::system(16, Font::Weight::medium()))};
    if (!open) {
        titleParts.push_back(Text("\u2014").foregroundColor(secondary));
        titleParts.push_back(Text::verbatim(activity.description)
                                 .foregroundColor(secondary)
                                 .lineLimit(1)
                                 .truncationMode(TruncationMode::tail));
    }
    AnyView header = HStack(VerticalAlignment::top(), 4,
                            {Image::systemName(open ? "chevron.down" : "chevron.right")
                                 .font(Font::system(12))
                                 .foregroundColor(Color::gray())
                                 .frame(12),
                             HStack(VerticalAlignment::firstTextBaseline(), 4, std::move(titleParts)), Spacer()})
                         .contentShape(AnyShape(Rectangle()))
                         .onTapGesture([expanded] {
                             withAnimation(Animation::easeInOut(0.2), [&] { expanded.set(!*expanded); });
                         })
                         .help(activity.description)
                         .accessibilityLabel("row " + activity.type);

    std::vector<AnyView> lines{header};
    if (open) {
        lines.push_back(HStack(VerticalAlignment::top(), std::nullopt,
                               {Spacer().frame(16), Text("\u2014").foregroundColor(secondary),
                                Text::verbatim(activity.description).foregroundColor(secondary).fixedSize(false, true)})
                            .padding(EdgeSet::top(), 2));
    }
    return VStack(HorizontalAlignment::leading(), 2, std::move(lines)).padding(EdgeSet::vertical(), 2);
}

} // namespace glimmo
