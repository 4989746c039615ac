#include "device/MidiController.h"

#include "device/SysexFormat.h"

using namespace SysexFormat;

namespace
{
    bool isSingleItemKind (int kind)
    {
        return alwaysItemZero (kind) || kind == kindUsbProductName;
    }
}

int MidiController::getSettingReplyLength (int kind) const
{
    switch (kind)
    {
        case kindChannelFilter:   return 15;
        case kindMapper:          return 42;
        case kindPresetName:      return 32;
        case kindUsbDevicePorts:  return 22;
        case kindPortReservation: return hostFirmwareVersion > 3.35f ? 20 : 18;
        case kindVelocityCurve:   return 172;
        case kindUsbProductName:  return 42;
        default:                  return 17;
    }
}

int MidiController::checkSettingItem (int kind, int count, int item) const
{
    if (count != valuesPerItem (kind))
        return SYSX_OUT_OF_RANGE;

    if (kind == kindPresetName && hostFirmwareVersion < 2.75f)
        return SYSX_OUT_OF_RANGE;

    if (kind == kindVelocityCurve && hostFirmwareVersion < 3.85f)
        return SYSX_OUT_OF_RANGE;

    if (kind == kindUsbProductName && (deviceFirmwareVersion < 6.95f || hostFirmwareVersion < 0.1f))
        return SYSX_OUT_OF_RANGE;

    if (isSingleItemKind (kind))
        return item == 0 ? SYSX_OK : SYSX_OUT_OF_RANGE;

    // Items the product has but the tables can't hold are out of range too: nothing is stored for them.
    if (item >= getProductItemCount (kind) || item >= getTableItemLimit (kind))
        return SYSX_OUT_OF_RANGE;

    return SYSX_OK;
}

int MidiController::parseDeviceReply (int slot, juce::uint8& nextType, juce::uint8& nextKind)
{
    nextType = 0xFF;
    nextKind = 0xFF;

    const int length = getReplyLength (slot);

    if (length < 10)
        return SYSX_END_MISSING;

    const juce::uint8* reply = replyRing[slot];

    switch (reply[6] & 0x0F)
    {
        case SYSX_TYPE_COMMAND: return parseCommandAck (reply, length);
        case SYSX_TYPE_INFO:    return parseInfoReply (slot);
        case SYSX_TYPE_READ:    return parseReadReply (reply, length, slot, nextType, nextKind);
        case SYSX_TYPE_WRITE:   return parseWriteAck (reply, length, nextType, nextKind);
        case SYSX_TYPE_ICSP:    return parseProgrammingAck (reply, length);
        default:                return SYSX_OK;
    }
}

int MidiController::parseCommandAck (const juce::uint8* reply, int length)
{
    if (! endsAt (reply, length, 11))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, 11))
        return SYSX_CHECKSUM_ERROR;

    return SYSX_OK;
}

int MidiController::parseReadReply (const juce::uint8* reply, int length, int slot, juce::uint8& nextType, juce::uint8& nextKind)
{
    const int kind = reply[7];
    const int count = reply[8];
    const int item = reply[9];

    if (kind == kindLfo || kind > kindUsbProductName)
        return SYSX_UNKNOWN_KIND;

    if (auto rangeResult = checkSettingItem (kind, count, item))
        return rangeResult;

    const int expectedLength = getSettingReplyLength (kind);

    if (! endsAt (reply, length, expectedLength))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, expectedLength))
        return SYSX_CHECKSUM_ERROR;

    if (kind == kindPresetSetting)
        return parsePresetSettingReply (slot, nextType, nextKind);

    // A read answered while the user's edit of the same item waits to be written must not undo the edit.
    if (! pendingRequests.isWrite (kind, item))
        storeReadValue (kind, item, slot);

    if (events != nullptr)
        events->itemAnswered (SYSX_TYPE_READ, kind, item);

    continueChain (SYSX_TYPE_READ, kind, alwaysItemZero (kind) ? 0 : item, nextType, nextKind);
    return SYSX_OK;
}

bool MidiController::continueChain (int type, int kind, int item, juce::uint8& nextType, juce::uint8& nextKind)
{
    const auto next = completePendingRequest ((juce::uint8) type, (juce::uint8) kind, (juce::uint8) item);

    if (next == 0xFF)
        return false;

    // The next request goes in the direction of its own mark, whatever this reply was.
    nextType = (juce::uint8) type;
    nextKind = next;
    return true;
}

void MidiController::storeReadValue (int kind, int item, int slot)
{
    const int preset = currentPreset & 0x0F;
    juce::uint8 sum = 0;

    switch (kind)
    {
        case kindRouter:         routerMasks[preset][item] = decode32 (10, sum, slot); break;
        case kindChannelFilter:  filterChannels[preset][item] = decode16 (10, sum, slot); break;
        case kindMessageFilter:  filterStatus[preset][item] = decode32 (10, sum, slot); break;
        case kindMapper:
            for (int w = 0; w < 6; ++w)
                mapperRecords[preset][item].setWord (w, decode32 (10 + 5 * w, sum, slot));
            break;
        case kindTrsType:        trsType[preset] = (juce::int32) decode32 (10, sum, slot); break;
        case kindSync24:         sync24[preset] = (juce::int32) decode32 (10, sum, slot); break;
        case kindPowerDown:      powerDown[preset] = (juce::int32) decode32 (10, sum, slot); break;
        case kindPresetName:
            for (int w = 0; w < 4; ++w)
                presetNames[item][w] = decode32 (10 + 5 * w, sum, slot);
            break;
        case kindUsbDevicePorts:
            usbDevicePortMasks[item].vidPid = (juce::int32) decode32 (10, sum, slot);
            usbDevicePortMasks[item].mask = decode32 (15, sum, slot);
            break;
        case kindPortReservation:
            portReservations[item].vidPid = (juce::int32) decode32 (10, sum, slot);
            portReservations[item].cable = hostFirmwareVersion > 3.35f ? decode16 (15, sum, slot)
                                                                        : (juce::uint16) replyRing[slot][15];
            break;
        case kindVelocityCurve:
            for (int w = 0; w < numCurveWords; ++w)
                userCurves[item][w] = decode32 (10 + 5 * w, sum, slot);
            break;
        case kindUsbProductName:
            for (int w = 0; w < 6; ++w)
                usbProductName[w] = decode32 (10 + 5 * w, sum, slot);
            break;
        default:
            break;
    }
}

int MidiController::parsePresetSettingReply (int slot, juce::uint8& nextType, juce::uint8& nextKind)
{
    juce::uint8 sum = 0;
    const auto value = decode32 (10, sum, slot);

    // There are 16 preset rows: a preset beyond them can't be shown or addressed.
    if ((value & 0x1F) >= (juce::uint32) numPresetRows)
        return SYSX_OUT_OF_RANGE;

    const int reportedPreset = (int) (value & 0x1F);
    bool changedOnProduct = false;

    if (pendingRequests.isWrite (kindPresetSetting, 0))
    {
        // The setting the user chose still waits to be written and is newer than what the
        // product reports; the product's preset counts all the same.
        if (reportedPreset != currentPreset)
        {
            currentPreset = (juce::uint8) reportedPreset;
            dropWritesOfOtherPresets (reportedPreset);
        }
    }
    else
    {
        presetSetting = value & 0x7FFFFFFFu;

        if (reportedPreset != currentPreset || (value & 0x80000000u) != 0)
        {
            currentPreset = (juce::uint8) reportedPreset;
            changedOnProduct = true;
        }
    }

    if (events != nullptr)
        events->itemAnswered (SYSX_TYPE_READ, kindPresetSetting, 0);

    if (changedOnProduct)
    {
        // Edits waiting for the old preset can't reach it any more; the new preset is read in full.
        presetChanged = 0;
        dropWritesOfOtherPresets (reportedPreset);
        markAllSettingsForRead();
    }

    continueChain (SYSX_TYPE_READ, kindPresetSetting, 0, nextType, nextKind);
    return SYSX_OK;
}

int MidiController::parseWriteAck (const juce::uint8* reply, int length, juce::uint8& nextType, juce::uint8& nextKind)
{
    if (! endsAt (reply, length, 12))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, 12))
        return SYSX_CHECKSUM_ERROR;

    const int kind = reply[7];
    const int count = reply[8];
    const int item = reply[9];

    if (kind == kindLfo || kind > kindUsbProductName)
        return SYSX_UNKNOWN_KIND;

    if (auto rangeResult = checkSettingItem (kind, count, item))
        return rangeResult;

    if (events != nullptr)
        events->itemAnswered (SYSX_TYPE_WRITE, kind, item);

    if (kind == kindPresetSetting && presetChanged != 0)
    {
        // The product is on the preset the tool chose: read it in full.
        presetChanged = 0;
        clearAnsweredMark (SYSX_TYPE_WRITE, kindPresetSetting, 0);
        markAllSettingsForRead();
        nextType = SYSX_TYPE_READ;
        nextKind = kindPresetSetting;
        return SYSX_OK;
    }

    continueChain (SYSX_TYPE_WRITE, kind, alwaysItemZero (kind) ? 0 : item, nextType, nextKind);
    return SYSX_OK;
}

int MidiController::parseProgrammingAck (const juce::uint8* reply, int length)
{
    const int kind = reply[7];

    if (kind >= 8)
        return kind;

    if (! endsAt (reply, length, 11))
        return SYSX_END_MISSING;

    if (! checksumMatches (reply, 11))
        return SYSX_CHECKSUM_ERROR;

    if (reply[8] != 0)
        return reply[8];

    switch (kind)
    {
        case SYSX_CMD_ICSP_START:
            upgradeStep = 1;
            continueFirmwareUpgrade();
            return SYSX_OK;

        case SYSX_CMD_ICSP_ERASE:
            upgradeStep = 2;
            continueFirmwareUpgrade();
            return SYSX_OK;

        case SYSX_CMD_ICSP_SET_ADDRESS:
            upgradeStep = 3;
            continueFirmwareUpgrade();
            return SYSX_OK;

        case SYSX_CMD_ICSP_WRITE:
            programAddress += 256;

            if (programAddress - flashStart < firmwareImageSize)
                upgradeStep = 2;

            continueFirmwareUpgrade();
            return SYSX_OK;

        case SYSX_CMD_ICSP_FINISH_SUCCESS:
            if (userInterface != nullptr)
                userInterface->reportUpgradeResult (SYSX_OK);
            return SYSX_OK;

        case SYSX_CMD_ICSP_FINISH_ERROR:
            if (userInterface != nullptr)
                userInterface->reportUpgradeResult (SYSX_FIRMWARE_ERROR);
            return SYSX_FIRMWARE_ERROR;

        default:
            return SYSX_UNKNOWN_KIND;
    }
}
