#pragma once

// Label: a title with an icon. The label style in the environment decides what shows: both side by side
// (the default, TitleAndIconLabelStyle), the title only, or the icon only.

#include "platform/view/View.h"

#include <string>

namespace glimmo {

enum class LabelStyle : std::uint8_t { automatic, titleAndIcon, titleOnly, iconOnly };

struct LabelStyleKey {
    using Value = LabelStyle;
    static Value defaultValue() { return LabelStyle::automatic; }
};

class Label : public View<Label> {
public:
    // Label(_:systemImage:)
    Label(std::string title, std::string systemImage);
    // Label(title:icon:)
    Label(AnyView title, AnyView icon) : title_(std::move(title)), icon_(std::move(icon)) {}
    AnyView labelStyle(LabelStyle style) const {
        return environment([style](EnvironmentValues& e) { e.set<LabelStyleKey>(style); });
    }
    std::shared_ptr<const ViewContent> toContent() const;

private:
    AnyView title_;
    AnyView icon_;
};

} // namespace glimmo
