#pragma once

#include "app/AsyncMessageCallBacks.h"
#include "app/DeviceReport.h"

/** Posts one report of the attached USB devices to the maker's report server.

    The thread works on a snapshot of the device object taken on the message
    thread when it is created, never on the device object itself. One pass:
    nothing for a product in upgrade mode, for none or without occupied host
    ports; else the devices not yet accepted are POSTed (form content type,
    60000 ms connection time-out, up to 5 redirects). When the server answers
    200, a reportAccepted message carries the accepted vidPids and the snapshot's
    serial back to the target, which records them with DeviceReport::recordAccepted.
    Deleting the thread cancels the request and waits for the end of the pass;
    it never kills the thread.
*/
class SendDevicesToKelmoraServerThread : public juce::Thread
{
public:
    /** The target receives the result on the message thread and must outlive this thread. */
    SendDevicesToKelmoraServerThread (const juce::MessageListener& target, const juce::String& address,
                                      DeviceReport::Snapshot snapshot);
    ~SendDevicesToKelmoraServerThread() override;

    void run() override;

    const juce::URL url;

private:
    const juce::MessageListener& target;
    const DeviceReport::Snapshot snapshot;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SendDevicesToKelmoraServerThread)
};
