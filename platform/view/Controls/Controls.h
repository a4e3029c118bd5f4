#pragma once

// The controls in one include.

#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/Controls/Picker.h"
#include "platform/view/Controls/ProgressView.h"
#include "platform/view/Controls/SettingsLink.h"
#include "platform/view/Controls/TextField.h"
#include "platform/view/Controls/Toggle.h"
