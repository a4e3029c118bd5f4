#include "ui/Dashboard/TimeBreakdownView.h"

#include "ui/Dashboard/DashboardStyle.h"

namespace glimmo {

namespace {

constexpr const char* emDash = "\u2014";

} // namespace

AnyView TimeBreakdownView::body() const {
    std::vector<AnyView> rows;
    rows.push_back(dashboard::sectionHeader("HOW YOU USED YOUR TIME").padding(EdgeSet::bottom(), 5));
    rows.push_back(ForEach(activityBreakdown, [](const TimeBreakdownEntry& e) { return e.type; },
                           [this](const TimeBreakdownEntry& e) { return row(e); }));
    return VStack(HorizontalAlignment::leading(), 4, std::move(rows))
        .frame(FlexibleFrame{.maxWidth = infinity, .alignment = Alignment::leading()})
        .padding(EdgeSet::horizontal())
        .padding(EdgeSet::vertical(), 10);
}

AnyView TimeBreakdownView::row(const TimeBreakdownEntry& entry) const {
    const bool open = expandedCategories->contains(entry.type);
    const double opacity = dashboard::dimmedOpacity(isLoading);

    std::vector<AnyView> texts{
        Text(std::to_string(entry.percent) + "%").font(Font::system(14, Font::Weight::medium())).opacity(opacity),
        Text::verbatim(entry.type).font(Font::system(14, Font::Weight::bold())).opacity(opacity),
    };
    if (!open) {
        texts.push_back(Text(emDash).foregroundColor(Color::gray()).opacity(opacity));
        texts.push_back(Text::verbatim(entry.description)
                            .font(Font::system(14))
                            .foregroundColor(Color::gray())
                            .opacity(opacity)
                            .lineLimit(1)
                            .truncationMode(TruncationMode::tail));
    }

    auto expanded = expandedCategories;
    const std::string type = entry.type;
    AnyView header = HStack(VerticalAlignment::top(), 4,
                            {
                                Image::systemName(open ? "chevron.down" : "chevron.right")
                                    .font(Font::system(12))
                                    .foregroundColor(Color::gray())
                                    .opacity(opacity)
                                    .frame(12),
                                HStack(VerticalAlignment::top(), 4, std::move(texts)),
                                Spacer(0),
                            })
                         .contentShape(Rectangle())
                         .onTapGesture([expanded, type] {
                             withAnimation(Animation::easeInOut(0.2), [&] {
                                 std::set<std::string> categories = *expanded;
                                 if (categories.contains(type)) categories.erase(type);
                                 else categories.insert(type);
                                 expanded.set(std::move(categories));
                             });
                         })
                         .help(entry.description);

    std::vector<AnyView> parts{std::move(header)};
    if (open) {
        parts.push_back(HStack({
                                   Spacer().frame(16),
                                   Text(emDash).foregroundColor(Color::gray()).opacity(opacity),
                                   Text::verbatim(entry.description)
                                       .font(Font::system(14))
                                       .foregroundColor(Color::gray())
                                       .opacity(opacity)
                                       .lineLimit(std::nullopt)
                                       .fixedSize(false, true),
                               })
                            .padding(EdgeSet::top(), 2));
    }
    return VStack(HorizontalAlignment::leading(), 2, std::move(parts)).padding(EdgeSet::vertical(), 2);
}

} // namespace glimmo
