#pragma once

#include <juce_events/juce_events.h>
#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <functional>
#include <memory>

#include "device/DeviceTypes.h"
#include "device/DeviceUserInterface.h"
#include "device/DeviceEvents.h"
#include "device/MidiPortSystem.h"

class MainComponent;

/** A message posted to the device object and handled on the message thread. */
class AsyncMessage : public juce::Message
{
public:
    AsyncMessage (int messageType, const juce::String& messageText) : type (messageType), text (messageText) {}

    int type;
    juce::String text;
};

/** The one device object of the process.

    It holds the connection to the product, everything known about it and its
    whole settings image for all presets, which every editor reads and changes
    in place. It builds every request, takes every reply and runs the request
    chain, and programs firmware images.
*/
class MidiController : public juce::MessageListener,
                       public juce::Timer,
                       public juce::MidiInputCallback
{
public:
    static constexpr int numPresetRows = 16;
    static constexpr int numRouterRows = 36;
    static constexpr int numFilterEntries = 72;
    static constexpr int numMapperSlots = 24;
    static constexpr int numUsbHostRecords = 56;
    static constexpr int numUsedHostRecords = 48;
    static constexpr int numPortReservations = 48;
    static constexpr int numUsbDevicePortMasks = 16;
    static constexpr int numCurves = 4;
    static constexpr int numCurveWords = 32;
    static constexpr int replyRingSlots = 64;
    static constexpr int replyRingSlotSize = 4096;
    static constexpr int firmwareImageCapacity = 0x80000;
    static constexpr int identityRequestDelayMs = 500;

    //==============================================================================
    /** The process-wide instance; created by the first call. Null once it was
        deleted, and during its own construction. */
    static MidiController* getInstance();
    /** Deletes the instance under the singleton lock (the main component, at shut-down). */
    static void deleteInstance();

    ~MidiController() override;

    // juce::MessageListener: replies, status texts and alerts on the message thread
    void handleMessage (const juce::Message& message) override;

    // juce::Timer: the reply timeout
    void timerCallback() override;

    // juce::MidiInputCallback: forwards to receiveMidi
    void handleIncomingMidiMessage (juce::MidiInput* source, const juce::MidiMessage& message) override;

    /** Reply intake, on any thread: takes an accepted reply into the ring and announces it. */
    void receiveMidi (const juce::String& sourceIdentifier, const juce::MidiMessage& message);
    /** The input whose replies are accepted (a copy of inputIdentifier taken under the ring's lock). */
    void setAcceptedInput (const juce::String& identifier);

    //==============================================================================
    // Resets
    void resetDeviceState();
    void resetPresetNames();
    void resetEditorsToDefaults();
    void closeOutput();
    void closeInput();
    bool setUsbDevicePortMask (juce::int32 vidPid, juce::uint32 mask, bool allowNew);
    int countDeviceInstances (juce::int32 vidPid) const;

    //==============================================================================
    // Products and product tables
    int getNumUsbHostPorts() const;
    int getNumUsbVirtualPorts() const;
    int getNumLocalPorts() const;
    int getNumPresets() const;
    int getNumMappers() const;
    int getNumVelocityCurves() const;
    int getNumLfos() const;
    int getProductIdByte() const;
    int getDeviceCoreId() const;
    void setProductCode (int code);
    bool isDeviceCore() const;
    void switchToHostCore();
    int getWirelessModulePortOffset (int code, bool includeAbsent) const;
    int statusToMessageIndex (int status) const;
    int messageIndexToStatus (int index) const;
    static int getNumDataBytes (juce::uint8 status);
    static juce::String getStatusName (juce::uint8 status);
    static juce::String getStatusShortName (juce::uint8 status);
    /** Host firmware above 0.55: the product keeps settings the tool reads and writes. */
    bool hasSettingsFirmware() const;
    /** Product code neither 255 nor 13. */
    bool isProductKnown() const;

    /** The version number of "%1d.%1d": the text read as a number plus 0.005. */
    static float firmwareVersionFromDigits (int major, int minor);
    static juce::String firmwareTextFromDigits (int major, int minor);

    //==============================================================================
    // Requests
    int buildCommand (int type, juce::uint8 kind, const juce::uint32* values = nullptr, juce::uint8 count = 0);
    juce::uint32 decode32 (int position, juce::uint8& sum, int slot) const;
    juce::uint16 decode16 (int position, juce::uint8& sum, int slot) const;

    /** How many items of a kind the per-preset and product-wide tables hold. */
    static int getTableItemLimit (int kind);
    /** How many items of a kind the connected product has (may exceed the table on the largest products). */
    int getProductItemCount (int kind) const;

    /** Marks an item to be read; a waiting write of the same item stays a write. */
    void markForRead (int kind, int item)   { pendingRequests.markForRead (kind, item); }
    /** Marks an item to be written with the value it holds now; per-preset kinds write the
        current preset's value, and only while the product is on that preset. */
    void markForWrite (int kind, int item)  { pendingRequests.markForWrite (kind, item, currentPreset); }

    //==============================================================================
    // Reply intake and dispatch
    void postAsyncMessage (int type, const juce::String& text);
    /** Where postAsyncMessage sends its messages when set, instead of the message queue. The
        application never sets it; a run without a message loop (the reply fuzz target) keeps the
        messages itself and hands each to handleMessage. */
    std::function<void (std::unique_ptr<AsyncMessage>)> asyncMessageSink;
    /** Calls a function on the message thread once at least the delay has passed. */
    void callAfterDelay (int milliseconds, std::function<void()> function);
    /** Where callAfterDelay hands its calls when set, instead of the framework's timer; the
        application never sets it. The reply fuzz target makes each call itself at the end of
        an input, so that no timer of one input outlives it. */
    std::function<void (int, std::function<void()>)> delayedCallSink;
    void showAlert (const juce::String& text, bool warningOnce);

    //==============================================================================
    // Request chain
    void readAllSettings();
    /** Marks everything the product and firmware have for reading, as the first read does, and
        notes that a full read runs (its end sends the end-of-reading command). Sends nothing. */
    void markAllSettingsForRead();
    /** The one way to send marked work: unless a reply is awaited, builds the first sendable mark
        (of firstKind when it has one, else of the lowest kind) in its own direction and sends it.
        True when a request went out. The chain then goes on from each accepted reply. */
    bool sendPending (int firstKind = -1);
    /** What the last sendPending came to: SYSX_OK when it sent, the refusing build's result when a
        build failed, SYSX_NOTHING_TO_SEND when nothing could go out. */
    int getLastSendResult() const noexcept  { return lastSendResult; }
    /** True while a request is out whose reply has not arrived yet. */
    bool isAwaitingReply() const;
    /** True when the mark of this item may go out now: a read always, a write of a per-preset
        kind only while the preset it was made for is current, and a preset-setting write that
        selects another preset only once the current preset's writes are out. */
    bool isSendable (int kind, int item) const;
    /** The tool chooses another preset. The product is switched to it once the waiting writes of
        the current preset went out; the preset becomes current when that switch goes out, and
        everything is read again after it. */
    void switchPreset (int preset);
    juce::uint8 completePendingRequest (juce::uint8 type, juce::uint8 kind, juce::uint8 item);
    /** The first kind with a mark that may go out now (255 none, and always while programming or
        while only a bootloader answers). */
    juce::uint8 getFirstPendingKind() const;
    void sendCommand (float timeoutSeconds);
    void handleReplyTimeout();
    void writePresetSetting();
    void writeTrsTypes();
    void writeSync24();
    void writePowerDown();

    //==============================================================================
    // Port names
    juce::String getPortName (int index, const juce::String& direction, juce::String* tooltip,
                              bool includeAbsentWireless, bool shortNames, bool markNotInstalled,
                              bool appendCable, bool appendInstance, bool useCustomName);

    //==============================================================================
    // Firmware programming
    void continueFirmwareUpgrade();
    int fillFirmwareBlock (juce::uint32 address, juce::uint32* words);
    /** True while a firmware image is being programmed (a programming step is out or under way). */
    bool isProgrammingFirmware() const;
    /** A loaded image that fits the connected core's programmable range. */
    bool hasProgrammableImage() const;

    /** The user's "upgrade anyway" answer for an image that carries another core's id. It is
        given for one core (its request id byte) of one product (its serial) and honoured only
        for those; losing the product clears it. */
    struct ImageAcceptance
    {
        int coreId = -1;
        juce::String serial;

        bool isGivenFor (int id, const juce::String& serialText) const noexcept
        {
            return coreId >= 0 && coreId == id && serial == serialText;
        }
    };

    /** The loaded image may go into the connected core: it carries that core's id, or the user
        accepted it anyway for this very core of this very product. */
    bool imageFitsConnectedCore() const;
    /** Programming has ended (its result was reported, or the product was lost): a step still
        waiting to be sent is dropped. */
    void endFirmwareProgramming();

    ImageAcceptance firmwareImageAcceptance;
    /** Set when programming starts, before its first request goes out; cleared when it ends. */
    bool programmingRuns = false;

    //==============================================================================
    // Connection
    int openInput (const juce::String& identifier);
    int openOutput (const juce::String& identifier);
    int closeConnection();
    void requestIdentity();
    /** Sends the identity request again after the delay, so that the newly addressed core answers. */
    void requestIdentityLater();

    //==============================================================================
    // Reply parser
    int parseDeviceReply (int slot, juce::uint8& nextType, juce::uint8& nextKind);
    int parseInfoReply (int slot);
    int handleIdentityReply (int slot);
    /** The connection road after an accepted identity reply. */
    void handleIdentityAnswer (int slot);
    void postDeviceInfo();
    /** The information line up to "Serial: ": name, device firmware, the host firmware when wanted, beta marks. */
    juce::String deviceInfoHeading (const juce::String& name, bool withHostLine, const juce::String& hostVersion) const;
    void clearHostDevice (int index);
    bool hasUnusedVirtualCables() const;
    bool mayReorderOnBoot() const;

    /** The received length of the reply in a ring slot (0 when the slot number is out of range). */
    int getReplyLength (int slot) const;
    /** The bytes of a ring slot (null when the slot number is out of range). */
    const juce::uint8* getReplySlot (int slot) const;

    //==============================================================================
    // Fields, in the order of the device model.
    juce::int32 waitingForReply = 0;

    /** The request that is out and the reply that answers it: same type, the same kind where the
        type has one, the same item for reads and writes. answered is set once that reply arrived. */
    struct AwaitedReply
    {
        int type = -1, kind = -1, item = -1;
        juce::uint32 generation = 0;
        bool answered = true;
    };
    AwaitedReply awaitedReply;

    /** Set by a full read, cleared when its chain ends: that end sends the end-of-reading command. */
    bool fullReadRunning = false;
    /** Scales every reply timeout: 1 in the application; tests shorten the waits with it. */
    float replyTimeoutScale = 1.0f;
    /** Scales the pauses of the device object's own roads (the identity request after a switch of
        core, the waits before the programming start and erase): 1 in the application; tests
        shorten them. */
    float pauseScale = 1.0f;
    /** A pause of the device object's roads, scaled (at least 1 ms). */
    int scaledPauseMs (int milliseconds) const noexcept  { return juce::jmax (1, juce::roundToInt ((float) milliseconds * pauseScale)); }

    /** The application's hub. The device code keeps it for the other parts of the application
        and never uses it itself: it talks outward only through userInterface and events. */
    MainComponent* mainComponent = nullptr;
    DeviceUserInterface* userInterface = nullptr;
    DeviceEvents* events = nullptr;
    float baseContentHeight = 600.0f;
    float baseContentWidth = 800.0f;
    juce::uint32 serialWords[3] = {};
    juce::String serialText;
    juce::uint8 firmwareImage[firmwareImageCapacity];
    juce::uint32 firmwareImageSize = 0;
    /** The product id the loaded image carries (255: none). */
    juce::uint8 firmwareImageProductId = 255;
    juce::int32 replyRingWriteIndex = 0;
    juce::int32 upgradeStep = 0;
    juce::int32 productCode = productNone;
    juce::int32 deviceMode = 255;
    juce::int32 wirelessModule = 0;
    juce::uint8 deviceFirmwareBeta = 0;
    juce::uint8 upgradeInProgress = 0;
    juce::uint8 readCompleteSent = 0;
    juce::uint8 manualConnect = 0;
    juce::uint8 presetModified[numPresetRows] = {};
    juce::uint8 userCurvesRead = 0;
    juce::uint32 presetSetting = 0x4300;
    juce::uint32 userCurves[numCurves][numCurveWords] = {};
    juce::int32 powerDown[numPresetRows] = {};
    juce::int32 trsType[numPresetRows] = {};
    juce::int32 sync24[numPresetRows] = {};
    juce::uint32 routerMasks[numPresetRows][numRouterRows] = {};
    juce::uint16 filterChannels[numPresetRows][numFilterEntries] = {};
    juce::uint32 filterStatus[numPresetRows][numFilterEntries] = {};
    MapperRecord mapperRecords[numPresetRows][numMapperSlots];
    juce::uint32 presetNames[numPresetRows][4] = {};
    UsbDevicePortMask usbDevicePortMasks[numUsbDevicePortMasks];
    PortReservation portReservations[numPortReservations];
    juce::uint32 usbProductName[6] = {};
    float hostFirmwareVersion = 0.0f;
    juce::String hostFirmwareText;
    juce::String inputIdentifier, outputIdentifier;
    juce::String productName;
    juce::uint8 descriptorDumpActive = 0;
    juce::Array<juce::int32> reportedDevices;
    juce::uint8 reportScheduled = 0;
    juce::uint8 hostFirmwareBeta = 0;
    juce::String deviceFirmwareText;
    float deviceFirmwareVersion = 0.0f;
    UsbHostDevice usbHostDevices[numUsbHostRecords];
    PendingRequests pendingRequests;
    juce::uint32 flashSpan = 0, flashStart = 0, flashEnd = 0;
    std::unique_ptr<MidiPortSystem::Output> midiOutput;
    /** The preset the product is on: reads are stored in its rows and per-preset writes go out
        only for it. A preset the user chooses becomes current when the request selecting it goes out. */
    juce::uint8 currentPreset = 0;
    juce::uint8 presetChanged = 0;
    const juce::uint8 messageStatusTable[7] = { 0x90, 0x80, 0xB0, 0xC0, 0xE0, 0xD0, 0xA0 };
    juce::CriticalSection replyRingLock;
    std::unique_ptr<MidiPortSystem::Input> midiInput;
    juce::MidiMessage preparedRequest;
    juce::uint8 warningShown = 0, infoShown = 0;
    juce::uint8 replyRing[replyRingSlots][replyRingSlotSize];
    juce::uint32 programAddress = 0;

private:
    MidiController();

    /** A look at the hub, and the end of a descriptor dump, are scheduled once at a time. */
    bool hubNoticeScheduled = false, dumpEndScheduled = false;
    int lastSendResult = SYSX_NOTHING_TO_SEND;
    /** The pause before a programming request. There is one at a time: a new pause replaces the
        one waiting and the end of programming drops it, so no pause outlives its programming and
        none piles up. */
    class ProgrammingPause : private juce::Timer
    {
    public:
        explicit ProgrammingPause (MidiController& owner) : device (owner) {}
        ~ProgrammingPause() override { stopTimer(); }

        /** After the pause, sends the request of this kind while programming is still at this step. */
        void start (int pauseMs, int programmingStep, juce::uint8 requestKind, float requestTimeoutSeconds);
        void cancel() { stopTimer(); }

    private:
        void timerCallback() override;

        MidiController& device;
        int step = 0;
        juce::uint8 kind = 0;
        float timeoutSeconds = 0.0f;
    };

    ProgrammingPause programmingPause { *this };
    /** Sends a programming request after a pause, without blocking the message thread. */
    void sendProgrammingRequestAfter (int delayMs, juce::uint8 kind, float timeoutSeconds);
    /** Received length of each ring slot, guarded by replyRingLock. */
    int replyRingLengths[replyRingSlots] = {};
    /** Copy of inputIdentifier taken under replyRingLock when the input opens; the MIDI thread compares against it. */
    juce::String acceptedInputIdentifier;

    void handleReplyMessage (int slot);
    /** True when the reply answers the request that is out. */
    bool answersAwaitedRequest (const juce::uint8* reply, int length) const;
    /** Drops the waiting writes that can't reach their preset any more; says so on the status line. */
    void dropWritesOfOtherPresets (int keepPreset);
    /** Clears the mark an accepted reply answered (a write only in the generation that went out). */
    void clearAnsweredMark (int type, int kind, int item);
    int findSendableKind (int firstKind) const;
    void showAlertMessage (int type, const juce::String& text);
    int findPendingItem (int type, int kind);
    /** The longest request body: a programming write's count byte and 127 words of 5 bytes. */
    static constexpr size_t maxRequestBodySize = 1 + 127 * 5;
    void appendPacked32 (juce::MemoryOutputStream& block, juce::uint32 value) const;
    void appendItemValues (juce::MemoryOutputStream& block, int kind, int item) const;
    bool isRequestGatePassed (int kind) const;
    void finishChain();

    int parseCommandAck (const juce::uint8* reply, int length);
    int parsePresetSettingReply (int slot, juce::uint8& nextType, juce::uint8& nextKind);
    int getSettingReplyLength (int kind) const;
    int checkSettingItem (int kind, int count, int item) const;
    int parseReadReply (const juce::uint8* reply, int length, int slot, juce::uint8& nextType, juce::uint8& nextKind);
    int parseWriteAck (const juce::uint8* reply, int length, juce::uint8& nextType, juce::uint8& nextKind);
    int parseProgrammingAck (const juce::uint8* reply, int length);
    int parseHostDeviceRecord (int slot, const juce::uint8* reply, int length);
    int parseDescriptorReply (const juce::uint8* reply, int length);

    /** Completes an answered item; true with the next request to send when one waits. */
    bool continueChain (int type, int kind, int item, juce::uint8& nextType, juce::uint8& nextKind);
    void storeReadValue (int kind, int item, int slot);

    static juce::CriticalSection& getSingletonLock();
    static std::atomic<MidiController*> instance;
    static bool instanceWasDeleted;
    static bool creatingInstance;

    JUCE_DECLARE_WEAK_REFERENCEABLE (MidiController)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiController)
};
