#pragma once

#include <juce_core/juce_core.h>

#include "device/DeviceTypes.h"

#include <functional>

/** A stand-in for one of the six products, as its firmware answers the
    system-exclusive protocol.

    It keeps its own settings store, the USB devices attached to its host ports
    and, while its bootloader runs, a flash buffer. It is synchronous: a request
    goes in, the replies come out. SimulatedProductRunner puts it on a thread and
    behind MIDI ports.

    Every public member may be called from any thread: calls are serialised by an
    internal lock.
*/
class SimulatedProduct
{
public:
    /** A firmware version as the identity reply carries it: two digits 0..9. */
    struct FirmwareVersion
    {
        int major, minor;

        /** The version in tenths (4.6 -> 46), the unit every firmware gate uses. */
        int tenths() const noexcept { return major * 10 + minor; }
        bool isSet() const noexcept { return major != 0 || minor != 0; }
    };

    struct Config
    {
        /** 1 Dorvin, 2 Calder, 3 Gavrel, 4 Jorvek, 5 Lissar, 6 Norrim. */
        int productCode = productJorvek;
        bool startInBootloader = false;

        FirmwareVersion hostFirmware { 4, 6 };
        FirmwareVersion deviceFirmware { 7, 1 };
        FirmwareVersion bootloaderFirmware { 1, 2 };

        juce::uint32 serial[3] = { 0x00A1B2C3, 0x44556677, 0x8899AABB };

        /** The module value of the module reply (Dorvin only; 0 = no wireless module). */
        int wirelessModule = 0;

        /** Processor id of the bootloader's identity reply: -1 gives the id of the core
            being upgraded; any other value (0xFF included) is sent as it is. */
        int bootloaderProcessorId = -1;

        /** Port names; empty gives "<model> MIDI 1" and, in the bootloader, "<model> Pellion Upg".
            An empty output name takes the input name. */
        juce::String inputPortName, outputPortName, bootloaderPortName;

        /** Time between the restart command (or the replug after programming) and the new ports. */
        int reenumerationDelayMs = 300;

        /** What the descriptor dump reports; empty descriptors give those of a small USB MIDI keyboard. */
        juce::MemoryBlock deviceDescriptor, configDescriptor;
        juce::String vendorString { "Kelmora" }, productString { "Test Keys 49" }, infoText { "Enumeration OK" };
    };

    /** Misbehaviour switches for the answers to requests. Apart from silent, they spoil only
        the answer itself: host records and dump pieces that follow it, and unsolicited
        messages, stay intact. */
    struct Faults
    {
        bool silent = false;            ///< answer nothing
        bool corruptChecksum = false;   ///< every answer carries a wrong checksum
        bool truncateReplies = false;   ///< every answer loses its checksum byte (F7 follows the payload)
        bool answerOutOfRange = false;  ///< items beyond the product's range are answered too (reads give zeros, writes are not stored)
        bool wrongKind = false;         ///< every answer carries the next kind number
        int dropEveryNthAnswer = 0;     ///< every n-th answer is lost on its way (the request is still carried out; 0 never)
        int repeatEveryNthAnswer = 0;   ///< every n-th answer arrives twice (0 never)
    };

    /** A settings write the product carried out, with the preset it was on. */
    struct AppliedWrite
    {
        int preset = 0, kind = 0, item = 0;
        juce::Array<juce::uint32> values;
    };

    /** A USB MIDI device to attach to a host port. */
    struct UsbDeviceSpec
    {
        juce::int32 vidPid = 0x12345678;
        juce::String name { "USB Keys" };
        int inputCables = 1, outputCables = 1;
        int hubId = 0xFF, hubPort = 0xFF, hubPortCount = 0xFF;
        int inputBufferSize = 64, outputBufferSize = 64;
    };

    /** The product's settings, for all presets. Per-preset tables have 16 rows; the
        product uses as many as it has presets. Port tables hold the largest product's ports. */
    struct Settings
    {
        static constexpr int numPresetRows = 16;
        static constexpr int maxPorts = 44;
        static constexpr int maxFilterEntries = 2 * maxPorts;
        static constexpr int numMappers = 24;
        static constexpr int numPortMasks = 16;
        static constexpr int numReservations = 48;
        static constexpr int numCurves = 4;
        static constexpr int numCurveWords = 32;

        juce::uint32 routerMasks[numPresetRows][maxPorts] = {};
        juce::uint16 filterChannels[numPresetRows][maxFilterEntries] = {};
        juce::uint32 filterStatus[numPresetRows][maxFilterEntries] = {};
        MapperRecord mappers[numPresetRows][numMappers];
        juce::uint32 trsType[numPresetRows] = {};
        juce::uint32 sync24[numPresetRows] = {};
        juce::uint32 powerDown[numPresetRows] = {};

        juce::uint32 presetSetting = 0x4300;
        juce::uint32 presetNames[numPresetRows][4] = {};
        juce::uint32 userCurves[numCurves][numCurveWords] = {};
        UsbDevicePortMask usbDevicePortMasks[numPortMasks];
        PortReservation portReservations[numReservations];
        juce::uint32 usbProductName[6] = {};
    };

    static constexpr juce::uint8 statusAddressOutOfRange = 0x21;
    static constexpr int flashSize = 0x80000;

    explicit SimulatedProduct (const Config& config);

    //==============================================================================
    /** Takes one request (F0 .. F7) and returns the product's answers, in order. An
        invalid request, or one the product does not answer, gives none. */
    juce::Array<juce::MemoryBlock> handleRequest (const juce::MemoryBlock& request);

    /** True once after a restart command: the product now runs its bootloader and
        must re-enumerate. */
    bool takeReenumerationRequest();

    /** Leaves the bootloader and runs the application again; a set version becomes the
        firmware of the core that was being upgraded. */
    void leaveBootloader (FirmwareVersion newVersion = {});

    /** The product gets power again after it was unplugged. It starts its application when the
        flash holds a whole image, and its bootloader when it does not (an erase or a programming
        that never finished) or when it is held in the bootloader while plugged in. */
    void powerUp (bool holdInBootloader = false);

    /** True while the flash holds a whole image: until an erase, and again once programming
        finished. A product that starts in its bootloader has none. */
    bool flashHoldsImage() const;

    //==============================================================================
    Config getConfig() const;
    void setFaults (const Faults&);
    Faults getFaults() const;

    bool isBootloaderRunning() const;
    int getProductCode() const;
    int getHostId() const;
    int getDeviceCoreId() const;
    /** The id of the core the bootloader programs (the host id when it started in the bootloader). */
    int getUpgradedCoreId() const;
    FirmwareVersion getHostFirmware() const;
    FirmwareVersion getDeviceFirmware() const;

    /** The port names the product presents now (application or bootloader). */
    juce::String getInputPortName() const;
    juce::String getOutputPortName() const;

    //==============================================================================
    Settings getSettings() const;
    void setSettings (const Settings&);
    /** The store as a factory reset leaves it. */
    Settings getDefaultSettings() const;
    int getCurrentPreset() const;

    /** The preset is changed on the product itself: the next preset-setting read reports it. */
    void changePresetOnProduct (int preset);

    /** Every settings write carried out so far, in order. */
    juce::Array<AppliedWrite> getAppliedWrites() const;
    void clearAppliedWrites();
    /** Told of every settings write as it is carried out (on the product's thread). */
    std::function<void (const AppliedWrite&)> onWriteApplied;

    /** A write as one line of text: "preset P kind K item I: 0x0000ABCD ..." */
    static juce::String describe (const AppliedWrite& write);
    /** Reads a line of that form back; false when the line has another form. */
    static bool parseWrite (const juce::String& line, AppliedWrite& write);
    /** Stores a write's values as if it had been carried out on its preset, without noting it among
        the applied writes: a setup the product holds before the tool reads it. */
    void storeWrite (const AppliedWrite& write);

    //==============================================================================
    /** Attaches a device; returns the host-port records of the slots that changed.
        deviceHandle, when given, receives the device's handle. */
    juce::Array<juce::MemoryBlock> attachUsbDevice (const UsbDeviceSpec&, int* deviceHandle = nullptr);
    /** Detaches a device; returns the host-port records of the slots that changed. */
    juce::Array<juce::MemoryBlock> detachUsbDevice (int deviceHandle);
    /** The current record of a host slot (0 .. 2A-1). */
    UsbHostDevice getHostRecord (int index) const;

    juce::MemoryBlock makeDeviceResetNotice() const;
    juce::MemoryBlock makeUsbError (int code) const;

    //==============================================================================
    /** Makes the n-th (from 1; 0 = every) later programming request of this kind fail
        with this status byte, without performing it. */
    void failProgrammingStep (int kind, int occurrence, juce::uint8 status);
    void clearProgrammingFailures();

    /** Bytes of the flash buffer at absolute flash addresses. */
    juce::MemoryBlock readFlash (juce::uint32 address, int numBytes) const;
    /** The programmable range of the core being upgraded (end 0: none). */
    juce::uint32 getFlashStart() const;
    juce::uint32 getFlashEnd() const;

private:
    struct AttachedDevice
    {
        int handle = 0;
        int instance = 0;
        UsbDeviceSpec spec;
    };

    struct SlotUse
    {
        int handle = -1;
        int cable = 0;
    };

    struct StepFailure
    {
        int kind = 0, occurrence = 0, seen = 0;
        juce::uint8 status = 0;
    };

    struct Request;

    juce::Array<juce::MemoryBlock> handleApplicationRequest (const Request&);
    juce::Array<juce::MemoryBlock> handleBootloaderRequest (const Request&);
    juce::Array<juce::MemoryBlock> handleCommand (const Request&);
    juce::Array<juce::MemoryBlock> handleRead (const Request&);
    juce::Array<juce::MemoryBlock> handleWrite (const Request&);
    juce::MemoryBlock handleProgramming (const Request&);

    bool isAddressedToMe (int idByte) const;
    int expectedLength (const juce::uint8* bytes, int size) const;
    juce::Array<int> fieldWidths (int kind) const;
    bool hasKind (int kind) const;
    int itemCount (int kind) const;
    juce::Array<juce::uint32> readItem (int kind, int item);
    void writeItem (int kind, int item, const juce::Array<juce::uint32>& values);
    void applyFaults (juce::Array<juce::MemoryBlock>& replies);

    juce::MemoryBlock makeIdentityReply (int idByte) const;
    juce::MemoryBlock makeHostRecord (int index) const;
    juce::Array<juce::MemoryBlock> makeDescriptorDump() const;

    int getNumHostPorts() const;
    int getNumPorts() const;
    int getNumPresets() const;
    int getNumMappers() const;
    bool hostAtLeast (int major, int minor) const;
    juce::uint32 getPortMask (juce::int32 vidPid) const;
    const AttachedDevice* findDevice (int handle) const;
    /** Gives the devices' enabled cables their host slots, honouring the reservations. */
    void assignHostSlots (bool keepExistingSlots);
    juce::Array<juce::MemoryBlock> makeHostRecords() const;
    /** The records that differ from before; with includeOccupied also every occupied one. */
    juce::Array<juce::MemoryBlock> makeChangedHostRecords (const juce::Array<juce::MemoryBlock>& before, bool includeOccupied) const;
    void resetSettings();

    juce::CriticalSection lock;
    Config config;
    Faults faults;
    Settings settings;

    int currentPreset = 0;
    bool presetChangedOnProduct = false;
    int answersGiven = 0;
    juce::Array<AppliedWrite> appliedWrites;

    bool bootloaderRunning = false;
    bool reenumerationRequested = false;
    bool imageInFlash = true;
    int upgradedCoreId = 0;

    juce::Array<AttachedDevice> attachedDevices;
    int nextDeviceHandle = 1;
    juce::Array<SlotUse> inputSlots, outputSlots;

    juce::HeapBlock<juce::uint8> flash;
    juce::uint32 programAddress = 0;
    juce::Array<StepFailure> stepFailures;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SimulatedProduct)
};
