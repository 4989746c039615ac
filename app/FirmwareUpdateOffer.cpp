#include "app/FirmwareUpdateOffer.h"
#include "app/AppUpdateOffer.h"
#include "app/WebEndpoints.h"
#include "device/MidiController.h"

FirmwareUpdateOffer::DeviceState FirmwareUpdateOffer::DeviceState::fromDevice (const MidiController& device,
                                                                               bool restoreRequested)
{
    DeviceState state;
    state.productCode = device.productCode;
    state.deviceMode = device.deviceMode;
    state.runningVersion = device.hostFirmwareVersion;
    state.deviceFirmwareBeta = device.deviceFirmwareBeta != 0;
    state.hostFirmwareBeta = device.hostFirmwareBeta != 0;
    state.restoreRequested = restoreRequested;
    return state;
}

juce::String FirmwareUpdateOffer::getCoreSuffix (int productCode)
{
    return isDeviceCore (productCode) ? " (Device core)" : " (Host core)";
}

bool FirmwareUpdateOffer::switchesToHostCoreOnDecline (int productCode, int deviceMode)
{
    return isDeviceCore (productCode) && deviceMode == 1;
}

FirmwareUpdateOffer FirmwareUpdateOffer::decide (const FirmwareVersionInfo& info, const DeviceState& state)
{
    FirmwareUpdateOffer decision;

    const float offered = WebEndpoints::getVersionValue (info.version);
    const float running = state.runningVersion;

    decision.setDeviceCoreBeta = isDeviceCore (state.productCode);
    decision.betaFlag = info.valid && (double) running > (double) offered + 0.05;

    auto deviceBeta = state.deviceFirmwareBeta;
    auto hostBeta = state.hostFirmwareBeta;
    (decision.setDeviceCoreBeta ? deviceBeta : hostBeta) = decision.betaFlag;

    decision.offer = info.valid
                  && (offered > running
                      || state.deviceMode == 0
                      || (state.restoreRequested && (deviceBeta || hostBeta)));

    if (! decision.offer)
    {
        decision.switchToHostCore = switchesToHostCoreOnDecline (state.productCode, state.deviceMode);
        return decision;
    }

    const auto suffix = getCoreSuffix (state.productCode);

    if (state.deviceMode != 0)
    {
        decision.title = "New firmware available" + suffix;
        decision.message = "A new firmware is available (Version " + info.version + ") for the connected product"
                         + suffix + "\nWould you like to upgrade your product (current firmware is V"
                         + juce::String::formatted ("%1.1f", (double) running) + ") ?"
                         + AppUpdateOffer::buildChangeLog (info.changelog);
    }
    else
    {
        decision.title = "Firmware available" + suffix;
        decision.message = "Your product is in bootloader mode, would you like to upgrade it ?";
    }

    return decision;
}

void FirmwareUpdateOffer::applyBetaFlag (MidiController& device) const
{
    (setDeviceCoreBeta ? device.deviceFirmwareBeta : device.hostFirmwareBeta) = betaFlag ? 1 : 0;
}
