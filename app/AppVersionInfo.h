#pragma once

#include <juce_core/juce_core.h>

/** One published version of this application, as the update server lists it.

    A plain value: always passed and stored by copy, so a worker thread and the
    message thread never share one.
*/
struct AppVersionInfo
{
    juce::String version;        ///< version text of the newest listed version
    juce::String date;           ///< release date text
    juce::String url;            ///< address of the installer
    juce::String app;            ///< the application key of the entry ("pellion")
    juce::String platform;       ///< the platform of the entry (that of the running tool, "windows" or "linux")
    juce::StringArray changelog; ///< change-log lines, none empty
    bool valid = false;          ///< the version list gave a usable entry
};
