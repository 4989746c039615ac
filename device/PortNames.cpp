#include "device/MidiController.h"

juce::String MidiController::getPortName (int index, const juce::String& direction, juce::String* tooltip,
                                          bool includeAbsentWireless, bool shortNames, bool markNotInstalled,
                                          bool appendCable, bool appendInstance, bool useCustomName)
{
    if (useCustomName && serialText.isNotEmpty())
    {
        auto plainDirection = direction.removeCharacters ("\r\n");
        auto generated = getPortName (index, plainDirection, tooltip, includeAbsentWireless, shortNames,
                                      markNotInstalled, appendCable, appendInstance, false);

        if (userInterface != nullptr)
        {
            auto custom = userInterface->getDeviceProperty (serialText, generated);

            if (custom.isNotEmpty())
                return custom;
        }

        return generated;
    }

    const bool isInput = direction.compare ("Out") < 0;
    const bool namedProduct = productCode >= 1 && productCode <= 4;
    const int hostPorts = namedProduct ? getNumUsbHostPorts() : 24;
    const int virtualPorts = namedProduct ? getNumUsbVirtualPorts() : 8;
    const juce::String hostName = productCode == productJorvek ? "USB-C Host " : "USB-A Host ";
    const juce::String hostConnector = productCode == productJorvek ? "Pellion USB-C Host " : "Pellion USB-A Host ";

    if (index < hostPorts)
    {
        const int recordIndex = isInput ? index : hostPorts + index;
        const UsbHostDevice* record = juce::isPositiveAndBelow (recordIndex, numUsedHostRecords) ? &usbHostDevices[recordIndex] : nullptr;

        if (record != nullptr && record->deviceHandle != -1 && record->name[0] != 0)
        {
            auto name = record->getName();

            if (appendInstance && hostFirmwareVersion > 3.35f && record->deviceInstance != 0xFF
                 && record->deviceInstance != 0 && countDeviceInstances (record->vidPid) > 1)
                name << "(" << (record->deviceInstance + 1) << ")";

            if (appendCable)
                name << "-" << (record->cableIndex + 1);

            if (tooltip != nullptr)
            {
                auto& t = *tooltip;
                t = "Connected MIDI ";
                t << (productCode == productJorvek ? "device to Jorvek USB-C Host " : "device to Pellion USB-A Host ")
                  << direction << juce::String::formatted (" Port %d/%d\n\nDevice: ", index + 1, hostPorts)
                  << record->getName();

                if (record->vidPid != -1)
                    t << juce::String::formatted ("\nVendor Id: %0X\nProduct Id: %0X",
                                                  ((juce::uint32) record->vidPid >> 16) & 0xFFFF,
                                                  (juce::uint32) record->vidPid & 0xFFFF);

                if (isInput)
                    t << juce::String::formatted ("\nDevice Output: %d/%d", record->cableIndex + 1, (int) record->outputCables)
                      << juce::String::formatted ("\nBuffer size: %db", (int) record->outputBufferSize);
                else
                    t << juce::String::formatted ("\nDevice Input: %d/%d", record->cableIndex + 1, (int) record->inputCables)
                      << juce::String::formatted ("\nBuffer size: %db", (int) record->inputBufferSize);

                if (record->hubId == 0xFF)
                    t << "\n\nUSB Hub: No hub";
                else
                    t << juce::String::formatted ("\n\nUSB Hub Id: %d", (int) record->hubId)
                      << juce::String::formatted ("\nHub Port: %d/%d", (int) record->hubPort, (int) record->hubPortCount);
            }

            return name;
        }

        if (tooltip != nullptr)
            *tooltip = "No USB MIDI device connected to " + hostConnector + direction + " " + juce::String (index + 1);

        return hostName + direction + " " + juce::String (index + 1);
    }

    const int wirelessOffset = getWirelessModulePortOffset (productCode, includeAbsentWireless);
    const int wirelessIndex = wirelessOffset >= 0 ? hostPorts + wirelessOffset : -1;

    if (index == wirelessIndex)
    {
        if (tooltip != nullptr)
        {
            *tooltip = "Optionnal Brisa Core Bluetooth " + direction;

            if (wirelessModule == 0)
                *tooltip << "\n\nBrisa Core Not installed";
        }

        auto name = (shortNames ? "BC BLE " : "BrisaCore BLE ") + direction;

        if (wirelessModule == 0 && markNotInstalled)
            name << (shortNames ? " (NA)" : " (Not installed)");

        return name;
    }

    if (index < hostPorts + virtualPorts)
    {
        const int n = index - hostPorts + 1;

        if (tooltip != nullptr)
            *tooltip = "USB-C Virtual MIDI " + direction + " " + juce::String (n)
                     + (isInput ? " (From computer USB Out)" : " (To computer USB In)");

        return (shortNames ? "USB-C Dev " : "USB-C Virtual ") + direction + " " + juce::String (n);
    }

    const int n = index - hostPorts - virtualPorts + 1 - (wirelessIndex >= 0 ? 1 : 0);
    auto name = "MIDI " + direction + " " + juce::String (n);

    if (tooltip != nullptr)
        *tooltip = name;

    return name;
}
