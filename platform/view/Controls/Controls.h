#pragma once

// The controls in one include.

#include "platform/view/Controls/Alert.h"
#include "platform/view/Controls/ControlStyles.h"
#include "platform/view/Controls/Form.h"
#include "platform/view/Controls/List.h"
#include "platform/view/Controls/Picker.h"
#include "platform/view/Controls/ProgressView.h"
#include "platform/view/Controls/SettingsLink.h"
#include "platform/view/Controls/TabView.h"
#include "platform/view/Controls/TextField.h"
#include "platform/view/Controls/Toggle.h"
