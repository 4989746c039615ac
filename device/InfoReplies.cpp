#include "device/MidiController.h"
#include "device/ProductTables.h"
#include "device/SysexFormat.h"

using namespace SysexFormat;

namespace
{
    constexpr int reconnectHubNoticeDelayMs = 1000;
    constexpr int deviceReportDelayMs = 5000;
    constexpr int dumpEndDelayMs = 3000;

    using ProductTables::isDeviceCoreId;
    using ProductTables::modelNameOfId;

    /** The product code of the processor id an identity reply names: 0xFF keeps the current code,
        an id no core has is taken as it stands. */
    int productCodeOfProcessorId (int processorId, int currentCode)
    {
        if (processorId == 0xFF)
            return currentCode;

        const int code = ProductTables::codeOfIdByte (processorId);
        return code != 0 ? code : processorId;
    }

    juce::String bootloaderName (int code)
    {
        if (ProductTables::isHostCode (code))
            return "Kelmora " + ProductTables::modelPortName (code) + " Bootloader";

        if (ProductTables::isDeviceCode (code))
            return "Kelmora " + ProductTables::modelPortName (code - ProductTables::numProducts) + "-DEV Bootloader";

        return "Unknown product ! Please select one in Settings panel";
    }

    juce::String usbErrorText (int code)
    {
        switch (code)
        {
            case 0: case 1: case 6: case 7:
                return "The connected device cannot be recognized\n\nYou can try to connect it through a USB hub to see if this helps";
            case 2:
                return "A memory alloction occured while connecting a new device\n\nPlease report this information to Kelmora support";
            case 3: case 8:
                return "An error occured while getting configuration descriptor of the connected device\n\nPlease report this information to Kelmora support";
            case 4: case 9:
                return "An error occured while setting configuration descriptor of the connected device\n\nPlease report this information to Kelmora support";
            case 5: case 10:
                return "An error occured while parsing configuration descriptor of the connected device\n\nPlease report this information to Kelmora support";
            default:
                return {};
        }
    }

    juce::String hexText (const juce::Array<int>& values, bool breakLines)
    {
        juce::String text;

        for (int i = 0; i < values.size(); ++i)
        {
            if (breakLines && i > 0 && i % 10 == 0)
                text << "\n";

            text << juce::String::formatted ("0x%02X, ", values[i]);
        }

        return text;
    }
}

int MidiController::parseInfoReply (int slot)
{
    const int length = getReplyLength (slot);
    const juce::uint8* reply = replyRing[slot];
    const int kind = reply[7];

    switch (kind)
    {
        case SYSX_CMD_IDENTITY:
        {
            if (! endsAt (reply, length, 30))
                return SYSX_END_MISSING;

            if (! checksumMatches (reply, 30))
                return SYSX_CHECKSUM_ERROR;

            handleIdentityAnswer (slot);
            return SYSX_OK;
        }

        case SYSX_CMD_MODULE_INFO:
            if (! endsAt (reply, length, 13))
                return SYSX_END_MISSING;

            if (! checksumMatches (reply, 13))
                return SYSX_CHECKSUM_ERROR;

            wirelessModule = nibblePair (reply + 9);
            resetEditorsToDefaults();
            readAllSettings();
            return SYSX_OK;

        case SYSX_INFO_USB_HOST_DEVICE:
            return parseHostDeviceRecord (slot, reply, length);

        case SYSX_INFO_DEVICE_DESCRIPTOR:
        case SYSX_INFO_CONFIG_DESCRIPTOR:
        case SYSX_INFO_VENDOR_STRING:
        case SYSX_INFO_PRODUCT_STRING:
        case SYSX_INFO_TEXT:
            return parseDescriptorReply (reply, length);

        case SYSX_INFO_DEVICE_RESET:
            if (! endsAt (reply, length, 10))
                return SYSX_END_MISSING;

            if (! checksumMatches (reply, 10))
                return SYSX_CHECKSUM_ERROR;

            resetEditorsToDefaults();
            return SYSX_OK;

        case SYSX_INFO_USB_ERROR:
        {
            if (! endsAt (reply, length, 11))
                return SYSX_END_MISSING;

            if (! checksumMatches (reply, 11))
                return SYSX_CHECKSUM_ERROR;

            auto text = usbErrorText (reply[8]);

            if (text.isNotEmpty())
                postAsyncMessage (infoAlert, text);

            return SYSX_OK;
        }

        default:
            return SYSX_UNKNOWN_KIND;
    }
}

void MidiController::handleIdentityAnswer (int slot)
{
    if (events != nullptr)
        events->identityArriving();

    deviceMode = handleIdentityReply (slot);

    auto fetchCatalogue = [this]
    {
        if (userInterface != nullptr)
            userInterface->startFileDownload (productCode, userInterface->getCatalogueAddress(), 0);
    };

    if (deviceMode != 1)
    {
        const bool upgradeContinues = firmwareImageSize != 0 && userInterface != nullptr && userInterface->isUpgradeRequested();

        if (events != nullptr)
            events->bootloaderAnswered (upgradeContinues);

        postAsyncMessage (statusText, "Bootloader connected");

        if (upgradeContinues)
        {
            waitingForReply = 0;
            stopTimer();
            userInterface->setUpgradeRequested (false);
            userInterface->startFirmwareUpgrade();
        }
        else
        {
            fetchCatalogue();
        }

        return;
    }

    fetchCatalogue();

    if (hostFirmwareVersion < 0.55f)
    {
        postAsyncMessage (statusText, "Firmware must be updated");
        showAlert ("This software version is not compatible with the connected product firmware\n\nFirmware must be updated", false);
        return;
    }

    if (productCode == productDorvin)
    {
        if (buildCommand (SYSX_TYPE_INFO, SYSX_CMD_MODULE_INFO) == SYSX_OK)
            sendCommand (4.0f);

        return;
    }

    resetEditorsToDefaults();

    if (isDeviceCore())
        postAsyncMessage (statusText, "Waiting for firmware check...");
    else
        readAllSettings();
}

juce::String MidiController::deviceInfoHeading (const juce::String& name, bool withHostLine, const juce::String& hostVersion) const
{
    juce::String info = name;
    info << "\nDevice Firmware: V" << deviceFirmwareText;

    if (deviceFirmwareBeta != 0)
        info << " (beta)";

    if (withHostLine)
    {
        info << "\nHost Firmware: " << hostVersion;

        if (hostFirmwareBeta != 0)
            info << " (beta)";
    }

    return info + "\nSerial: ";
}

int MidiController::handleIdentityReply (int slot)
{
    const juce::uint8* reply = replyRing[slot];
    const int idByte = reply[5];
    const bool applicationAnswered = idByte != 0;
    const bool deviceCoreReply = isDeviceCoreId (idByte);

    const auto version = nibblePair (reply + 9);
    const int major = (version >> 4) & 0x0F;
    const int minor = version & 0x0F;
    const int processorId = nibblePair (reply + 11);

    auto name = applicationAnswered ? modelNameOfId (idByte) : juce::String();

    hostFirmwareText = firmwareTextFromDigits (major, minor);
    hostFirmwareVersion = firmwareVersionFromDigits (major, minor);

    const int code = productCodeOfProcessorId (processorId, productCode);

    if (isDeviceCoreId (processorId))
    {
        deviceFirmwareText = hostFirmwareText;
        deviceFirmwareVersion = hostFirmwareVersion;
    }

    if (! applicationAnswered)
        name = bootloaderName (code);

    auto info = deviceInfoHeading (name, applicationAnswered && ! deviceCoreReply,
                                   juce::String::formatted ("V%d.%d", major, minor));

    productName = name;
    setProductCode (code);

    serialText.clear();

    for (int w = 0; w < 3; ++w)
    {
        juce::uint8 sum = 0;
        serialWords[w] = unpackValue32 (reply + 13 + 5 * w, sum);
        auto wordText = juce::String::formatted ("%08X", (unsigned) serialWords[w]);
        serialText << wordText;
        info << wordText;
    }

    postAsyncMessage (deviceInfoText, info);
    return applicationAnswered ? 1 : 0;
}

void MidiController::postDeviceInfo()
{
    if (productName.isEmpty() || serialText.isEmpty() || deviceFirmwareText.isEmpty()
         || hostFirmwareText.isEmpty() || hostFirmwareVersion < 1.0f)
        return;

    auto info = deviceInfoHeading (productName, deviceMode == 1 && ! isDeviceCore(), hostFirmwareText) + serialText;
    postAsyncMessage (deviceInfoText, info);
}

//==============================================================================
int MidiController::parseHostDeviceRecord (int slot, const juce::uint8* reply, int length)
{
    const int index = reply[9];

    if (index >= 2 * getNumUsbHostPorts() || index >= numUsedHostRecords)
        return SYSX_OUT_OF_RANGE;

    // The whole reply is checked before anything is stored: a broken record changes nothing.
    if (length < 17)
        return SYSX_END_MISSING;

    juce::uint8 sum = 0;
    const auto handle = (juce::int32) unpackValue32 (reply + 10, sum);
    const bool above315 = hostFirmwareVersion > 3.15f;
    const bool above285 = hostFirmwareVersion > 2.85f;
    const int expectedLength = handle == -1 ? 17 : (above315 ? 58 : (above285 ? 54 : 49));

    if (! endsAt (reply, length, expectedLength))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, expectedLength))
        return SYSX_CHECKSUM_ERROR;

    auto dumpLine = [this] (const juce::String& text)
    {
        if (descriptorDumpActive != 0 && events != nullptr)
            events->dumpTextArrived (text);
    };

    if (handle == -1)
    {
        clearHostDevice (index);

        // One look at the hub a second later covers every slot emptied meanwhile.
        if (! hubNoticeScheduled)
        {
            hubNoticeScheduled = true;
            juce::WeakReference<MidiController> safeThis (this);

            callAfterDelay (reconnectHubNoticeDelayMs, [safeThis]
            {
                if (auto* device = safeThis.get())
                {
                    device->hubNoticeScheduled = false;

                    if (device->hasUnusedVirtualCables())
                        device->postAsyncMessage (warningOnce, "Please disconnect and reconnect the USB hub to your " + device->productName
                            + "\n\nOne of the connected devices was not using all its USB virtual cables, but after your disconnected another device there is some room to connect missing virtual cables");
                }
            });
        }

        dumpLine (juce::String::formatted ("\nIdx %d -> No device connected", index));
    }
    else
    {
        auto record = usbHostDevices[index];
        record.deviceHandle = handle;
        record.hubPort = nibblePair (reply + 15);
        record.hubId = nibblePair (reply + 17);
        record.hubPortCount = nibblePair (reply + 19);

        int namePosition;

        if (above315)
        {
            record.inputCablesUsed = nibblePair (reply + 21);
            record.outputCablesUsed = nibblePair (reply + 23);
            record.inputCables = nibblePair (reply + 25);
            record.outputCables = nibblePair (reply + 27);
            const auto cable = nibblePair (reply + 29);
            record.cableIndex = cable & 0x0F;

            if (hostFirmwareVersion > 3.35f)
                record.deviceInstance = (cable >> 4) & 0x0F;

            record.inputBufferSize = nibblePair (reply + 31);
            record.outputBufferSize = nibblePair (reply + 33);
            namePosition = 35;
        }
        else
        {
            record.outputCablesUsed = reply[21] & 0x0F;
            record.inputCablesUsed = reply[22] & 0x0F;
            record.outputCables = reply[23] & 0x0F;
            record.inputCables = reply[24] & 0x0F;
            record.cableIndex = nibblePair (reply + 25);
            record.inputBufferSize = nibblePair (reply + 27);
            record.outputBufferSize = nibblePair (reply + 29);
            namePosition = 31;
        }

        memcpy (record.name, reply + namePosition, 16);
        record.name[16] = 0;

        if (above285)
        {
            juce::uint8 vidSum = 0;
            record.vidPid = (juce::int32) unpackValue32 (reply + namePosition + 16, vidSum);
        }

        usbHostDevices[index] = record;

        auto line = juce::String::formatted ("Idx %d -> vid/pid=%0X epSize %0X CN In used %d CN In real %d CN Out used %d CN Out real %d ",
                                             index, (unsigned) record.vidPid, (unsigned) record.outputBufferSize,
                                             (int) record.inputCablesUsed, (int) record.inputCables,
                                             (int) record.outputCablesUsed, (int) record.outputCables)
                  + record.getName();

        dumpLine ("\n" + line);

        if (mayReorderOnBoot())
            showAlert ("Your connected USB-MIDI devices may be enumerated in a different order upon next boot, routing may be affected. Please use the port reservation function to lock the order of the ports to avoid any unexpected routing", true);
    }

    if (events != nullptr)
        events->hostRecordChanged (index);

    if (handle != -1 && reportScheduled == 0)
    {
        reportScheduled = 1;
        juce::WeakReference<MidiController> safeThis (this);

        callAfterDelay (deviceReportDelayMs, [safeThis]
        {
            if (auto* device = safeThis.get())
            {
                if (device->userInterface != nullptr)
                    device->userInterface->startDeviceReport();

                device->reportScheduled = 0;
            }
        });
    }

    return SYSX_OK;
}

int MidiController::parseDescriptorReply (const juce::uint8* reply, int length)
{
    const int kind = reply[7];
    const int byteCount = reply[8];
    const int expectedLength = byteCount + 12;

    if (! endsAt (reply, length, expectedLength))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, expectedLength))
        return SYSX_CHECKSUM_ERROR;

    juce::Array<int> values;

    for (int i = 0; i + 1 < byteCount; i += 2)
        values.add (nibblePair (reply + 10 + i));

    auto append = [this] (const juce::String& text)
    {
        if (events != nullptr)
            events->dumpTextArrived (text);
    };

    switch (kind)
    {
        case SYSX_INFO_DEVICE_DESCRIPTOR:
        {
            append ("\n\nDevice descriptor:\n\n" + hexText (values, true) + "\n\nConfiguration descriptor:\n\n");

            if (events != nullptr)
                events->deviceDescriptorArrived();

            // The dump ends a while after its first device descriptor.
            if (! dumpEndScheduled)
            {
                dumpEndScheduled = true;
                juce::WeakReference<MidiController> safeThis (this);

                callAfterDelay (dumpEndDelayMs, [safeThis]
                {
                    if (auto* device = safeThis.get())
                    {
                        device->dumpEndScheduled = false;
                        device->descriptorDumpActive = 0;
                    }
                });
            }
            break;
        }

        case SYSX_INFO_CONFIG_DESCRIPTOR:
            append (hexText (values, true) + (values.size() % 10 == 0 ? "\n" : ""));
            break;

        default:
        {
            juce::String characters;

            for (auto v : values)
                characters += juce::String::charToString ((juce::juce_wchar) (juce::uint8) v);

            const char* heading = kind == SYSX_INFO_VENDOR_STRING ? "\nVendor String: "
                                : kind == SYSX_INFO_PRODUCT_STRING ? "\n\nProduct String: "
                                                                   : "\nInfo: ";
            append (heading + characters + "\n");
            break;
        }
    }

    if (userInterface != nullptr)
        userInterface->setEditorsEnabled (true);

    return SYSX_OK;
}

//==============================================================================
bool MidiController::hasUnusedVirtualCables() const
{
    const int hostPorts = getNumUsbHostPorts();

    if (hostPorts == 0)
        return false;

    int counted = 0;
    bool mismatch = false;

    for (int i = 0; i < hostPorts; ++i)
    {
        const auto& record = usbHostDevices[i];

        if (record.deviceHandle == -1 || record.hubId == 0xFF)
            continue;

        ++counted;

        if (mismatch)
            continue;

        int disabledIn = 0, disabledOut = 0;

        if (hostFirmwareVersion > 2.85f)
        {
            juce::uint32 mask = 0xFFFFFFFFu;

            for (const auto& entry : usbDevicePortMasks)
            {
                if (entry.vidPid != -1 && entry.vidPid == record.vidPid)
                {
                    mask = entry.mask;
                    break;
                }
            }

            for (int bit = 0; bit < 16; ++bit)
            {
                if ((mask & (1u << bit)) == 0)         ++disabledOut;
                if ((mask & (1u << (bit + 16))) == 0)  ++disabledIn;
            }
        }

        if (record.inputCables != record.inputCablesUsed + disabledIn
             || record.outputCables != record.outputCablesUsed + disabledOut)
            mismatch = true;
    }

    return counted > 0 && counted < hostPorts && mismatch;
}

bool MidiController::mayReorderOnBoot() const
{
    const int hostPorts = getNumUsbHostPorts();

    if (hostFirmwareVersion > 3.05f)
        for (int i = 0; i < juce::jmin (2 * hostPorts, (int) numPortReservations); ++i)
            if (portReservations[i].vidPid != -1)
                return false;

    // Within one hub, the product enumerates its ports in order: a lower hub port after a higher one may move on the next boot.
    auto outOfOrder = [this] (int first, int last, bool& anyBehindHub)
    {
        constexpr int maxHubs = 8;
        int hubIds[maxHubs];
        int lastPort[maxHubs];
        int numHubs = 0;
        anyBehindHub = false;

        for (int i = first; i < last; ++i)
        {
            const auto& record = usbHostDevices[i];

            if (record.deviceHandle == -1 || record.hubId == 0xFF)
                continue;

            anyBehindHub = true;
            int hub = 0;

            while (hub < numHubs && hubIds[hub] != record.hubId)
                ++hub;

            if (hub == numHubs)
            {
                if (numHubs == maxHubs)
                    continue;   // further hubs are not considered

                hubIds[numHubs] = record.hubId;
                lastPort[numHubs] = record.hubPort;
                ++numHubs;
                continue;
            }

            if (record.hubPort < lastPort[hub])
                return true;

            lastPort[hub] = record.hubPort;
        }

        return false;
    };

    bool anyBehindHub = false;

    if (outOfOrder (0, hostPorts, anyBehindHub))
        return true;

    if (! anyBehindHub)
        return false;

    return outOfOrder (hostPorts, juce::jmin (2 * hostPorts, (int) numUsedHostRecords), anyBehindHub);
}
