#include "Settings/Container.h"

namespace settings {

using namespace glimmo;

CGFloat SettingsSectionLabelAlignment::defaultValue(const ViewDimensions& d) const {
    return d[HorizontalAlignment::leading()];
}

HorizontalAlignment SettingsSectionLabelAlignment::alignment() {
    static const SettingsSectionLabelAlignment id;
    return HorizontalAlignment{&id};
}

AnyView LabelOverlay::body() const {
    return AnyView(GeometryReader([](const GeometryProxy& geometry) {
        return AnyView(Color::clear()).preference<LabelWidthPreferenceKey>(geometry.size().width);
    }));
}

AnyView LabelWidthModifier::apply(const AnyView& content) const {
    return content.onPreferenceChange<LabelWidthPreferenceKey>(
        [width = maximumWidth](const double& value) { width.set(value); });
}

} // namespace settings

namespace settings::Settings {

using namespace glimmo;

Section::Section(bool bottomDivider, VerticalAlignment verticalAlignment, const std::function<AnyView()>& label,
                 const std::function<AnyView()>& content)
    : label(label().overlay(AnyView(LabelOverlay{}), Alignment::center())),
      content(AnyView(VStack(HorizontalAlignment::leading(), std::nullopt, {content()}))),
      bottomDivider(bottomDivider), verticalAlignment(verticalAlignment) {}

Section::Section(const std::string& title, bool bottomDivider, VerticalAlignment verticalAlignment,
                 const std::function<AnyView()>& content)
    : Section(bottomDivider, verticalAlignment,
              [&title] { return AnyView(Text(title)).font(Font::system(13, Font::Weight::regular(), Font::Design::standard)); },
              content) {}

AnyView Section::body() const {
    return AnyView(HStack(verticalAlignment, std::nullopt,
                          {label.alignmentGuide(SettingsSectionLabelAlignment::alignment(),
                                                [](const ViewDimensions& d) { return d[HorizontalAlignment::trailing()]; }),
                           content, AnyView(Spacer())}));
}

Container::Container(double contentWidth, double minimumLabelWidth, SectionBuilder builder)
    : sectionBuilder(std::move(builder)), contentWidth(contentWidth), minimumLabelWidth(minimumLabelWidth) {}

Container::Container(double contentWidth, double minimumLabelWidth, std::vector<Section> sections)
    : Container(contentWidth, minimumLabelWidth, [sections = std::move(sections)] { return sections; }) {}

AnyView Container::body() const {
    const std::vector<Section> sections = sectionBuilder();
    const double labelColumn = minimumLabelWidth <= *maximumLabelWidth ? *maximumLabelWidth : minimumLabelWidth;
    std::vector<AnyView> children;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        children.push_back(AnyView(sections[i]).id(AnyHashable(static_cast<int>(i))));
        if (i + 1 < sections.size() && sections[i].bottomDivider) {
            children.push_back(AnyView(Divider())
                                   .frame(contentWidth, 20)
                                   .alignmentGuide(SettingsSectionLabelAlignment::alignment(),
                                                   [labelColumn](const ViewDimensions& d) {
                                                       return d[HorizontalAlignment::leading()] + labelColumn;
                                                   })
                                   .id(AnyHashable("divider-" + std::to_string(i))));
        }
    }
    const AnyView stack(VStack(SettingsSectionLabelAlignment::alignment(), std::nullopt, std::move(children)));
    return LabelWidthModifier{maximumLabelWidth.binding()}
        .apply(stack)
        .frame(contentWidth, std::nullopt, Alignment::leading())
        .padding(EdgeSet::vertical(), 20)
        .padding(EdgeSet::horizontal(), 30);
}

} // namespace settings::Settings
