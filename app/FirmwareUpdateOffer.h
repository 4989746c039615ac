#pragma once

#include "device/ProductTables.h"

#include "app/FirmwareVersionInfo.h"

class MidiController;

/** What a catalogue entry means for the connected core.

    The running version is the float of the identity reply (the version text
    plus 0.005). The connected core is marked beta when it is newer than the
    offered firmware by more than 0.05 (both widened to double, the margin added
    in double). The entry is offered when it is newer (float comparison, no
    margin), when the product sits in its bootloader, or when a restore was
    requested for a core marked beta. Without an offer, a device core in
    application mode moves on to the host core.
*/
struct FirmwareUpdateOffer
{
    static constexpr const char* declineButton = "No";          ///< result 1
    static constexpr const char* acceptButton = "Yes, upgrade"; ///< result 0
    static constexpr const char* downloadingStatus = "Downloading firmware file...";
    static constexpr const char* downloadFailedStatus = "Error: firmware file download failed";

    /** The device values the decision reads. */
    struct DeviceState
    {
        int productCode = 255;
        int deviceMode = 255;          ///< 1 application, 0 bootloader
        float runningVersion = 0.0f;   ///< hostFirmwareVersion
        bool deviceFirmwareBeta = false;
        bool hostFirmwareBeta = false;
        bool restoreRequested = false;

        /** Reads the device object (message thread). */
        static DeviceState fromDevice (const MidiController& device, bool restoreRequested);
    };

    bool setDeviceCoreBeta = false; ///< the flag to write is deviceFirmwareBeta (else hostFirmwareBeta)
    bool betaFlag = false;          ///< the new value of that flag
    bool offer = false;             ///< show the dialog (and clear the restore request)
    bool switchToHostCore = false;  ///< no offer: switch a device core to the host core now
    juce::String title;
    juce::String message;

    static FirmwareUpdateOffer decide (const FirmwareVersionInfo& info, const DeviceState& state);

    /** Writes the beta flag of the decision to the device object (message thread). */
    void applyBetaFlag (MidiController& device) const;

    /** Whether answering "No" switches to the host core (a device core in application mode). */
    static bool switchesToHostCoreOnDecline (int productCode, int deviceMode);

    static bool isDeviceCore (int productCode) { return ProductTables::isDeviceCode (productCode); }

    /** " (Device core)" for codes 7 to 12, else " (Host core)". */
    static juce::String getCoreSuffix (int productCode);
};
