#include "DeviceTestSupport.h"
#include "MessagePump.h"

void resetDeviceForTest (MidiController& d)
{
    d.stopTimer();
    d.closeInput();
    d.closeOutput();
    d.mainComponent = nullptr;
    d.userInterface = nullptr;
    d.setProductCode (productNone);
    d.resetDeviceState();
    d.endFirmwareProgramming();
    d.upgradeInProgress = 0;
    d.replyTimeoutScale = 1.0f;
    d.pauseScale = 1.0f;
    d.manualConnect = 0;
    d.presetChanged = 0;
    d.deviceFirmwareBeta = 0;
    d.hostFirmwareBeta = 0;
    d.inputIdentifier.clear();
    d.outputIdentifier.clear();
    d.setAcceptedInput ({});
    d.firmwareImageSize = 0;
    d.firmwareImageProductId = 255;
    d.firmwareImageAcceptance = {};
    d.warningShown = 0;
    d.infoShown = 0;
    std::fill (std::begin (d.firmwareImage), std::end (d.firmwareImage), (juce::uint8) 0xFF);

    for (int p = 0; p < MidiController::numPresetRows; ++p)
    {
        for (auto& row : d.routerMasks[p])      row = 0;
        for (auto& entry : d.filterChannels[p]) entry = 0;
        for (auto& entry : d.filterStatus[p])   entry = 0;
        for (auto& mapper : d.mapperRecords[p]) mapper = MapperRecord();
        for (auto& word : d.presetNames[p])     word = 0;
        d.trsType[p] = d.sync24[p] = d.powerDown[p] = 0;
    }

    for (auto& entry : d.usbDevicePortMasks) entry = { -1, 0xFFFFFFFFu };
    for (auto& entry : d.portReservations)   entry = { -1, 0x007F };
    for (auto& curve : d.userCurves)         for (auto& w : curve) w = 0;
    for (auto& w : d.usbProductName)         w = 0;
}

void DeviceFixture::SetUp()
{
    // Drop whatever an earlier test left queued (replies, status texts, delayed calls).
    pump (20);
    ASSERT_NE (MidiController::getInstance(), nullptr) << "the device object was deleted by an earlier test in this process";
    resetDeviceForTest (device());
    device().userInterface = &ui;
}

void DeviceFixture::TearDown()
{
    // A test that built a main component has seen the device object deleted with it.
    if (auto* d = MidiController::getInstance())
        resetDeviceForTest (*d);

    pump (20);
}

void DeviceFixture::connectProduct (int code, float hostFirmware, float deviceFirmware)
{
    device().setProductCode (code);
    device().deviceMode = 1;
    device().hostFirmwareVersion = hostFirmware;
    device().hostFirmwareText = juce::String (hostFirmware, 1);
    device().deviceFirmwareVersion = deviceFirmware;
    device().deviceFirmwareText = juce::String (deviceFirmware, 1);
    device().serialText = "000000010000000200000003";
}

bool DeviceFixture::pumpUntil (std::function<bool()> predicate, int timeoutMs)
{
    return MessagePump::runUntil (predicate, timeoutMs);
}

void DeviceFixture::pump (int milliseconds)
{
    MessagePump::runFor (milliseconds);
}

juce::String hexBytes (const juce::uint8* data, int size)
{
    juce::StringArray parts;

    for (int i = 0; i < size; ++i)
        parts.add (juce::String::toHexString ((int) data[i]).paddedLeft ('0', 2).toUpperCase());

    return parts.joinIntoString (" ");
}

juce::String hexBytes (const juce::MidiMessage& message)
{
    return hexBytes (message.getRawData(), message.getRawDataSize());
}

std::vector<juce::uint8> packed32 (juce::uint32 value)
{
    std::vector<juce::uint8> bytes (5);
    packValue32 (value, bytes.data());
    return bytes;
}

std::vector<juce::uint8> packed16 (juce::uint16 value)
{
    std::vector<juce::uint8> bytes (3);
    packValue16 (value, bytes.data());
    return bytes;
}

juce::MidiMessage makeReplyFromBytes (int idByte, int type, int kind, const std::vector<juce::uint8>& body, bool goodChecksum)
{
    std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) idByte, (juce::uint8) (0x40 | type), (juce::uint8) kind };
    bytes.insert (bytes.end(), body.begin(), body.end());
    auto checksum = sysexChecksum (bytes.data(), 6, (int) bytes.size());
    bytes.push_back (goodChecksum ? checksum : (juce::uint8) ((checksum + 1) & 0x7F));
    bytes.push_back (0xF7);
    return juce::MidiMessage (bytes.data(), (int) bytes.size());
}

juce::MidiMessage makeReply (int idByte, int type, int kind, std::initializer_list<int> body, bool goodChecksum)
{
    std::vector<juce::uint8> bytes;
    for (auto b : body)
        bytes.push_back ((juce::uint8) b);
    return makeReplyFromBytes (idByte, type, kind, bytes, goodChecksum);
}

void WiredDeviceFixture::SetUp()
{
    DeviceFixture::SetUp();
    device().midiOutput = std::make_unique<RecordingOutput> (sent);
    device().setAcceptedInput (inputId);
}

void WiredDeviceFixture::deliver (const juce::MidiMessage& reply)
{
    const auto* bytes = reply.getRawData();

    if (reply.getRawDataSize() >= 10)
    {
        auto& awaited = device().awaitedReply;
        awaited.type = bytes[6] & 0x0F;
        awaited.kind = bytes[7];
        awaited.item = (awaited.type == SYSX_TYPE_READ || awaited.type == SYSX_TYPE_WRITE) ? bytes[9] : -1;
        awaited.generation = device().pendingRequests.getGeneration (awaited.kind, awaited.item);
        awaited.answered = false;
        device().waitingForReply = 1;
    }

    deliverUnsolicited (reply);
}

void WiredDeviceFixture::deliverUnsolicited (const juce::MidiMessage& message)
{
    device().receiveMidi (inputId, message);
    pump (5);
}

juce::StringArray WiredDeviceFixture::sentHex() const
{
    juce::StringArray result;
    for (auto& m : *sent)
        result.add (hexBytes (m));
    return result;
}
