#pragma once

#include <gtest/gtest.h>
#include "device/MidiController.h"

/** Records everything the device object shows the user. */
class RecordingUserInterface : public DeviceUserInterface
{
public:
    struct Alert { bool warning; juce::String text; std::function<void()> onClosed; };

    void setStatusText (const juce::String& text) override      { statusTexts.add (text); }
    void setInfoText (const juce::String& text) override        { infoTexts.add (text); }
    void showDeviceAlert (bool warning, const juce::String& text, std::function<void()> onClosed) override
    {
        alerts.push_back ({ warning, text, std::move (onClosed) });
    }
    void reportSettingsError (int code) override                { settingsErrors.add (code); }
    void reportUpgradeResult (int code) override                { upgradeResults.add (code); }
    void setEditorsEnabled (bool enabled) override              { editorsEnabled.add (enabled); }
    void setFactoryResetEnabled (bool enabled) override         { factoryResetEnabled.add (enabled); }
    juce::String getDeviceProperty (const juce::String& serial, const juce::String& name) override
    {
        return properties[serial + "::" + name];
    }
    void startFileDownload (int productCode, const juce::String& address, int mode) override
    {
        downloads.add ({ productCode, mode });
        juce::ignoreUnused (address);
    }
    juce::String getCatalogueAddress() override                 { return "http://127.0.0.1:9/catalogue"; }
    bool isUpgradeRequested() override                          { return upgradeRequested; }
    void setUpgradeRequested (bool requested) override          { upgradeRequested = requested; }
    void startFirmwareUpgrade() override                        { ++firmwareUpgradeStarts; }
    void startDeviceReport() override                           { ++deviceReportStarts; }

    juce::String lastStatus() const { return statusTexts.isEmpty() ? juce::String() : statusTexts[statusTexts.size() - 1]; }
    juce::String lastInfo() const   { return infoTexts.isEmpty() ? juce::String() : infoTexts[infoTexts.size() - 1]; }

    juce::StringArray statusTexts, infoTexts;
    std::vector<Alert> alerts;
    juce::Array<int> settingsErrors, upgradeResults;
    juce::Array<bool> editorsEnabled, factoryResetEnabled;
    juce::Array<std::pair<int, int>> downloads;
    std::map<juce::String, juce::String> properties;
    bool upgradeRequested = false;
    int firmwareUpgradeStarts = 0;
    int deviceReportStarts = 0;
};

/** Gives each test the device object in its just-constructed state, with a recorder as its user
    interface, and leaves it that way afterwards. */
class DeviceFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    /** Identifies a product as the identity reply would (application answering, host core). */
    void connectProduct (int code, float hostFirmware, float deviceFirmware = 7.105f);

    /** Pumps the message loop until the predicate holds or the time is up; returns the predicate. */
    static bool pumpUntil (std::function<bool()> predicate, int timeoutMs);
    static void pump (int milliseconds);

    MidiController& device() { return *MidiController::getInstance(); }

    RecordingUserInterface ui;
};

/** The bytes of a message, as "F0 00 4B ..." for readable failures. */
juce::String hexBytes (const juce::MidiMessage& message);
juce::String hexBytes (const juce::uint8* data, int size);
/** Puts the device object back into its just-constructed state (tables cleared, no ports, no product). */
void resetDeviceForTest (MidiController& device);

/** A reply as the product sends it: header with the reply type, body, checksum, F7. */
juce::MidiMessage makeReply (int idByte, int type, int kind, std::initializer_list<int> body, bool goodChecksum = true);
juce::MidiMessage makeReplyFromBytes (int idByte, int type, int kind, const std::vector<juce::uint8>& body, bool goodChecksum = true);
std::vector<juce::uint8> packed32 (juce::uint32 value);
std::vector<juce::uint8> packed16 (juce::uint16 value);

/** An output that keeps what the device object sends. */
class RecordingOutput : public MidiPortSystem::Output
{
public:
    explicit RecordingOutput (std::shared_ptr<juce::Array<juce::MidiMessage>> log) : sent (std::move (log)) {}
    void sendMessageNow (const juce::MidiMessage& message) override { sent->add (message); }

    std::shared_ptr<juce::Array<juce::MidiMessage>> sent;
};

/** A device fixture whose output records, and whose replies are delivered straight into the intake. */
class WiredDeviceFixture : public DeviceFixture
{
protected:
    void SetUp() override;

    /** Delivers a reply through the intake, as the answer to the request it answers, and lets the
        message thread handle it. */
    void deliver (const juce::MidiMessage& reply);
    /** Delivers a message through the intake while no request waits for it. */
    void deliverUnsolicited (const juce::MidiMessage& message);
    juce::StringArray sentHex() const;
    juce::String lastSentHex() const { return sent->isEmpty() ? juce::String() : hexBytes (sent->getLast()); }

    std::shared_ptr<juce::Array<juce::MidiMessage>> sent = std::make_shared<juce::Array<juce::MidiMessage>>();
    const juce::String inputId { "test-input" };
};
