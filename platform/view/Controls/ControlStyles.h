#pragma once

// Styles of the controls as environment values, so a style set on a container reaches every control
// inside it, and the modifiers that apply to any view (`labelsHidden`, `onSubmit`).

#include "platform/view/View.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace glimmo {

enum class ToggleStyle : std::uint8_t { automatic, checkbox, switchStyle };
enum class PickerStyle : std::uint8_t { automatic, menu, segmented };
enum class TextFieldStyle : std::uint8_t { automatic, roundedBorder, plain };
enum class ProgressViewStyle : std::uint8_t { automatic, circular, linear };

struct ToggleStyleKey { using Value = ToggleStyle; static Value defaultValue() { return ToggleStyle::automatic; } };
struct PickerStyleKey { using Value = PickerStyle; static Value defaultValue() { return PickerStyle::automatic; } };
struct TextFieldStyleKey { using Value = TextFieldStyle; static Value defaultValue() { return TextFieldStyle::automatic; } };
struct ProgressViewStyleKey { using Value = ProgressViewStyle; static Value defaultValue() { return ProgressViewStyle::automatic; } };
struct LabelsHiddenKey { using Value = bool; static Value defaultValue() { return false; } };

// What Return in a text field runs (set with `onSubmit`); shared so equal actions compare equal.
struct SubmitActionKey {
    using Value = std::shared_ptr<const std::function<void()>>;
    static Value defaultValue() { return nullptr; }
};

// Opens the application's settings window; the window layer puts the real action here.
struct OpenSettingsActionKey {
    using Value = std::shared_ptr<const std::function<void()>>;
    static Value defaultValue() { return nullptr; }
};

AnyView toggleStyle(AnyView view, ToggleStyle style);
AnyView pickerStyle(AnyView view, PickerStyle style);
AnyView textFieldStyle(AnyView view, TextFieldStyle style);
AnyView progressViewStyle(AnyView view, ProgressViewStyle style);
// Hides the titles of pickers and toggles inside `view` (they still name the control for accessibility).
AnyView labelsHidden(AnyView view);
// Runs `action` when Return is pressed in a text field inside `view`.
AnyView onSubmit(AnyView view, std::function<void()> action);

} // namespace glimmo
