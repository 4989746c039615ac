#include "device/MidiController.h"

#include "device/SysexFormat.h"

using namespace SysexFormat;

int MidiController::getTableItemLimit (int kind)
{
    switch (kind)
    {
        case kindRouter:          return numRouterRows;
        case kindChannelFilter:
        case kindMessageFilter:   return numFilterEntries;
        case kindMapper:          return numMapperSlots;
        case kindPresetName:      return numPresetRows;
        case kindUsbDevicePorts:  return numUsbDevicePortMasks;
        case kindPortReservation: return numPortReservations;
        case kindVelocityCurve:   return numCurves;
        case kindPresetSetting:
        case kindTrsType:
        case kindSync24:
        case kindPowerDown:
        case kindUsbProductName:  return 1;
        default:                  return 0;
    }
}

int MidiController::getProductItemCount (int kind) const
{
    const int a = getNumUsbHostPorts();
    const int b = getNumLocalPorts();

    switch (kind)
    {
        case kindRouter:          return a + b;
        case kindChannelFilter:
        case kindMessageFilter:   return 2 * (a + b);
        case kindMapper:          return getNumMappers();
        case kindPresetName:      return getNumPresets();
        case kindUsbDevicePorts:  return 16;
        case kindPortReservation: return 2 * a;
        case kindVelocityCurve:   return getNumVelocityCurves();
        case kindPresetSetting:
        case kindTrsType:
        case kindSync24:
        case kindPowerDown:
        case kindUsbProductName:  return 1;
        default:                  return 0;
    }
}

bool MidiController::isRequestGatePassed (int kind) const
{
    switch (kind)
    {
        case kindPresetName:     return hostFirmwareVersion >= 2.75f;
        case kindVelocityCurve:  return hostFirmwareVersion >= 3.85f;
        case kindUsbProductName: return deviceFirmwareVersion >= 6.95f && hostFirmwareVersion >= 0.1f;
        default:                 return true;
    }
}

int MidiController::findPendingItem (int type, int kind)
{
    const bool write = (type == SYSX_TYPE_WRITE);
    const int limit = getTableItemLimit (kind);

    for (int item = 0; item < PendingRequests::numItems; ++item)
    {
        if (! pendingRequests.isPending (kind, item) || pendingRequests.isWrite (kind, item) != write)
            continue;

        // An item beyond the table: nothing to read it into or write it from.
        if (item >= limit)
        {
            pendingRequests.clear (kind, item);
            continue;
        }

        if (isSendable (kind, item))
            return item;
    }

    return 0xFF;
}

void MidiController::appendPacked32 (juce::MemoryOutputStream& block, juce::uint32 value) const
{
    juce::uint8 bytes[5];
    packValue32 (value, bytes);
    block.write (bytes, 5);
}

void MidiController::appendItemValues (juce::MemoryOutputStream& block, int kind, int item) const
{
    // A per-preset value goes out only while its preset is current on the product.
    const int preset = currentPreset & 0x0F;

    switch (kind)
    {
        case kindRouter:         appendPacked32 (block, routerMasks[preset][item]); break;
        case kindChannelFilter:
        {
            juce::uint8 bytes[3];
            packValue16 (filterChannels[preset][item], bytes);
            block.write (bytes, 3);
            break;
        }
        case kindMessageFilter:  appendPacked32 (block, filterStatus[preset][item]); break;
        case kindMapper:
            for (int w = 0; w < 6; ++w)
                appendPacked32 (block, mapperRecords[preset][item].getWord (w));
            break;
        case kindPresetSetting:  appendPacked32 (block, presetSetting); break;
        case kindTrsType:        appendPacked32 (block, (juce::uint32) trsType[preset]); break;
        case kindSync24:         appendPacked32 (block, (juce::uint32) sync24[preset]); break;
        case kindPresetName:
            for (auto word : presetNames[item])
                appendPacked32 (block, word);
            break;
        case kindUsbDevicePorts:
            appendPacked32 (block, (juce::uint32) usbDevicePortMasks[item].vidPid);
            appendPacked32 (block, usbDevicePortMasks[item].mask);
            break;
        case kindPortReservation:
            appendPacked32 (block, (juce::uint32) portReservations[item].vidPid);

            if (hostFirmwareVersion > 3.35f)
            {
                juce::uint8 bytes[3];
                packValue16 (portReservations[item].cable, bytes);
                block.write (bytes, 3);
            }
            else
            {
                auto cable = (juce::uint8) (portReservations[item].cable & 0x7F);
                block.write (&cable, 1);
            }
            break;
        case kindPowerDown:      appendPacked32 (block, (juce::uint32) powerDown[preset]); break;
        case kindVelocityCurve:
            for (auto word : userCurves[item])
                appendPacked32 (block, word);
            break;
        case kindUsbProductName:
            for (auto word : usbProductName)
                appendPacked32 (block, word);
            break;
        default: break;
    }
}

int MidiController::buildCommand (int type, juce::uint8 kind, const juce::uint32* values, juce::uint8 count)
{
    if (type < 0 || type > SYSX_TYPE_ICSP)
        return SYSX_UNKNOWN_KIND;

    // Room for the longest body (a programming write of 127 words), so that nothing grows on the way.
    juce::MemoryOutputStream body (maxRequestBodySize);
    auto appendByte = [&body] (int b) { body.writeByte ((char) b); };

    int idByte = getProductIdByte();
    int item = -1;

    switch (type)
    {
        case SYSX_TYPE_COMMAND:
            if (kind != SYSX_CMD_RESTART_BOOTLOADER && kind != SYSX_CMD_FACTORY_RESET && kind != SYSX_CMD_END_OF_READ
                 && kind != SYSX_CMD_CLOSE_CONNECTION && kind != SYSX_CMD_DESCRIPTOR_DUMP)
                return SYSX_UNKNOWN_KIND;

            // These commands only make sense to a product running its application.
            if ((kind == SYSX_CMD_FACTORY_RESET || kind == SYSX_CMD_END_OF_READ || kind == SYSX_CMD_DESCRIPTOR_DUMP)
                 && (! isProductKnown() || upgradeStep >= 1))
                return SYSX_NOTHING_TO_SEND;
            break;

        case SYSX_TYPE_INFO:
            if (kind != SYSX_CMD_IDENTITY && kind != SYSX_CMD_MODULE_INFO)
                return SYSX_UNKNOWN_KIND;
            break;

        case SYSX_TYPE_READ:
        case SYSX_TYPE_WRITE:
        {
            if (kind == kindLfo || kind > kindUsbProductName)
                return SYSX_UNKNOWN_KIND;

            if (! isRequestGatePassed (kind))
                return SYSX_NOTHING_TO_SEND;

            if (! alwaysItemZero (kind))
            {
                if (upgradeStep >= 1 || deviceMode == 0)
                    return SYSX_NOTHING_TO_SEND;

                item = findPendingItem (type, kind);

                if (item == 0xFF)
                    return SYSX_NOTHING_TO_SEND;
            }
            else
            {
                item = 0;

                // A waiting edit for another preset than the product's can't go out now.
                if (type == SYSX_TYPE_WRITE && pendingRequests.isWrite (kind, 0) && ! isSendable (kind, 0))
                    return SYSX_NOTHING_TO_SEND;
            }

            if (kind == kindUsbProductName)
            {
                idByte = getDeviceCoreId();

                if (idByte == 255)
                    return SYSX_NOTHING_TO_SEND;
            }

            appendByte (valuesPerItem (kind));
            appendByte (item);

            if (type == SYSX_TYPE_WRITE)
                appendItemValues (body, kind, item);
            break;
        }

        case SYSX_TYPE_ICSP:
            switch (kind)
            {
                case SYSX_CMD_ICSP_START:
                case SYSX_CMD_ICSP_FINISH_SUCCESS:
                case SYSX_CMD_ICSP_FINISH_ERROR:
                    break;

                case SYSX_CMD_ICSP_ERASE:
                    programAddress = flashStart;
                    break;

                case SYSX_CMD_ICSP_SET_ADDRESS:
                    if (values == nullptr)
                        return SYSX_UNKNOWN_KIND;

                    appendPacked32 (body, values[0]);
                    break;

                case SYSX_CMD_ICSP_WRITE:
                    if ((values == nullptr && count > 0) || count > 0x7F)
                        return SYSX_UNKNOWN_KIND;

                    appendByte (count);
                    for (int i = 0; i < count; ++i)
                        appendPacked32 (body, values[i]);
                    break;

                default:
                    return SYSX_UNKNOWN_KIND;
            }
            break;

        default:
            return SYSX_UNKNOWN_KIND;
    }

    if ((type == SYSX_TYPE_READ || type == SYSX_TYPE_WRITE) && events != nullptr)
        events->requestGoingOut (type, kind);

    const juce::uint8 header[] = { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) (idByte & 0x7F),
                                   (juce::uint8) (type & 0x0F), (juce::uint8) (kind & 0x7F) };
    juce::MemoryOutputStream message (sizeof (header) + body.getDataSize() + 2);
    message.write (header, sizeof (header));
    message.write (body.getData(), body.getDataSize());

    auto* bytes = static_cast<const juce::uint8*> (message.getData());
    const auto checksum = sysexChecksum (bytes, 6, (int) message.getDataSize());
    message.writeByte ((char) checksum);
    message.writeByte ((char) 0xF7);

    const int builtLength = (int) message.getDataSize();
    // Copy-assigned from a named message: the framework's move assignment would lose the old buffer.
    const juce::MidiMessage built (message.getData(), builtLength, 0.0);
    preparedRequest = built;

    if (preparedRequest.getRawData()[0] != 0xF0 || preparedRequest.getRawDataSize() != builtLength)
        return SYSX_BUILD_ERROR;

    // From this write on, the product is on the preset it selects: reads and writes go to its rows.
    if (type == SYSX_TYPE_WRITE && kind == kindPresetSetting)
        currentPreset = (juce::uint8) (presetSetting & 0x1F);

    return SYSX_OK;
}

juce::uint32 MidiController::decode32 (int position, juce::uint8& sum, int slot) const
{
    if (! juce::isPositiveAndBelow (slot, replyRingSlots) || position < 0 || position + 5 > replyRingSlotSize)
        return 0;

    return unpackValue32 (replyRing[slot] + position, sum);
}

juce::uint16 MidiController::decode16 (int position, juce::uint8& sum, int slot) const
{
    if (! juce::isPositiveAndBelow (slot, replyRingSlots) || position < 0 || position + 3 > replyRingSlotSize)
        return 0;

    return unpackValue16 (replyRing[slot] + position, sum);
}
