#include "support/ChainTestSupport.h"

/* The device object speaks outward through its events: what it tells, and in which order. */

namespace
{
    /** Keeps every event as a short text. */
    class RecordingDeviceEvents : public DeviceEvents
    {
    public:
        void requestGoingOut (int type, int kind) override   { add ((type == SYSX_TYPE_WRITE ? "out write " : "out read ") + juce::String (kind)); }
        void itemAnswered (int type, int kind, int item) override
        {
            add ((type == SYSX_TYPE_WRITE ? "write " : "read ") + juce::String (kind) + "/" + juce::String (item));
        }
        void chainEnded (bool fullRead) override             { add (fullRead ? "chain ended, full read" : "chain ended"); }
        void settingsReset() override                        { add ("settings reset"); }
        void identityArriving() override                     { add ("identity"); }
        void bootloaderAnswered (bool upgradeContinues) override { add (upgradeContinues ? "bootloader, upgrade" : "bootloader"); }
        void hostRecordChanged (int index) override          { add ("host record " + juce::String (index)); }
        void dumpTextArrived (const juce::String& text) override { add ("dump " + text.trim()); }
        void deviceDescriptorArrived() override              { add ("device descriptor"); }

        /** The events whose text starts with one of the prefixes. */
        juce::StringArray only (std::initializer_list<const char*> prefixes) const
        {
            juce::StringArray result;

            for (auto& e : events)
                for (auto* prefix : prefixes)
                    if (e.startsWith (prefix))
                        result.add (e);

            return result;
        }

        juce::StringArray events;

    private:
        void add (const juce::String& text) { events.add (text); }
    };
}

class DeviceEventsOfAFullRead : public RequestChain
{
protected:
    void SetUp() override
    {
        RequestChain::SetUp();
        device().events = &recorder;
    }

    void TearDown() override
    {
        device().events = nullptr;
        RequestChain::TearDown();
    }

    RecordingDeviceEvents recorder;
};

TEST_F (DeviceEventsOfAFullRead, NameEachItemReadThenTheChainsEnd)
{
    auto product = connectJorvek (2);
    device().readAllSettings();
    ASSERT_TRUE (runChainToEnd());

    // Every read is announced before it goes out and told once answered; the end comes last.
    juce::StringArray expected;

    for (auto& read : fullReadOf (kindPresetSetting, jorvekReads))
    {
        expected.add ("out " + read.upToLastOccurrenceOf ("/", false, false));
        expected.add (read);
    }

    expected.add ("chain ended, full read");
    EXPECT_EQ (lines (recorder.events), lines (expected));
}

TEST_F (DeviceEventsOfAFullRead, ARefusedBuildTellsNothing)
{
    connectJorvek (0);

    // The preset names need host firmware 2.75; kind 12 is never built.
    device().hostFirmwareVersion = MidiController::firmwareVersionFromDigits (2, 7);
    device().markForWrite (kindPresetName, 1);
    EXPECT_NE (device().buildCommand (SYSX_TYPE_WRITE, kindPresetName), SYSX_OK);
    EXPECT_NE (device().buildCommand (SYSX_TYPE_WRITE, kindLfo), SYSX_OK);
    EXPECT_TRUE (recorder.events.isEmpty());
}

TEST_F (DeviceEventsOfAFullRead, HostRecordsAndTheDumpAreTold)
{
    auto product = connectJorvek (0);
    product->getProduct().setSettings (product->getProduct().getDefaultSettings());
    device().readAllSettings();
    ASSERT_TRUE (runChainToEnd());
    recorder.events.clear();

    product->attachUsbDevice ({});
    ASSERT_TRUE (pumpUntil ([this] { return ! recorder.only ({ "host record" }).isEmpty(); }, 2000));

    device().descriptorDumpActive = 1;
    ASSERT_EQ (device().buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_DESCRIPTOR_DUMP), SYSX_OK);
    device().sendCommand (4.0f);
    ASSERT_TRUE (pumpUntil ([this] { return ! recorder.only ({ "device descriptor" }).isEmpty(); }, 2000));

    EXPECT_EQ (recorder.only ({ "host record" }), juce::StringArray ("host record 0", "host record 16"));
    EXPECT_TRUE (recorder.only ({ "dump Device descriptor" }).size() == 1);
}
