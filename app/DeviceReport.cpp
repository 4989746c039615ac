#include "app/DeviceReport.h"
#include "app/WebEndpoints.h"
#include "device/MidiController.h"

juce::String DeviceReport::toHex (juce::uint32 value)
{
    return juce::String::toHexString ((juce::int64) value);
}

DeviceReport::Snapshot DeviceReport::takeSnapshot (const MidiController& device, const juce::String& applicationVersion)
{
    Snapshot snapshot;
    snapshot.productCode = device.productCode;
    snapshot.numHostPorts = juce::jlimit (0, MidiController::numUsbHostRecords / 2, device.getNumUsbHostPorts());

    for (int i = 0; i < 2 * snapshot.numHostPorts; ++i)
        snapshot.records.add (device.usbHostDevices[i]);

    snapshot.reportedDevices = device.reportedDevices;
    snapshot.applicationVersion = applicationVersion;
    snapshot.deviceFirmwareText = device.deviceFirmwareText;
    snapshot.hostFirmwareText = device.hostFirmwareText;
    snapshot.serialText = device.serialText;
    snapshot.productName = device.productName;
    return snapshot;
}

bool DeviceReport::hasOccupiedHostPorts (const Snapshot& snapshot)
{
    if (snapshot.productCode == productUpgradeMode || snapshot.productCode == productNone)
        return false;

    for (auto& record : snapshot.records)
        if (record.deviceHandle != -1)
            return true;

    return false;
}

juce::var DeviceReport::buildReport (const Snapshot& snapshot, juce::Array<juce::int32>& reportedVidPids)
{
    reportedVidPids.clearQuick();

    juce::Array<juce::var> devices;

    for (auto& record : snapshot.records)
    {
        const auto vidPid = record.vidPid;

        if (vidPid == 0 || vidPid == -1 || reportedVidPids.contains (vidPid)
             || snapshot.reportedDevices.contains (vidPid))
            continue;

        reportedVidPids.add (vidPid);

        auto device = std::make_unique<juce::DynamicObject>();
        device->setProperty ("Type", "Midi");
        device->setProperty ("Name", record.getName());
        device->setProperty ("VidPid", toHex ((juce::uint32) vidPid));
        device->setProperty ("HubId", toHex (record.hubId));
        device->setProperty ("NbIns", toHex (record.inputCables));
        device->setProperty ("NbOuts", toHex (record.outputCables));
        devices.add (juce::var (device.release()));
    }

    auto report = std::make_unique<juce::DynamicObject>();
    report->setProperty ("SwVer", snapshot.applicationVersion);
    report->setProperty ("FwVerDev", snapshot.deviceFirmwareText);
    report->setProperty ("FwVerHost", snapshot.hostFirmwareText);
    report->setProperty ("Serial", snapshot.serialText);
    report->setProperty ("Product", snapshot.productName);
    report->setProperty ("Devices", devices);
    report->setProperty ("Platform", WebEndpoints::platformName);
    return juce::var (report.release());
}

juce::String DeviceReport::buildBody (const Snapshot& snapshot, juce::Array<juce::int32>& reportedVidPids)
{
    return juce::JSON::toString (buildReport (snapshot, reportedVidPids));
}

void DeviceReport::recordAccepted (MidiController& device, const juce::String& serialText,
                                   const juce::Array<juce::int32>& accepted)
{
    if (! device.isProductKnown() || device.serialText != serialText)
        return;

    for (auto vidPid : accepted)
        device.reportedDevices.addIfNotAlreadyThere (vidPid);
}
