#include "sim/SimulatedProduct.h"

namespace
{
    struct ProductInfo
    {
        const char* model;
        int hostId, deviceId, hostPorts, localPorts, presets;
    };

    // Product codes 1..6
    const ProductInfo productInfos[] =
    {
        { "Dorvin-BC",  31, 33,  8,  7,  4 },
        { "Calder-Pro", 34, 35,  8,  3,  4 },
        { "Gavrel-Pro", 36, 37, 12,  8,  4 },
        { "Jorvek-Pro", 38, 39, 16, 14,  6 },
        { "Lissar-Pro", 40, 41, 24, 16,  8 },
        { "Norrim-Pro", 42, 43, 24, 20, 12 }
    };

    const ProductInfo& infoOf (int productCode)
    {
        return productInfos[juce::jlimit (1, 6, productCode) - 1];
    }

    struct FlashRange
    {
        juce::uint32 start, end;
    };

    /** The programmable flash of each core; end 0 means the core takes no image. */
    FlashRange flashRangeOfCore (int coreId)
    {
        switch (coreId)
        {
            case 31: case 34:   return { 0x3000, 0x40000 };
            case 38:            return { 0x3000, 0x78000 };
            case 42:            return { 0x3000, 0x80000 };
            case 36: case 40:   return { 0x3000, 0 };
            case 33: case 35:   return { 0x2800, 0x8000 };
            case 39:            return { 0x2800, 0x20000 };
            case 43:            return { 0x2800, 0x40000 };
            case 37: case 41:   return { 0x2800, 0 };
            default:            return { 0, 0 };
        }
    }

    constexpr juce::uint32 presetChangedFlag = 0x80000000u;
    constexpr juce::uint32 presetBits = 0x1F;
    constexpr int maxDumpValues = 60;

    /** Builds one system-exclusive reply: header, values, checksum and F7. */
    class SysexWriter
    {
    public:
        SysexWriter (int idByte, int typeByte, int kind)
            : bytes { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) idByte, (juce::uint8) typeByte, (juce::uint8) kind }
        {
        }

        SysexWriter& byte (int value)
        {
            bytes.push_back ((juce::uint8) (value & 0x7F));
            return *this;
        }

        SysexWriter& value32 (juce::uint32 value)
        {
            juce::uint8 packed[5];
            packValue32 (value, packed);
            bytes.insert (bytes.end(), packed, packed + 5);
            return *this;
        }

        SysexWriter& value16 (juce::uint16 value)
        {
            juce::uint8 packed[3];
            packValue16 (value, packed);
            bytes.insert (bytes.end(), packed, packed + 3);
            return *this;
        }

        /** A value in the given field width: 32 and 16 bits packed, 8 bits as one 7-bit byte. */
        SysexWriter& field (int width, juce::uint32 value)
        {
            if (width == 32)  return value32 (value);
            if (width == 16)  return value16 ((juce::uint16) value);
            return byte ((int) value);
        }

        /** An 8-bit value as two bytes: low four bits first. */
        SysexWriter& nibblePair (int value)
        {
            byte (value & 0x0F);
            return byte ((value >> 4) & 0x0F);
        }

        juce::MemoryBlock finish()
        {
            auto checksum = sysexChecksum (bytes.data(), 6, (int) bytes.size());
            bytes.push_back (checksum);
            bytes.push_back (0xF7);
            return { bytes.data(), bytes.size() };
        }

    private:
        std::vector<juce::uint8> bytes;
    };

    int bytesOfField (int width)
    {
        return width == 32 ? 5 : (width == 16 ? 3 : 1);
    }

    juce::MemoryBlock defaultDeviceDescriptor()
    {
        const juce::uint8 bytes[] = { 0x12, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x40, 0x78, 0x56, 0x34, 0x12,
                                      0x00, 0x01, 0x01, 0x02, 0x00, 0x01 };
        return { bytes, sizeof (bytes) };
    }

    juce::MemoryBlock defaultConfigDescriptor()
    {
        const juce::uint8 bytes[] =
        {
            0x09, 0x02, 0x56, 0x00, 0x02, 0x01, 0x00, 0x80, 0x32,     // configuration
            0x09, 0x04, 0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00,     // audio control interface
            0x09, 0x24, 0x01, 0x00, 0x01, 0x09, 0x00, 0x01, 0x01,
            0x09, 0x04, 0x01, 0x00, 0x02, 0x01, 0x03, 0x00, 0x00,     // MIDI streaming interface
            0x07, 0x24, 0x01, 0x00, 0x01, 0x25, 0x00,
            0x06, 0x24, 0x02, 0x01, 0x01, 0x00,                       // jacks
            0x09, 0x24, 0x03, 0x01, 0x02, 0x01, 0x01, 0x01, 0x00,
            0x09, 0x05, 0x02, 0x02, 0x40, 0x00, 0x00, 0x00, 0x00,     // bulk out
            0x05, 0x25, 0x01, 0x01, 0x01,
            0x09, 0x05, 0x81, 0x02, 0x40, 0x00, 0x00, 0x00, 0x00,     // bulk in
            0x05, 0x25, 0x01, 0x01, 0x02
        };
        return { bytes, sizeof (bytes) };
    }

    void packName (const juce::String& name, juce::uint32* words, int numWords)
    {
        for (int w = 0; w < numWords; ++w)
            words[w] = 0;

        auto text = name.toRawUTF8();

        for (int i = 0; i < numWords * 4 && text[i] != 0; ++i)
            words[i / 4] |= (juce::uint32) (juce::uint8) text[i] << (24 - 8 * (i % 4));
    }
}

//==============================================================================
struct SimulatedProduct::Request
{
    const juce::uint8* bytes;
    int size;
    int id, type, kind;

    int count() const  { return bytes[8]; }
    int item() const   { return bytes[9]; }
};

//==============================================================================
SimulatedProduct::SimulatedProduct (const Config& c)
    : config (c)
{
    jassert (config.productCode >= productDorvin && config.productCode <= productNorrim);
    config.productCode = juce::jlimit ((int) productDorvin, (int) productNorrim, config.productCode);

    if (config.deviceDescriptor.isEmpty())
        config.deviceDescriptor = defaultDeviceDescriptor();

    if (config.configDescriptor.isEmpty())
        config.configDescriptor = defaultConfigDescriptor();

    bootloaderRunning = config.startInBootloader;
    imageInFlash = ! config.startInBootloader;
    upgradedCoreId = getHostId();

    inputSlots.insertMultiple (0, {}, getNumHostPorts());
    outputSlots.insertMultiple (0, {}, getNumHostPorts());

    flash.malloc (flashSize);
    std::fill (flash.get(), flash.get() + flashSize, (juce::uint8) 0);

    resetSettings();
}

//==============================================================================
juce::Array<juce::MemoryBlock> SimulatedProduct::handleRequest (const juce::MemoryBlock& message)
{
    const juce::ScopedLock sl (lock);

    auto* bytes = static_cast<const juce::uint8*> (message.getData());
    auto size = (int) message.getSize();

    if (size < 10 || bytes[0] != 0xF0 || bytes[size - 1] != 0xF7)
        return {};

    if (bytes[1] != 0x00 || bytes[2] != 0x4B || bytes[3] != 0x1D || bytes[4] != 0x0F)
        return {};

    for (int i = 1; i < size - 1; ++i)
        if (bytes[i] >= 0x80)
            return {};

    if (! isAddressedToMe (bytes[5])
         || expectedLength (bytes, size) != size
         || bytes[size - 2] != sysexChecksum (bytes, 6, size - 2))
        return {};

    Request request { bytes, size, bytes[5], bytes[6], bytes[7] };

    auto replies = bootloaderRunning ? handleBootloaderRequest (request)
                                     : handleApplicationRequest (request);
    applyFaults (replies);
    return replies;
}

bool SimulatedProduct::takeReenumerationRequest()
{
    const juce::ScopedLock sl (lock);
    return std::exchange (reenumerationRequested, false);
}

void SimulatedProduct::leaveBootloader (FirmwareVersion newVersion)
{
    const juce::ScopedLock sl (lock);

    if (newVersion.isSet())
    {
        if (upgradedCoreId == getDeviceCoreId())
            config.deviceFirmware = newVersion;
        else
            config.hostFirmware = newVersion;
    }

    bootloaderRunning = false;
    reenumerationRequested = false;
}

void SimulatedProduct::powerUp (bool holdInBootloader)
{
    const juce::ScopedLock sl (lock);
    bootloaderRunning = holdInBootloader || ! imageInFlash;
    reenumerationRequested = false;
    programAddress = 0;
}

bool SimulatedProduct::flashHoldsImage() const
{
    const juce::ScopedLock sl (lock);
    return imageInFlash;
}

//==============================================================================
juce::Array<juce::MemoryBlock> SimulatedProduct::handleApplicationRequest (const Request& request)
{
    switch (request.type)
    {
        case SYSX_TYPE_COMMAND:
            return handleCommand (request);

        case SYSX_TYPE_INFO:
            if (request.kind == SYSX_CMD_IDENTITY)
                return { makeIdentityReply (request.id) };

            if (request.kind == SYSX_CMD_MODULE_INFO && request.id == getHostId() && config.productCode == productDorvin)
                return { SysexWriter (getHostId(), 0x41, SYSX_CMD_MODULE_INFO).byte (0).nibblePair (config.wirelessModule).finish() };

            return {};

        case SYSX_TYPE_READ:
            return handleRead (request);

        case SYSX_TYPE_WRITE:
            return handleWrite (request);

        default:
            return {};
    }
}

juce::Array<juce::MemoryBlock> SimulatedProduct::handleBootloaderRequest (const Request& request)
{
    if (request.type == SYSX_TYPE_INFO && request.kind == SYSX_CMD_IDENTITY)
        return { makeIdentityReply (0) };

    if (request.type == SYSX_TYPE_ICSP)
        return { handleProgramming (request) };

    return {};
}

juce::Array<juce::MemoryBlock> SimulatedProduct::handleCommand (const Request& request)
{
    const bool toDeviceCore = request.id == getDeviceCoreId();
    auto acknowledgement = [&request] { return SysexWriter (request.id, 0x40, request.kind).byte (0).finish(); };

    switch (request.kind)
    {
        case SYSX_CMD_RESTART_BOOTLOADER:
            bootloaderRunning = true;
            reenumerationRequested = true;
            upgradedCoreId = request.id;
            programAddress = 0;
            return {};

        case SYSX_CMD_CLOSE_CONNECTION:
            return {};

        default:
            break;
    }

    if (toDeviceCore)
        return {};

    juce::Array<juce::MemoryBlock> replies { acknowledgement() };

    switch (request.kind)
    {
        case SYSX_CMD_FACTORY_RESET:
            resetSettings();
            break;

        case SYSX_CMD_END_OF_READ:
            for (int index = 0; index < 2 * getNumHostPorts(); ++index)
                if (getHostRecord (index).deviceHandle != -1)
                    replies.add (makeHostRecord (index));
            break;

        case SYSX_CMD_DESCRIPTOR_DUMP:
            replies.addArray (makeDescriptorDump());
            break;

        default:
            break;
    }

    return replies;
}

juce::Array<juce::MemoryBlock> SimulatedProduct::handleRead (const Request& request)
{
    const bool toDeviceCore = request.id == getDeviceCoreId();

    if (! hasKind (request.kind) || toDeviceCore != (request.kind == kindUsbProductName))
        return {};

    if (request.item() >= itemCount (request.kind) && ! faults.answerOutOfRange)
        return {};

    auto widths = fieldWidths (request.kind);
    auto values = readItem (request.kind, request.item());

    SysexWriter reply (request.id, 0x40 | SYSX_TYPE_READ, request.kind);
    reply.byte (widths.size()).byte (request.item());

    for (int i = 0; i < widths.size(); ++i)
        reply.field (widths[i], values[i]);

    return { reply.finish() };
}

juce::Array<juce::MemoryBlock> SimulatedProduct::handleWrite (const Request& request)
{
    const bool toDeviceCore = request.id == getDeviceCoreId();

    if (! hasKind (request.kind) || toDeviceCore != (request.kind == kindUsbProductName))
        return {};

    const bool inRange = request.item() < itemCount (request.kind);

    if (! inRange && ! faults.answerOutOfRange)
        return {};

    juce::Array<juce::uint32> values;
    int position = 10;
    juce::uint8 unusedSum = 0;

    for (auto width : fieldWidths (request.kind))
    {
        if (width == 32)       values.add (unpackValue32 (request.bytes + position, unusedSum));
        else if (width == 16)  values.add (unpackValue16 (request.bytes + position, unusedSum));
        else                   values.add (request.bytes[position] & 0x7Fu);

        position += bytesOfField (width);
    }

    juce::Array<juce::MemoryBlock> replies;
    replies.add (SysexWriter (request.id, 0x40 | SYSX_TYPE_WRITE, request.kind)
                     .byte (request.count()).byte (request.item()).finish());

    if (inRange)
    {
        const auto before = makeHostRecords();
        appliedWrites.add ({ currentPreset, request.kind, request.item(), values });

        if (onWriteApplied)
            onWriteApplied (appliedWrites.getReference (appliedWrites.size() - 1));
        writeItem (request.kind, request.item(), values);

        // New masks and reservations take effect at once: every device is given its slots again.
        if (request.kind == kindUsbDevicePorts || request.kind == kindPortReservation)
        {
            assignHostSlots (false);
            replies.addArray (makeChangedHostRecords (before, true));
        }
    }

    return replies;
}

juce::MemoryBlock SimulatedProduct::handleProgramming (const Request& request)
{
    auto acknowledgement = [&request] (juce::uint8 status)
    {
        return SysexWriter (0, 0x40 | SYSX_TYPE_ICSP, request.kind).byte (status).finish();
    };

    for (auto& failure : stepFailures)
    {
        if (failure.kind != request.kind)
            continue;

        ++failure.seen;

        if (failure.occurrence == 0 || failure.seen == failure.occurrence)
            return acknowledgement (failure.status);
    }

    const auto range = flashRangeOfCore (upgradedCoreId);

    switch (request.kind)
    {
        case SYSX_CMD_ICSP_START:
            programAddress = range.start;
            break;

        case SYSX_CMD_ICSP_ERASE:
            if (range.end > range.start)
                std::fill (flash.get() + range.start, flash.get() + range.end, (juce::uint8) 0xFF);

            // From here until programming finishes, the flash holds no image that could start.
            imageInFlash = false;
            programAddress = range.start;
            break;

        case SYSX_CMD_ICSP_SET_ADDRESS:
        {
            juce::uint8 unusedSum = 0;
            programAddress = unpackValue32 (request.bytes + 8, unusedSum);
            break;
        }

        case SYSX_CMD_ICSP_WRITE:
        {
            const int numWords = request.bytes[8];
            const auto end = (juce::uint64) programAddress + 4u * (juce::uint64) numWords;

            if (programAddress < range.start || end > range.end)
                return acknowledgement (statusAddressOutOfRange);

            for (int k = 0; k < numWords; ++k)
            {
                juce::uint8 unusedSum = 0;
                auto word = unpackValue32 (request.bytes + 9 + 5 * k, unusedSum);
                auto* dest = flash.get() + programAddress + 4 * (juce::uint32) k;

                for (int b = 0; b < 4; ++b)
                    dest[b] = (juce::uint8) (word >> (8 * b));
            }

            programAddress = (juce::uint32) end;
            break;
        }

        case SYSX_CMD_ICSP_FINISH_SUCCESS:
            imageInFlash = true;
            break;

        default:
            break;
    }

    return acknowledgement (0);
}

//==============================================================================
bool SimulatedProduct::isAddressedToMe (int idByte) const
{
    if (idByte == getHostId() || idByte == getDeviceCoreId())
        return true;

    return bootloaderRunning && idByte == 0;
}

int SimulatedProduct::expectedLength (const juce::uint8* bytes, int size) const
{
    const int kind = bytes[7];

    switch (bytes[6])
    {
        case SYSX_TYPE_COMMAND:
            return (kind == 1 || kind == 2 || kind == 6 || kind == 7 || kind == 8) ? 10 : -1;

        case SYSX_TYPE_INFO:
            return kind <= SYSX_CMD_MODULE_INFO ? 10 : -1;

        case SYSX_TYPE_READ:
        case SYSX_TYPE_WRITE:
        {
            auto widths = fieldWidths (kind);

            if (widths.isEmpty() || size < 12 || bytes[8] != widths.size())
                return -1;

            if (bytes[6] == SYSX_TYPE_READ)
                return 12;

            int length = 12;

            for (auto width : widths)
                length += bytesOfField (width);

            return length;
        }

        case SYSX_TYPE_ICSP:
            switch (kind)
            {
                case SYSX_CMD_ICSP_START:
                case SYSX_CMD_ICSP_ERASE:
                case SYSX_CMD_ICSP_FINISH_SUCCESS:
                case SYSX_CMD_ICSP_FINISH_ERROR:    return 10;
                case SYSX_CMD_ICSP_SET_ADDRESS:     return 15;
                case SYSX_CMD_ICSP_WRITE:           return 11 + 5 * bytes[8];
                default:                            return -1;
            }

        default:
            return -1;
    }
}

juce::Array<int> SimulatedProduct::fieldWidths (int kind) const
{
    juce::Array<int> widths;

    switch (kind)
    {
        case kindRouter: case kindMessageFilter: case kindPresetSetting:
        case kindTrsType: case kindSync24: case kindPowerDown:
            widths.add (32);
            break;

        case kindChannelFilter:     widths.add (16); break;
        case kindMapper:            widths.insertMultiple (0, 32, 6); break;
        case kindPresetName:        widths.insertMultiple (0, 32, 4); break;
        case kindUsbDevicePorts:    widths.insertMultiple (0, 32, 2); break;
        case kindPortReservation:   widths.add (32); widths.add (hostAtLeast (3, 4) ? 16 : 8); break;
        case kindVelocityCurve:     widths.insertMultiple (0, 32, Settings::numCurveWords); break;
        case kindUsbProductName:    widths.insertMultiple (0, 32, 6); break;
        default:                    break;
    }

    return widths;
}

bool SimulatedProduct::hasKind (int kind) const
{
    const auto code = config.productCode;

    switch (kind)
    {
        case kindRouter:
        case kindChannelFilter:
        case kindMessageFilter:     return true;
        case kindMapper:            return hostAtLeast (0, 6);
        case kindPresetSetting:     return hostAtLeast (1, 1);
        case kindTrsType:           return code == productJorvek || code == productNorrim;
        case kindSync24:            return code == productNorrim;
        case kindPresetName:        return hostAtLeast (2, 8);
        case kindUsbDevicePorts:    return hostAtLeast (2, 9);
        case kindPortReservation:   return hostAtLeast (3, 1);
        case kindPowerDown:         return (code == productJorvek || code == productNorrim) && hostAtLeast (3, 8);
        case kindVelocityCurve:     return hostAtLeast (3, 9);
        case kindUsbProductName:    return config.deviceFirmware.tenths() >= 70 && hostAtLeast (0, 1);
        default:                    return false;
    }
}

int SimulatedProduct::itemCount (int kind) const
{
    switch (kind)
    {
        case kindRouter:            return getNumPorts();
        case kindChannelFilter:
        case kindMessageFilter:     return hostAtLeast (0, 6) ? 2 * getNumPorts() : getNumPorts();
        case kindMapper:            return getNumMappers();
        case kindPresetName:        return getNumPresets();
        case kindUsbDevicePorts:    return Settings::numPortMasks;
        case kindPortReservation:   return 2 * getNumHostPorts();
        case kindVelocityCurve:     return Settings::numCurves;
        default:                    return 1;
    }
}

juce::Array<juce::uint32> SimulatedProduct::readItem (int kind, int item)
{
    const auto p = currentPreset;
    juce::Array<juce::uint32> values;

    switch (kind)
    {
        case kindRouter:        values.add (item < Settings::maxPorts ? settings.routerMasks[p][item] : 0); break;
        case kindChannelFilter: values.add (item < Settings::maxFilterEntries ? settings.filterChannels[p][item] : 0); break;
        case kindMessageFilter: values.add (item < Settings::maxFilterEntries ? settings.filterStatus[p][item] : 0); break;
        case kindTrsType:       values.add (settings.trsType[p]); break;
        case kindSync24:        values.add (settings.sync24[p]); break;
        case kindPowerDown:     values.add (settings.powerDown[p]); break;

        case kindPresetSetting:
            values.add ((settings.presetSetting & ~(presetChangedFlag | presetBits))
                          | (juce::uint32) currentPreset
                          | (presetChangedOnProduct ? presetChangedFlag : 0));
            presetChangedOnProduct = false;
            break;

        case kindMapper:
            for (int w = 0; w < 6; ++w)
                values.add (item < Settings::numMappers ? settings.mappers[p][item].getWord (w) : 0);
            break;

        case kindPresetName:
            for (int w = 0; w < 4; ++w)
                values.add (item < Settings::numPresetRows ? settings.presetNames[item][w] : 0);
            break;

        case kindUsbDevicePorts:
            values.add (item < Settings::numPortMasks ? (juce::uint32) settings.usbDevicePortMasks[item].vidPid : 0);
            values.add (item < Settings::numPortMasks ? settings.usbDevicePortMasks[item].mask : 0);
            break;

        case kindPortReservation:
            values.add (item < Settings::numReservations ? (juce::uint32) settings.portReservations[item].vidPid : 0);
            values.add (item < Settings::numReservations ? settings.portReservations[item].cable : 0);
            break;

        case kindVelocityCurve:
            for (int w = 0; w < Settings::numCurveWords; ++w)
                values.add (item < Settings::numCurves ? settings.userCurves[item][w] : 0);
            break;

        case kindUsbProductName:
            for (auto word : settings.usbProductName)
                values.add (word);
            break;

        default:
            break;
    }

    return values;
}

void SimulatedProduct::writeItem (int kind, int item, const juce::Array<juce::uint32>& values)
{
    const auto p = currentPreset;

    switch (kind)
    {
        case kindRouter:
            if (item < Settings::maxPorts)
                settings.routerMasks[p][item] = values[0];
            break;

        case kindChannelFilter:
            if (item < Settings::maxFilterEntries)
                settings.filterChannels[p][item] = (juce::uint16) values[0];
            break;

        case kindMessageFilter:
            if (item < Settings::maxFilterEntries)
                settings.filterStatus[p][item] = values[0];
            break;

        case kindTrsType:   settings.trsType[p] = values[0]; break;
        case kindSync24:    settings.sync24[p] = values[0]; break;
        case kindPowerDown: settings.powerDown[p] = values[0]; break;

        case kindPresetSetting:
        {
            // A preset the product does not have leaves the current one selected.
            const int requested = (int) (values[0] & presetBits);

            if (requested < getNumPresets())
                currentPreset = requested;

            settings.presetSetting = (values[0] & ~(presetChangedFlag | presetBits)) | (juce::uint32) currentPreset;
            break;
        }

        case kindMapper:
            if (item < Settings::numMappers)
                for (int w = 0; w < 6; ++w)
                    settings.mappers[p][item].setWord (w, values[w]);
            break;

        case kindPresetName:
            if (item < Settings::numPresetRows)
                for (int w = 0; w < 4; ++w)
                    settings.presetNames[item][w] = values[w];
            break;

        case kindUsbDevicePorts:
            if (item < Settings::numPortMasks)
                settings.usbDevicePortMasks[item] = { (juce::int32) values[0], values[1] };
            break;

        case kindPortReservation:
            if (item < Settings::numReservations)
                settings.portReservations[item] = { (juce::int32) values[0], (juce::uint16) values[1] };
            break;

        case kindVelocityCurve:
            if (item < Settings::numCurves)
                for (int w = 0; w < Settings::numCurveWords; ++w)
                    settings.userCurves[item][w] = values[w];
            break;

        case kindUsbProductName:
            for (int w = 0; w < 6; ++w)
                settings.usbProductName[w] = values[w];
            break;

        default:
            break;
    }
}

void SimulatedProduct::applyFaults (juce::Array<juce::MemoryBlock>& replies)
{
    if (faults.silent)
    {
        replies.clear();
        return;
    }

    if (replies.isEmpty())
        return;

    ++answersGiven;

    // Only the answer itself misbehaves; what follows it (host records, dump pieces) stays intact.
    if (faults.dropEveryNthAnswer > 0 && answersGiven % faults.dropEveryNthAnswer == 0)
    {
        replies.remove (0);
        return;
    }

    auto& answer = replies.getReference (0);
    auto* bytes = static_cast<juce::uint8*> (answer.getData());
    const auto size = (int) answer.getSize();

    if (faults.wrongKind)
    {
        bytes[7] = (juce::uint8) ((bytes[7] + 1) & 0x7F);
        bytes[size - 2] = sysexChecksum (bytes, 6, size - 2);
    }

    if (faults.corruptChecksum)
        bytes[size - 2] = (juce::uint8) ((bytes[size - 2] + 1) & 0x7F);

    if (faults.truncateReplies)
        answer.removeSection ((size_t) size - 2, 1);

    if (faults.repeatEveryNthAnswer > 0 && answersGiven % faults.repeatEveryNthAnswer == 0)
    {
        const auto repeated = replies.getReference (0);
        replies.insert (1, repeated);
    }
}

//==============================================================================
juce::MemoryBlock SimulatedProduct::makeIdentityReply (int idByte) const
{
    FirmwareVersion version {};
    int processorId;

    if (bootloaderRunning)
    {
        version = config.bootloaderFirmware;
        processorId = config.bootloaderProcessorId >= 0 ? config.bootloaderProcessorId : upgradedCoreId;
        idByte = 0;
    }
    else
    {
        version = idByte == getDeviceCoreId() ? config.deviceFirmware : config.hostFirmware;
        processorId = idByte;
    }

    SysexWriter reply (idByte, 0x40 | SYSX_TYPE_INFO, SYSX_CMD_IDENTITY);
    reply.byte (0)
         .nibblePair (((version.major & 0x0F) << 4) | (version.minor & 0x0F))
         .nibblePair (processorId & 0xFF);

    for (auto word : config.serial)
        reply.value32 (word);

    return reply.finish();
}

juce::MemoryBlock SimulatedProduct::makeHostRecord (int index) const
{
    const auto numHostPorts = getNumHostPorts();
    const auto& use = index < numHostPorts ? inputSlots.getReference (index)
                                           : outputSlots.getReference (index - numHostPorts);

    SysexWriter reply (getHostId(), 0x40 | SYSX_TYPE_INFO, SYSX_INFO_USB_HOST_DEVICE);
    reply.byte (0).byte (index);

    const auto* device = findDevice (use.handle);

    if (device == nullptr)
        return reply.value32 (0xFFFFFFFFu).finish();

    auto countSlots = [&use] (const juce::Array<SlotUse>& slots)
    {
        int count = 0;

        for (auto& slot : slots)
            if (slot.handle == use.handle)
                ++count;

        return count;
    };

    // The device's output cables reach the product on host inputs, its input cables leave it on host outputs.
    const auto& spec = device->spec;
    const auto inputsUsed = countSlots (outputSlots);
    const auto outputsUsed = countSlots (inputSlots);

    reply.value32 ((juce::uint32) use.handle)
         .nibblePair (spec.hubPort)
         .nibblePair (spec.hubId)
         .nibblePair (spec.hubPortCount);

    if (hostAtLeast (3, 2))
    {
        const int instanceBits = hostAtLeast (3, 4) ? (device->instance & 0x0F) << 4 : 0;

        reply.nibblePair (inputsUsed)
             .nibblePair (outputsUsed)
             .nibblePair (spec.inputCables)
             .nibblePair (spec.outputCables)
             .nibblePair ((use.cable & 0x0F) | instanceBits);
    }
    else
    {
        reply.byte (outputsUsed & 0x0F)
             .byte (inputsUsed & 0x0F)
             .byte (spec.outputCables & 0x0F)
             .byte (spec.inputCables & 0x0F)
             .nibblePair (use.cable);
    }

    reply.nibblePair (spec.inputBufferSize & 0xFF)
         .nibblePair (spec.outputBufferSize & 0xFF);

    auto name = spec.name.toRawUTF8();
    const auto nameLength = (int) std::strlen (name);

    for (int i = 0; i < 16; ++i)
        reply.byte (i < nameLength ? name[i] : 0);

    if (hostAtLeast (2, 9))
        reply.value32 ((juce::uint32) spec.vidPid);

    return reply.finish();
}

juce::Array<juce::MemoryBlock> SimulatedProduct::makeDescriptorDump() const
{
    juce::Array<juce::MemoryBlock> replies;

    auto addPiece = [this, &replies] (int kind, const juce::uint8* data, int numValues)
    {
        SysexWriter reply (getHostId(), 0x40 | SYSX_TYPE_INFO, kind);
        reply.byte (2 * numValues).byte (0);

        for (int i = 0; i < numValues; ++i)
            reply.nibblePair (data[i]);

        replies.add (reply.finish());
    };

    auto addText = [&addPiece] (int kind, const juce::String& text)
    {
        auto* chars = reinterpret_cast<const juce::uint8*> (text.toRawUTF8());
        addPiece (kind, chars, juce::jmin (maxDumpValues, (int) std::strlen (text.toRawUTF8())));
    };

    auto* device = static_cast<const juce::uint8*> (config.deviceDescriptor.getData());
    addPiece (SYSX_INFO_DEVICE_DESCRIPTOR, device, juce::jmin (maxDumpValues, (int) config.deviceDescriptor.getSize()));

    auto* configuration = static_cast<const juce::uint8*> (config.configDescriptor.getData());
    const auto configSize = (int) config.configDescriptor.getSize();

    for (int offset = 0; offset < configSize; offset += maxDumpValues)
        addPiece (SYSX_INFO_CONFIG_DESCRIPTOR, configuration + offset, juce::jmin (maxDumpValues, configSize - offset));

    addText (SYSX_INFO_VENDOR_STRING, config.vendorString);
    addText (SYSX_INFO_PRODUCT_STRING, config.productString);
    addText (SYSX_INFO_TEXT, config.infoText);
    return replies;
}

juce::MemoryBlock SimulatedProduct::makeDeviceResetNotice() const
{
    return SysexWriter (getHostId(), 0x40 | SYSX_TYPE_INFO, SYSX_INFO_DEVICE_RESET).finish();
}

juce::MemoryBlock SimulatedProduct::makeUsbError (int code) const
{
    return SysexWriter (getHostId(), 0x40 | SYSX_TYPE_INFO, SYSX_INFO_USB_ERROR).byte (code).finish();
}

//==============================================================================
SimulatedProduct::Config SimulatedProduct::getConfig() const
{
    const juce::ScopedLock sl (lock);
    return config;
}

void SimulatedProduct::setFaults (const Faults& newFaults)
{
    const juce::ScopedLock sl (lock);
    faults = newFaults;
}

SimulatedProduct::Faults SimulatedProduct::getFaults() const
{
    const juce::ScopedLock sl (lock);
    return faults;
}

bool SimulatedProduct::isBootloaderRunning() const
{
    const juce::ScopedLock sl (lock);
    return bootloaderRunning;
}

int SimulatedProduct::getProductCode() const     { return config.productCode; }
int SimulatedProduct::getHostId() const          { return infoOf (config.productCode).hostId; }
int SimulatedProduct::getDeviceCoreId() const    { return infoOf (config.productCode).deviceId; }

int SimulatedProduct::getUpgradedCoreId() const
{
    const juce::ScopedLock sl (lock);
    return upgradedCoreId;
}

SimulatedProduct::FirmwareVersion SimulatedProduct::getHostFirmware() const
{
    const juce::ScopedLock sl (lock);
    return config.hostFirmware;
}

SimulatedProduct::FirmwareVersion SimulatedProduct::getDeviceFirmware() const
{
    const juce::ScopedLock sl (lock);
    return config.deviceFirmware;
}

juce::String SimulatedProduct::getInputPortName() const
{
    const juce::ScopedLock sl (lock);
    const juce::String model (infoOf (config.productCode).model);

    if (bootloaderRunning)
        return config.bootloaderPortName.isNotEmpty() ? config.bootloaderPortName : model + " Pellion Upg";

    return config.inputPortName.isNotEmpty() ? config.inputPortName : model + " MIDI 1";
}

juce::String SimulatedProduct::getOutputPortName() const
{
    const juce::ScopedLock sl (lock);

    if (! bootloaderRunning && config.outputPortName.isNotEmpty())
        return config.outputPortName;

    return getInputPortName();
}

//==============================================================================
SimulatedProduct::Settings SimulatedProduct::getSettings() const
{
    const juce::ScopedLock sl (lock);
    return settings;
}

void SimulatedProduct::setSettings (const Settings& newSettings)
{
    const juce::ScopedLock sl (lock);
    settings = newSettings;
    currentPreset = juce::jmin ((int) (settings.presetSetting & presetBits), getNumPresets() - 1);
    settings.presetSetting = (settings.presetSetting & ~presetBits) | (juce::uint32) currentPreset;
}

SimulatedProduct::Settings SimulatedProduct::getDefaultSettings() const
{
    const juce::ScopedLock sl (lock);
    Settings defaults;

    MapperRecord mapper;
    mapper.inVal1Val2 = 0x7F007F00;
    mapper.outVal1Val2 = 0x7F007F00;
    mapper.cfg1 = hostAtLeast (3, 4) ? 0x00F00F0F : 0x00000F00;
    mapper.cfg2 = 0x5A000187;

    for (auto& presetMappers : defaults.mappers)
        for (auto& record : presetMappers)
            record = mapper;

    std::fill (std::begin (defaults.trsType), std::end (defaults.trsType), 0xFFFFFFFFu);

    for (int p = 0; p < getNumPresets(); ++p)
        packName ("Preset " + juce::String (p + 1), defaults.presetNames[p], 4);

    // Linear curves: point i has the value i, four points per word, first in the top byte.
    for (auto& curve : defaults.userCurves)
        for (int w = 0; w < Settings::numCurveWords; ++w)
            curve[w] = (juce::uint32) (4 * w) << 24 | (juce::uint32) (4 * w + 1) << 16
                     | (juce::uint32) (4 * w + 2) << 8 | (juce::uint32) (4 * w + 3);

    for (auto& mask : defaults.usbDevicePortMasks)
        mask = { -1, 0xFFFFFFFFu };

    for (auto& reservation : defaults.portReservations)
        reservation = { -1, 0x007F };

    return defaults;
}

int SimulatedProduct::getCurrentPreset() const
{
    const juce::ScopedLock sl (lock);
    return currentPreset;
}

juce::Array<SimulatedProduct::AppliedWrite> SimulatedProduct::getAppliedWrites() const
{
    const juce::ScopedLock sl (lock);
    return appliedWrites;
}

juce::String SimulatedProduct::describe (const AppliedWrite& write)
{
    auto line = juce::String::formatted ("preset %d kind %d item %d:", write.preset, write.kind, write.item);

    for (auto value : write.values)
        line << " 0x" << juce::String::toHexString ((juce::int64) value).toUpperCase().paddedLeft ('0', 8);

    return line;
}

bool SimulatedProduct::parseWrite (const juce::String& line, AppliedWrite& write)
{
    const auto head = juce::StringArray::fromTokens (line.upToFirstOccurrenceOf (":", false, false), " ", {});
    const auto values = juce::StringArray::fromTokens (line.fromFirstOccurrenceOf (":", false, false).trim(), " ", {});

    if (! line.contains (":") || head.size() != 6 || head[0] != "preset" || head[2] != "kind" || head[4] != "item"
         || values.isEmpty())
        return false;

    write = { head[1].getIntValue(), head[3].getIntValue(), head[5].getIntValue(), {} };

    for (auto& value : values)
    {
        if (! value.startsWithIgnoreCase ("0x"))
            return false;

        write.values.add ((juce::uint32) value.substring (2).getHexValue64());
    }

    return true;
}

void SimulatedProduct::storeWrite (const AppliedWrite& write)
{
    const juce::ScopedLock sl (lock);

    if (! hasKind (write.kind) || ! juce::isPositiveAndBelow (write.item, itemCount (write.kind))
         || ! juce::isPositiveAndBelow (write.preset, getNumPresets()) || write.values.size() < fieldWidths (write.kind).size())
        return;

    const int presetBefore = currentPreset;
    currentPreset = write.preset;
    writeItem (write.kind, write.item, write.values);

    if (write.kind != kindPresetSetting)
        currentPreset = presetBefore;
}

void SimulatedProduct::clearAppliedWrites()
{
    const juce::ScopedLock sl (lock);
    appliedWrites.clear();
}

void SimulatedProduct::changePresetOnProduct (int preset)
{
    const juce::ScopedLock sl (lock);
    jassert (juce::isPositiveAndBelow (preset, getNumPresets()));

    currentPreset = juce::jlimit (0, getNumPresets() - 1, preset);
    settings.presetSetting = (settings.presetSetting & ~presetBits) | (juce::uint32) currentPreset;
    presetChangedOnProduct = true;
}

void SimulatedProduct::resetSettings()
{
    settings = getDefaultSettings();
    currentPreset = 0;
    presetChangedOnProduct = false;
}

//==============================================================================
juce::Array<juce::MemoryBlock> SimulatedProduct::attachUsbDevice (const UsbDeviceSpec& spec, int* deviceHandle)
{
    const juce::ScopedLock sl (lock);

    AttachedDevice device;
    device.handle = nextDeviceHandle++;
    device.spec = spec;

    // The lowest instance number not taken by another device with the same VID and PID.
    for (bool taken = true; taken; )
    {
        taken = false;

        for (auto& other : attachedDevices)
            if (other.spec.vidPid == spec.vidPid && other.instance == device.instance)
                taken = true;

        if (taken)
            ++device.instance;
    }

    const auto before = makeHostRecords();
    attachedDevices.add (device);

    if (deviceHandle != nullptr)
        *deviceHandle = device.handle;

    assignHostSlots (true);
    return makeChangedHostRecords (before, false);
}

juce::Array<juce::MemoryBlock> SimulatedProduct::detachUsbDevice (int deviceHandle)
{
    const juce::ScopedLock sl (lock);

    const auto before = makeHostRecords();
    attachedDevices.removeIf ([deviceHandle] (const AttachedDevice& d) { return d.handle == deviceHandle; });

    assignHostSlots (true);
    return makeChangedHostRecords (before, false);
}

UsbHostDevice SimulatedProduct::getHostRecord (int index) const
{
    const juce::ScopedLock sl (lock);
    const auto numHostPorts = getNumHostPorts();
    UsbHostDevice record;

    if (! juce::isPositiveAndBelow (index, 2 * numHostPorts))
        return record;

    const auto& use = index < numHostPorts ? inputSlots.getReference (index)
                                           : outputSlots.getReference (index - numHostPorts);

    if (const auto* device = findDevice (use.handle))
    {
        record.deviceHandle = use.handle;
        record.hubPort = (juce::uint8) device->spec.hubPort;
        record.hubId = (juce::uint8) device->spec.hubId;
        record.hubPortCount = (juce::uint8) device->spec.hubPortCount;
        record.inputCables = (juce::uint8) device->spec.inputCables;
        record.outputCables = (juce::uint8) device->spec.outputCables;
        record.inputCablesUsed = (juce::uint8) std::count_if (outputSlots.begin(), outputSlots.end(),
                                                              [&use] (const SlotUse& s) { return s.handle == use.handle; });
        record.outputCablesUsed = (juce::uint8) std::count_if (inputSlots.begin(), inputSlots.end(),
                                                               [&use] (const SlotUse& s) { return s.handle == use.handle; });
        record.cableIndex = (juce::uint8) use.cable;
        record.deviceInstance = (juce::uint8) device->instance;
        record.inputBufferSize = (juce::uint16) device->spec.inputBufferSize;
        record.outputBufferSize = (juce::uint16) device->spec.outputBufferSize;
        device->spec.name.substring (0, 16).copyToUTF8 (record.name, sizeof (record.name));
        record.vidPid = device->spec.vidPid;
    }

    return record;
}

const SimulatedProduct::AttachedDevice* SimulatedProduct::findDevice (int handle) const
{
    for (auto& device : attachedDevices)
        if (device.handle == handle)
            return &device;

    return nullptr;
}

juce::uint32 SimulatedProduct::getPortMask (juce::int32 vidPid) const
{
    for (auto& entry : settings.usbDevicePortMasks)
        if (entry.vidPid != -1 && entry.vidPid == vidPid)
            return entry.mask;

    return 0xFFFFFFFFu;
}

juce::Array<juce::MemoryBlock> SimulatedProduct::makeHostRecords() const
{
    juce::Array<juce::MemoryBlock> records;

    for (int index = 0; index < 2 * getNumHostPorts(); ++index)
        records.add (makeHostRecord (index));

    return records;
}

juce::Array<juce::MemoryBlock> SimulatedProduct::makeChangedHostRecords (const juce::Array<juce::MemoryBlock>& before,
                                                                         bool includeOccupied) const
{
    juce::Array<juce::MemoryBlock> records;

    for (int index = 0; index < 2 * getNumHostPorts(); ++index)
    {
        auto record = makeHostRecord (index);

        if (record != before[index] || (includeOccupied && record.getSize() > 17))
            records.add (record);
    }

    return records;
}

void SimulatedProduct::assignHostSlots (bool keepExistingSlots)
{
    const auto numHostPorts = getNumHostPorts();

    for (int direction = 0; direction < 2; ++direction)
    {
        const bool inputs = direction == 0;
        auto& slots = inputs ? inputSlots : outputSlots;

        // Host inputs carry the devices' output cables (mask bits 0-15), host outputs their input
        // cables (mask bits 16-31).
        auto cablesOf = [inputs] (const AttachedDevice& d) { return inputs ? d.spec.outputCables : d.spec.inputCables; };

        auto isEnabled = [&] (const AttachedDevice& d, int cable)
        {
            return cable < 16 && ((getPortMask (d.spec.vidPid) >> (inputs ? cable : 16 + cable)) & 1) != 0;
        };

        auto reservationOf = [&] (int slot) -> const PortReservation&
        {
            return settings.portReservations[direction * numHostPorts + slot];
        };

        auto isReserved = [&] (int slot)
        {
            auto& reservation = reservationOf (slot);
            return reservation.vidPid != -1 && (reservation.cable & 0xFF) != 0x7F;
        };

        auto fitsReservation = [&] (int slot, const AttachedDevice& d, int cable)
        {
            if (! isReserved (slot))
                return true;

            auto& reservation = reservationOf (slot);
            return reservation.vidPid == d.spec.vidPid
                && (reservation.cable & 0xFF) == cable
                && (! hostAtLeast (3, 4) || (reservation.cable >> 8) == d.instance);
        };

        juce::Array<SlotUse> assigned;
        assigned.insertMultiple (0, {}, numHostPorts);

        auto isAssigned = [&assigned] (int handle, int cable)
        {
            for (auto& use : assigned)
                if (use.handle == handle && use.cable == cable)
                    return true;

            return false;
        };

        auto isUsable = [&] (int slot, const AttachedDevice& d, int cable)
        {
            return cable < cablesOf (d) && isEnabled (d, cable) && fitsReservation (slot, d, cable)
                && ! isAssigned (d.handle, cable);
        };

        // 1. Devices keep the slots they have, as long as they may.
        if (keepExistingSlots)
            for (int slot = 0; slot < numHostPorts; ++slot)
                if (const auto* device = findDevice (slots[slot].handle))
                    if (isUsable (slot, *device, slots[slot].cable))
                        assigned.set (slot, slots[slot]);

        // 2. Reserved slots go to their device and cable.
        for (int slot = 0; slot < numHostPorts; ++slot)
        {
            if (assigned[slot].handle != -1 || ! isReserved (slot))
                continue;

            for (auto& device : attachedDevices)
            {
                const int cable = reservationOf (slot).cable & 0xFF;

                if (isUsable (slot, device, cable))
                {
                    assigned.set (slot, { device.handle, cable });
                    break;
                }
            }
        }

        // 3. Every other enabled cable takes the first free slot that nobody reserved.
        for (auto& device : attachedDevices)
        {
            for (int cable = 0; cable < cablesOf (device); ++cable)
            {
                if (! isEnabled (device, cable) || isAssigned (device.handle, cable))
                    continue;

                for (int slot = 0; slot < numHostPorts; ++slot)
                {
                    if (assigned[slot].handle == -1 && ! isReserved (slot))
                    {
                        assigned.set (slot, { device.handle, cable });
                        break;
                    }
                }
            }
        }

        slots = assigned;
    }
}

//==============================================================================
void SimulatedProduct::failProgrammingStep (int kind, int occurrence, juce::uint8 status)
{
    const juce::ScopedLock sl (lock);
    StepFailure failure;
    failure.kind = kind;
    failure.occurrence = occurrence;
    failure.status = status;
    stepFailures.add (failure);
}

void SimulatedProduct::clearProgrammingFailures()
{
    const juce::ScopedLock sl (lock);
    stepFailures.clear();
}

juce::MemoryBlock SimulatedProduct::readFlash (juce::uint32 address, int numBytes) const
{
    const juce::ScopedLock sl (lock);

    if (address >= (juce::uint32) flashSize || numBytes <= 0)
        return {};

    const auto available = juce::jmin ((juce::uint32) numBytes, (juce::uint32) flashSize - address);
    return { flash.get() + address, (size_t) available };
}

juce::uint32 SimulatedProduct::getFlashStart() const
{
    const juce::ScopedLock sl (lock);
    return flashRangeOfCore (upgradedCoreId).start;
}

juce::uint32 SimulatedProduct::getFlashEnd() const
{
    const juce::ScopedLock sl (lock);
    return flashRangeOfCore (upgradedCoreId).end;
}

//==============================================================================
int SimulatedProduct::getNumHostPorts() const  { return infoOf (config.productCode).hostPorts; }
int SimulatedProduct::getNumPorts() const      { return getNumHostPorts() + infoOf (config.productCode).localPorts; }
int SimulatedProduct::getNumPresets() const    { return infoOf (config.productCode).presets; }

int SimulatedProduct::getNumMappers() const
{
    if (config.productCode == productJorvek)
        return hostAtLeast (4, 5) ? 24 : 16;

    return config.productCode >= productLissar ? 24 : 16;
}

bool SimulatedProduct::hostAtLeast (int major, int minor) const
{
    return config.hostFirmware.tenths() >= major * 10 + minor;
}
