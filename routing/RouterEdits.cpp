#include "routing/RouterEdits.h"
#include "routing/DefaultRouting.h"

const juce::String RouterEdits::writingRouter ("Writing router settings...");
const juce::String RouterEdits::writingUsbPorts ("Writing USB ports settings...");
const juce::String RouterEdits::writingReservation ("Writing USB ports reservation...");

namespace
{
    bool hasWrites (const MidiController& device, int kind)
    {
        return device.pendingRequests.firstItem (kind, true) != 0xFF;
    }

    int routableRows (const MidiController& device)
    {
        return juce::jmin (device.getNumUsbHostPorts() + device.getNumLocalPorts(), (int) MidiController::numRouterRows);
    }
}

bool RouterEdits::toggleRoute (MidiController& device, int input, int output)
{
    if (! DefaultRouting::isRoutable (input, output))
        return false;

    const int preset = device.currentPreset & 0x0F;
    device.routerMasks[preset][input] ^= 1u << output;
    changedRows[preset].set ((size_t) input);
    return true;
}

bool RouterEdits::hasChangedRows() const noexcept
{
    for (auto& rows : changedRows)
        if (rows.any())
            return true;

    return false;
}

void RouterEdits::forgetChangedRows() noexcept
{
    for (auto& rows : changedRows)
        rows.reset();
}

void RouterEdits::markChangedRows (MidiController& device)
{
    const int rows = routableRows (device);

    for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
        for (int row = 0; row < rows; ++row)
            if (changedRows[preset].test ((size_t) row))
                device.pendingRequests.markForWrite (kindRouter, row, preset);

    forgetChangedRows();
}

RouterEdits::Outcome RouterEdits::send (MidiController& device, int firstKind)
{
    if (device.sendPending (firstKind))
    {
        const auto& out = device.awaitedReply;

        if (out.type != SYSX_TYPE_WRITE)
            return Outcome::otherSent;

        switch (out.kind)
        {
            case kindUsbDevicePorts:
                device.postAsyncMessage (statusText, writingUsbPorts);
                return Outcome::usbPortsSent;
            case kindPortReservation:
                device.postAsyncMessage (statusText, writingReservation);
                return Outcome::reservationSent;
            case kindRouter:
                device.postAsyncMessage (statusText, writingRouter);
                return Outcome::routerRowSent;
            default:
                return Outcome::otherSent;
        }
    }

    if (device.isAwaitingReply())
        return Outcome::queued;

    if (device.userInterface != nullptr)
        device.userInterface->reportSettingsError (device.getLastSendResult());

    return Outcome::refused;
}

RouterEdits::Outcome RouterEdits::writePendingChanges (MidiController& device)
{
    markChangedRows (device);

    if (! (device.hostFirmwareVersion > cableMaskFirmware))
        device.pendingRequests.clearKind (kindUsbDevicePorts);

    if (! (device.hostFirmwareVersion > reservationFirmware && device.getNumUsbHostPorts() > 0))
        device.pendingRequests.clearKind (kindPortReservation);

    for (int kind : { (int) kindUsbDevicePorts, (int) kindPortReservation, (int) kindRouter })
        if (hasWrites (device, kind))
            return send (device, kind);

    return Outcome::nothingWaiting;
}

RouterEdits::Outcome RouterEdits::writeRouterSettings (MidiController& device)
{
    const int preset = device.currentPreset & 0x0F;
    const int rows = routableRows (device);

    for (int row = 0; row < rows; ++row)
        device.markForWrite (kindRouter, row);

    changedRows[preset].reset();

    if (rows == 0)
        return Outcome::nothingWaiting;

    return send (device, kindRouter);
}

void RouterEdits::clearCurrentPreset (MidiController& device)
{
    auto* rows = device.routerMasks[device.currentPreset & 0x0F];
    std::fill (rows, rows + MidiController::numRouterRows, 0u);
}
