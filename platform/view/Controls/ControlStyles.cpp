#include "platform/view/Controls/ControlStyles.h"

namespace glimmo {

AnyView toggleStyle(AnyView view, ToggleStyle style) { return view.environment<ToggleStyleKey>(style); }
AnyView pickerStyle(AnyView view, PickerStyle style) { return view.environment<PickerStyleKey>(style); }
AnyView textFieldStyle(AnyView view, TextFieldStyle style) { return view.environment<TextFieldStyleKey>(style); }
AnyView progressViewStyle(AnyView view, ProgressViewStyle style) { return view.environment<ProgressViewStyleKey>(style); }
AnyView labelsHidden(AnyView view) { return view.environment<LabelsHiddenKey>(true); }
AnyView onSubmit(AnyView view, std::function<void()> action) {
    return view.environment<SubmitActionKey>(std::make_shared<const std::function<void()>>(std::move(action)));
}

} // namespace glimmo
