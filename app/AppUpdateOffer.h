#pragma once

#include "app/AppVersionInfo.h"

/** What the newest listed application version means for the running one.

    Both version texts are read as 32-bit floats; the comparisons widen them to
    double and add the 0.05 margin in double. A running version newer than the
    listed one by more than the margin is marked " (beta)"; a listed version
    newer than the running one by more than the margin is offered.
*/
struct AppUpdateOffer
{
    static constexpr const char* betaSuffix = " (beta)";
    static constexpr const char* title = "New application version available";
    static constexpr const char* declineButton = "No";             ///< result 1
    static constexpr const char* acceptButton = "Yes, download new version"; ///< result 0

    bool markAsBeta = false; ///< append betaSuffix to the version label
    bool offer = false;      ///< show the offer dialog with title and message
    juce::String message;

    /** The decision for an offered record against the running version text ("8.6"). */
    static AppUpdateOffer decide (const AppVersionInfo& info, const juce::String& runningVersion);

    /** The offer's message: the offered version text is inserted as it is, never read as a format. */
    static juce::String buildMessage (const AppVersionInfo& info, float runningVersion);

    /** "\n\nChanges log:\n\n" and "- line\n" per line; empty when there are no lines. */
    static juce::String buildChangeLog (const juce::StringArray& lines);
};
