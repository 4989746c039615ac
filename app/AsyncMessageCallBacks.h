#pragma once

#include <juce_events/juce_events.h>
#include "app/AppVersionInfo.h"
#include "app/FirmwareVersionInfo.h"

/** The integer type of an AsyncMessageCallBacks. */
enum CallBackType
{
    firmwareOffer      = 0, ///< catalogue answer (firmwareInfo, empty when nothing usable was found)
    firmwareFile       = 1, ///< downloaded firmware file (text: the whole Intel HEX text)
    appVersionOffer    = 2, ///< version list answer (appInfo, empty when nothing usable was found)
    firmwareFileFailed = 3, ///< firmware file download failed (text: the status line text to show)
    reportAccepted     = 4  ///< the report server accepted a device report (acceptedDevices, serial in text)
};

/** A worker thread's result, posted to the main component and handled on the message thread.

    Every field is a copy; the framework's message queue owns the message, and a
    message whose listener has gone is dropped by the framework.
*/
class AsyncMessageCallBacks : public juce::Message
{
public:
    AsyncMessageCallBacks (int messageType, const juce::String& messageText,
                           const FirmwareVersionInfo& firmware, const AppVersionInfo& application,
                           const juce::Array<juce::int32>& accepted = {})
        : text (messageText), type (messageType), firmwareInfo (firmware), appInfo (application),
          acceptedDevices (accepted)
    {
    }

    /** Builds a message from copies of the values and posts it to the target; callable from any thread. */
    static void post (const juce::MessageListener& target, int messageType, const juce::String& messageText,
                      const FirmwareVersionInfo& firmware, const AppVersionInfo& application,
                      const juce::Array<juce::int32>& accepted = {})
    {
        target.postMessage (new AsyncMessageCallBacks (messageType, messageText, firmware, application, accepted));
    }

    juce::String text;
    int type = firmwareOffer;
    FirmwareVersionInfo firmwareInfo;
    AppVersionInfo appInfo;
    /** The vidPids that the report server accepted, in report order (reportAccepted only). */
    juce::Array<juce::int32> acceptedDevices;
};
