#pragma once

// The Settings page's sub-panels that show a word of the current preset.
#include "settings/SettingsTRSTypes.h"
#include "settings/SettingsSync24.h"
#include "settings/SettingsPowerDown.h"
