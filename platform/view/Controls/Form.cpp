#include "platform/view/Controls/Form.h"

#include "platform/view/Stacks.h"
#include "platform/view/Text.h"

namespace glimmo {

AnyView Section::body() const {
    std::vector<AnyView> rows;
    if (header_) rows.push_back(Text(*header_).font(Font::headline()).foregroundColor(Color::secondaryLabelColor()));
    rows.insert(rows.end(), content_.begin(), content_.end());
    return VStack(HorizontalAlignment::leading(), 8, std::move(rows));
}

AnyView Form::body() const {
    FlexibleFrame fill;
    fill.maxWidth = infinity;
    fill.maxHeight = infinity;
    fill.alignment = Alignment::topLeading();
    return VStack(HorizontalAlignment::leading(), 20, sections_).frame(fill);
}

} // namespace glimmo
