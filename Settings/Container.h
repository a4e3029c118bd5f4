#pragma once

// A small form layout for pane content: a Settings::Container stacks Settings::Section rows, a label on
// the left and controls on the right, so that the trailing edges of all labels fall on one vertical
// line. Optional dividers between sections start at the left edge of the label column.
//
//     Settings::Container(450, 150, {
//         Settings::Section("Appearance:", true, VerticalAlignment::firstTextBaseline(), [] { return AnyView(...); }),
//         Settings::Section("Updates:", false, VerticalAlignment::firstTextBaseline(), [] { return AnyView(...); }),
//     })

#include "platform/view/ViewKit.h"

#include <functional>
#include <vector>

namespace settings {

// The label line: a view's default value is its leading edge.
struct SettingsSectionLabelAlignment final : glimmo::AlignmentID {
    glimmo::CGFloat defaultValue(const glimmo::ViewDimensions& d) const override;
    static glimmo::HorizontalAlignment alignment();
};

// The widest label width of the sections below; siblings combine with the maximum.
struct LabelWidthPreferenceKey {
    using Value = double;
    static Value defaultValue() { return 0; }
    static void reduce(Value& value, const std::function<Value()>& nextValue) { value = std::max(value, nextValue()); }
};

// Laid over a label: publishes the label's width.
struct LabelOverlay : glimmo::View<LabelOverlay> {
    glimmo::AnyView body() const;
    bool operator==(const LabelOverlay&) const { return true; }
};

// Writes the merged label width into `maximumWidth` whenever it changes.
struct LabelWidthModifier {
    glimmo::Binding<double> maximumWidth;
    glimmo::AnyView apply(const glimmo::AnyView& content) const;
};

} // namespace settings

namespace settings::Settings {

class Section : public glimmo::View<Section> {
public:
    Section(bool bottomDivider, glimmo::VerticalAlignment verticalAlignment,
            const std::function<glimmo::AnyView()>& label, const std::function<glimmo::AnyView()>& content);
    // A text label in the system font of 13 points.
    Section(const std::string& title, bool bottomDivider, glimmo::VerticalAlignment verticalAlignment,
            const std::function<glimmo::AnyView()>& content);

    glimmo::AnyView label;
    glimmo::AnyView content;
    bool bottomDivider = false;
    glimmo::VerticalAlignment verticalAlignment = glimmo::VerticalAlignment::firstTextBaseline();

    glimmo::AnyView body() const;
};

using SectionBuilder = std::function<std::vector<Section>()>;

class Container : public glimmo::View<Container> {
public:
    Container(double contentWidth, double minimumLabelWidth, SectionBuilder builder);
    Container(double contentWidth, double minimumLabelWidth, std::vector<Section> sections);

    SectionBuilder sectionBuilder;
    double contentWidth;
    double minimumLabelWidth;
    glimmo::State<double> maximumLabelWidth{0.0};

    glimmo::AnyView body() const;
};

} // namespace settings::Settings
