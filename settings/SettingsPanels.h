#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The Settings page's TRS output type panel. */
class SettingsTRSTypes : public juce::Component
{
public:
    void refresh() {}
};

/** The Settings page's Sync-24 panel. */
class SettingsSync24 : public juce::Component
{
public:
    void refresh() {}
};

/** The Settings page's power-down panel. */
class SettingsPowerDown : public juce::Component
{
public:
    void refresh() {}
};
