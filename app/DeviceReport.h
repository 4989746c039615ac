#pragma once

#include "device/DeviceTypes.h"

class MidiController;

/** The report of the USB devices attached to the product's host ports.

    The report is built from a snapshot of the device object taken on the
    message thread, so the worker that sends it never reads the live object;
    the devices that the server accepted are handed back to the message thread
    and recorded there with recordAccepted().
*/
struct DeviceReport
{
    /** The device object's values that a report needs, copied at one moment. */
    struct Snapshot
    {
        int productCode = 255;
        int numHostPorts = 0;                ///< A: records 0..A-1 are inputs, A..2A-1 outputs
        juce::Array<UsbHostDevice> records;  ///< the 2A host-port records
        juce::Array<juce::int32> reportedDevices;
        juce::String applicationVersion, deviceFirmwareText, hostFirmwareText, serialText, productName;
    };

    /** Copies what a report needs from the device object (message thread). */
    static Snapshot takeSnapshot (const MidiController& device, const juce::String& applicationVersion);

    /** False for a product in upgrade mode or none, and when no host-port record is occupied. */
    static bool hasOccupiedHostPorts (const Snapshot& snapshot);

    /** The report object: versions, serial, product, the devices not yet accepted, platform. */
    static juce::var buildReport (const Snapshot& snapshot, juce::Array<juce::int32>& reportedVidPids);

    /** The request body: the report's JSON text in the framework's default layout. */
    static juce::String buildBody (const Snapshot& snapshot, juce::Array<juce::int32>& reportedVidPids);

    /** Appends the accepted vidPids to reportedDevices, unless the product has changed meanwhile. */
    static void recordAccepted (MidiController& device, const juce::String& serialText,
                                const juce::Array<juce::int32>& accepted);

    /** "%x" of the unsigned 32-bit value. */
    static juce::String toHex (juce::uint32 value);
};
