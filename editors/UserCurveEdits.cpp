#include "editors/UserCurveEdits.h"
#include "device/MidiController.h"

bool UserCurveEdits::isEditingAvailable (float hostFirmware)
{
    return ! (hostFirmware > 0.1f && hostFirmware < firstCurveFirmware);
}

bool UserCurveEdits::canWriteCurves (float hostFirmware)
{
    return hostFirmware >= firstCurveFirmware;
}

int UserCurveEdits::initialSelection (const MidiController& device)
{
    return device.getNumVelocityCurves() > 0 && isEditingAvailable (device.hostFirmwareVersion) ? 0 : -1;
}

bool UserCurveEdits::isCurve (const MidiController& device, int curve)
{
    return juce::isPositiveAndBelow (curve, device.getNumVelocityCurves());
}

bool UserCurveEdits::markEditedCurve (MidiController& device, int curve)
{
    if (! isCurve (device, curve)
         || isFactoryCurve (device.userCurves[curve], curve)
         || ! canWriteCurves (device.hostFirmwareVersion))
        return false;

    device.markForWrite (kindVelocityCurve, curve);
    return true;
}

bool UserCurveEdits::hasWaitingCurveWrite (const MidiController& device)
{
    constexpr int noItem = 0xFF;
    return device.pendingRequests.firstItem (kindVelocityCurve, true) != noItem;
}

void UserCurveEdits::resetCurves (MidiController& device, int curve, bool thisCurveOnly)
{
    if (thisCurveOnly)
        resetUserCurve (device.userCurves, curve, device.getNumVelocityCurves());
    else
        resetAllUserCurves (device.userCurves, device.getNumVelocityCurves());
}

bool UserCurveEdits::markAllCurves (MidiController& device)
{
    const auto count = device.getNumVelocityCurves();

    if (count == 0 || ! canWriteCurves (device.hostFirmwareVersion))
        return false;

    for (int curve = 0; curve < count; ++curve)
        device.markForWrite (kindVelocityCurve, curve);

    return true;
}
