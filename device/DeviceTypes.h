#pragma once

#include <juce_core/juce_core.h>

/** Result of building a request or parsing a reply; shown to the user as "errorCode: %Xh". */
enum SysexResult
{
    SYSX_OK              = 0,
    SYSX_NOTHING_TO_SEND = 0x73,
    SYSX_REPLY_TIMEOUT   = 0x76,
    SYSX_FIRMWARE_ERROR  = 0x79,
    SYSX_BUILD_ERROR     = 0x7A,
    SYSX_OUT_OF_RANGE    = 0x7C,
    SYSX_END_MISSING     = 0x7D,
    SYSX_CHECKSUM_ERROR  = 0x7E,
    SYSX_UNKNOWN_KIND    = 0x7F
};

/** The low four bits of a request's type byte; replies add 0x40. */
enum RequestType
{
    SYSX_TYPE_COMMAND = 0,
    SYSX_TYPE_INFO    = 1,
    SYSX_TYPE_READ    = 2,
    SYSX_TYPE_WRITE   = 3,
    SYSX_TYPE_ICSP    = 4
};

/** Kinds of type 0 (commands). */
enum CommandKind
{
    SYSX_CMD_RESTART_BOOTLOADER = 1,
    SYSX_CMD_FACTORY_RESET      = 2,
    SYSX_CMD_END_OF_READ        = 6,
    SYSX_CMD_CLOSE_CONNECTION   = 7,
    SYSX_CMD_DESCRIPTOR_DUMP    = 8
};

/** Kinds of type 1 (information requests and replies). */
enum InfoKind
{
    SYSX_CMD_IDENTITY              = 0,
    SYSX_CMD_MODULE_INFO           = 1,
    SYSX_INFO_USB_HOST_DEVICE      = 2,
    SYSX_INFO_DEVICE_DESCRIPTOR    = 3,
    SYSX_INFO_CONFIG_DESCRIPTOR    = 4,
    SYSX_INFO_VENDOR_STRING        = 6,
    SYSX_INFO_PRODUCT_STRING       = 7,
    SYSX_INFO_TEXT                 = 8,
    SYSX_INFO_DEVICE_RESET         = 9,
    SYSX_INFO_USB_ERROR            = 10
};

/** Kinds of type 4 (firmware programming). */
enum IcspKind
{
    SYSX_CMD_ICSP_START          = 0,
    SYSX_CMD_ICSP_ERASE          = 1,
    SYSX_CMD_ICSP_SET_ADDRESS    = 3,
    SYSX_CMD_ICSP_WRITE          = 4,
    SYSX_CMD_ICSP_FINISH_SUCCESS = 6,
    SYSX_CMD_ICSP_FINISH_ERROR   = 7
};

/** The kind byte of reads and writes, and the index of the pending lists. */
enum SettingKind
{
    kindRouter          = 0,
    kindChannelFilter   = 1,
    kindMessageFilter   = 2,
    kindMapper          = 3,
    kindPresetSetting   = 4,
    kindTrsType         = 5,
    kindSync24          = 6,
    kindPresetName      = 7,
    kindUsbDevicePorts  = 8,
    kindPortReservation = 9,
    kindPowerDown       = 10,
    kindVelocityCurve   = 11,
    kindLfo             = 12,
    kindUsbProductName  = 13
};

/** Argument of every editor's enablement operation. */
enum EditorMode
{
    editorIdle   = 0,
    editorLocked = 1,
    editorBusy   = 2
};

/** Messages posted to the device object and handled on the message thread. */
enum AsyncMessageType
{
    infoAlert      = 0,
    replyReceived  = 1,
    statusText     = 2,
    deviceInfoText = 3,
    warningOnce    = 5,
    infoOnce       = 6
};

/** The connected product. */
enum ProductCodes
{
    productDorvin = 1, productCalder, productGavrel, productJorvek, productLissar, productNorrim,
    productDorvinDevice, productCalderDevice, productGavrelDevice, productJorvekDevice, productLissarDevice, productNorrimDevice,
    productUpgradeMode = 13,
    productNone = 255
};

/** One message mapper: six 32-bit words. */
struct MapperRecord
{
    juce::uint32 inVal1Val2 = 0, outVal1Val2 = 0, cfg1 = 0, cfg2 = 0, cfg3 = 0, cfg4 = 0;

    juce::uint32 getWord (int index) const;
    void setWord (int index, juce::uint32 value);
};

/** Enabled cables of one USB device: bits 0-15 its output cables, bits 16-31 its input cables. */
struct UsbDevicePortMask
{
    juce::int32 vidPid = 0;
    juce::uint32 mask = 0;
};

/** Reservation of one host slot: low byte cable 0-15 (127 none), high byte device instance. */
struct PortReservation
{
    juce::int32 vidPid = 0;
    juce::uint16 cable = 0;
};

/** The product's record of one host slot. */
struct UsbHostDevice
{
    juce::int32 deviceHandle = -1;
    juce::uint8 hubPort = 0xFF;
    juce::uint8 hubId = 0xFF;
    juce::uint8 hubPortCount = 0xFF;
    juce::uint8 inputCablesUsed = 0xFF;
    juce::uint8 outputCablesUsed = 0xFF;
    juce::uint8 inputCables = 0xFF;
    juce::uint8 outputCables = 0xFF;
    juce::uint8 cableIndex = 0xFF;
    juce::uint8 deviceInstance = 0xFF;
    juce::uint16 inputBufferSize = 0xFFFF;
    juce::uint16 outputBufferSize = 0xFFFF;
    char name[17] = {};
    juce::int32 vidPid = -1;

    /** Empties the record: no device, every field at its "none" value. */
    void clear();
    juce::String getName() const;
};

/** Kinds whose values are kept per preset: a write of one of them carries the value of one preset's row. */
inline bool isPerPresetKind (int kind)
{
    return kind == kindRouter || kind == kindChannelFilter || kind == kindMessageFilter || kind == kindMapper
        || kind == kindTrsType || kind == kindSync24 || kind == kindPowerDown;
}

/** Items waiting to be read or written, per SettingKind.

    Entry i of a list holds i while item i waits, 0xFF otherwise. Every mark
    also carries its direction: a read mark never overwrites a local edit, and a
    write mark is never turned back into a read.

    A write mark also carries the preset whose value it writes (per-preset kinds)
    and a generation that each new edit of the item raises, so that the
    acknowledgement of an earlier write does not clear a newer edit.
*/
class PendingRequests
{
public:
    static constexpr int numKinds = 17;
    static constexpr int numItems = 256;
    static constexpr int noPreset = 0xFF;

    PendingRequests();

    /** Marks item for reading, unless it already waits to be written. */
    void markForRead (int kind, int item);
    /** Marks item for writing the value it holds in that preset (a waiting read is replaced: the
        local edit is newer). The preset counts for the per-preset kinds only. */
    void markForWrite (int kind, int item, int preset);
    void clear (int kind, int item);
    void clearKind (int kind);
    void clearAll();

    bool isPending (int kind, int item) const;
    bool isWrite (int kind, int item) const;
    bool hasAny (int kind) const;
    /** True when some item of the kind waits to be read. */
    bool hasReads (int kind) const;
    /** The first waiting item of the kind (0xFF none). */
    int firstItem (int kind) const;
    /** The first waiting item of the kind in that direction (0xFF none). */
    int firstItem (int kind, bool write) const;
    /** SYSX_TYPE_WRITE when the kind's first waiting item is a write, SYSX_TYPE_READ otherwise. */
    int firstDirection (int kind) const;

    /** The preset a write mark of a per-preset kind writes (noPreset for anything else). */
    int getPreset (int kind, int item) const;
    /** The generation of a write mark (0 when the item waits for no write). */
    juce::uint32 getGeneration (int kind, int item) const;
    /** The lowest kind with a write mark (0xFF none): where a debounce flush starts. */
    int lowestWriteKind() const;
    /** True when some per-preset write mark writes that preset. */
    bool hasWritesForPreset (int preset) const;
    /** Drops the write marks of per-preset kinds that write another preset than keepPreset;
        returns the presets they were for (one bit per preset). */
    juce::uint32 dropWritesOfOtherPresets (int keepPreset);

    /** The raw list of a kind: entry i is i or 0xFF. */
    const juce::uint8* operator[] (int kind) const { return items[kind]; }

private:
    juce::uint8 items[numKinds][numItems];
    bool writes[numKinds][numItems];
    juce::uint8 presets[numKinds][numItems];
    juce::uint32 generations[numKinds][numItems];
    juce::uint32 lastGeneration = 0;
    int marked[numKinds], writesMarked[numKinds];   // how many items of each kind wait (to be written)
};

/** Packs a 32-bit value into 5 bytes (4, 7, 7, 7, 7 bits, lowest first). */
void packValue32 (juce::uint32 value, juce::uint8* dest);
/** Packs a 16-bit value into 3 bytes (2, 7, 7 bits, lowest first). */
void packValue16 (juce::uint16 value, juce::uint8* dest);
/** Reverses packValue32; adds the value bits of each byte to the 7-bit running sum. */
juce::uint32 unpackValue32 (const juce::uint8* src, juce::uint8& runningSum);
/** Reverses packValue16; adds the value bits of each byte to the 7-bit running sum. */
juce::uint16 unpackValue16 (const juce::uint8* src, juce::uint8& runningSum);
/** The value of a nibble pair: low four bits of the first byte, then of the second as the high bits. */
juce::uint8 nibblePair (const juce::uint8* src);
/** The 7-bit sum of bytes [from, to). */
juce::uint8 sysexChecksum (const juce::uint8* data, int from, int to);
