#include "support/DeviceTestSupport.h"
#include "routing/ReservationChecks.h"
#include "routing/ReservationTable.h"
#include "routing/UsbPortMaskEdit.h"

//==============================================================================
namespace
{
    constexpr juce::int32 keys = 0x05820001;
    constexpr juce::int32 pads = (juce::int32) 0x8A4D0002u;

    ReservationRow reserved (juce::int32 vidPid, int cable, juce::uint8 instance = 0)
    {
        return { 1, vidPid, instance, cable };
    }

    struct CheckCase
    {
        const char* what;
        std::vector<ReservationRow> rows;
        bool inputs;
        bool instanceCounts;
        const char* message;
    };
}

TEST (ReservationChecksTest, MessagesNameTheFirstFaultInRowOrder)
{
    const ReservationRow notReserved { 0, -1, 255, -1 };
    const ReservationRow nothingChosen {};

    const CheckCase cases[] =
    {
        { "empty rows pass", { nothingChosen, notReserved, notReserved }, true, true, "" },
        { "distinct cables pass", { reserved (keys, 0), reserved (keys, 1), reserved (pads, 0) }, true, true, "" },
        { "a device without cable, input", { notReserved, notReserved, reserved (keys, -1) }, true, true,
          "Select a Cable number for reserved input port 3" },
        { "a device without cable, output", { reserved (keys, 0), reserved (pads, -1) }, false, true,
          "Select a Cable number for reserved output port 2" },
        { "twins: the lowest row at fault second, its twin first", { notReserved, reserved (keys, 4), notReserved, notReserved, reserved (keys, 4) },
          false, true, "Outputs ports 5 and 2 have same reservation" },
        { "input twins", { reserved (pads, 2), reserved (pads, 2) }, true, true, "Input ports 2 and 1 have same reservation" },
        { "the missing cable of an earlier row wins over a later twin", { reserved (keys, 1), reserved (pads, -1), reserved (keys, 1) },
          true, true, "Input ports 3 and 1 have same reservation" },
        { "other instances are other devices", { reserved (keys, 0, 0), reserved (keys, 0, 1) }, true, true, "" },
        { "at or below 3.35 instances are not told apart", { reserved (keys, 0, 0), reserved (keys, 0, 1) }, true, false,
          "Input ports 2 and 1 have same reservation" },
        { "a row naming no known device is skipped", { { 3, -1, 255, -1 }, { 3, -1, 255, -1 } }, true, true, "" },
    };

    for (auto& c : cases)
        EXPECT_EQ (ReservationChecks::check (c.rows.data(), (int) c.rows.size(), c.inputs, c.instanceCounts), juce::String (c.message)) << c.what;
}

TEST (ReservationChecksTest, RowsBecomeEntries)
{
    const PortReservation previous { keys, 0x0103 };

    EXPECT_EQ (ReservationRow ({ 0, -1, 255, -1 }).toEntry (previous, true), ReservationTable::emptyEntry);
    EXPECT_EQ (ReservationRow ({ 2, -1, 255, 3 }).toEntry (previous, true), (PortReservation { -1, 0x0103 })) << "unknown device keeps the cable";
    EXPECT_EQ (reserved (pads, -1).toEntry (previous, true), (PortReservation { pads, 0x007F }));
    EXPECT_EQ (reserved (pads, 5, 1).toEntry (previous, true), (PortReservation { pads, 0x0105 }));
    EXPECT_EQ (reserved (pads, 5, 1).toEntry (previous, false), (PortReservation { pads, 0x0005 })) << "no instance at or below 3.35";
    EXPECT_EQ (reserved (pads, 5, 255).toEntry (previous, true), (PortReservation { pads, 0x0005 })) << "any instance is the first";
}

//==============================================================================
/** The cable edit of a Jorvek's device: 2 input and 3 output cables. */
class UsbPortMaskEditTest : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        connectProduct (productJorvek, 4.505f);

        record.deviceHandle = 3;
        record.vidPid = keys;
        record.inputCables = 2;
        record.outputCables = 3;
        record.cableIndex = 0;
        record.deviceInstance = 0;

        for (auto& entry : device().usbDevicePortMasks)
            entry = { -1, 0xFFFFFFFFu };

        for (auto& entry : device().portReservations)
            entry = ReservationTable::emptyEntry;

        device().pendingRequests.clearAll();
    }

    juce::uint32 storedMask() const
    {
        for (auto& entry : MidiController::getInstance()->usbDevicePortMasks)
            if (entry.vidPid == keys)
                return entry.mask;

        return UsbPortMaskEdit::allEnabled;
    }

    UsbHostDevice record;
    ReservationTable reservations;
};

TEST_F (UsbPortMaskEditTest, CablesTheDeviceHasAndTheLastOneOn)
{
    UsbPortMaskEdit edit (device(), record);
    using R = UsbPortMaskEdit::Result;

    EXPECT_EQ (edit.setCable (device(), true, 2, false), R::unchanged) << "the device has 2 input cables";
    EXPECT_EQ (edit.setCable (device(), false, 3, false), R::unchanged) << "and 3 output cables";

    for (int cable = 0; cable < 3; ++cable)
        EXPECT_EQ (edit.setCable (device(), false, cable, false), R::stored);

    EXPECT_EQ (edit.setCable (device(), true, 0, false), R::stored);
    EXPECT_EQ (edit.setCable (device(), true, 1, false), R::lastCableRefused);
    EXPECT_EQ (storedMask(), 0xFFFEFFF8u) << "the refused click is not stored";

    // Bits the device has no cable for do not count as enabled.
    EXPECT_FALSE (edit.keepsSomeCable (0xFFFCFFF8u));
    EXPECT_EQ (device().pendingRequests.firstItem (kindUsbDevicePorts), 0xFF) << "nothing is marked before the panel closes";
}

TEST_F (UsbPortMaskEditTest, ClosingWritesOnlyANetChangeAndKeepsOtherMarks)
{
    device().pendingRequests.markForWrite (kindPortReservation, 4, PendingRequests::noPreset);
    device().pendingRequests.markForWrite (kindUsbDevicePorts, 7, PendingRequests::noPreset);

    {
        UsbPortMaskEdit edit (device(), record);
        edit.setCable (device(), false, 1, false);
        edit.setCable (device(), false, 1, true);
        EXPECT_TRUE (edit.close (device(), reservations, true).isEmpty());
        EXPECT_FALSE (edit.wasMarked());
    }

    EXPECT_TRUE (device().pendingRequests.isWrite (kindPortReservation, 4)) << "reservation marks stay";
    EXPECT_TRUE (device().pendingRequests.isWrite (kindUsbDevicePorts, 7)) << "another device's mark stays";
    EXPECT_FALSE (device().pendingRequests.isPending (kindUsbDevicePorts, 0));

    UsbPortMaskEdit edit (device(), record);
    edit.setCable (device(), false, 1, false);
    edit.close (device(), reservations, false);
    EXPECT_TRUE (edit.wasMarked());
    EXPECT_TRUE (device().pendingRequests.isWrite (kindUsbDevicePorts, 0));
    EXPECT_EQ (device().usbDevicePortMasks[0].vidPid, keys);
    EXPECT_EQ (device().usbDevicePortMasks[0].mask, 0xFFFFFFFDu);
}

TEST_F (UsbPortMaskEditTest, DisablingACableFreesOnlyThatInstancesReservations)
{
    const int a = device().getNumUsbHostPorts();
    device().portReservations[5] = { keys, 0x0002 };        // host input 6: output cable 3, first instance
    device().portReservations[6] = { keys, 0x0102 };        // the second instance's cable 3
    device().portReservations[a + 1] = { keys, 0x0001 };    // host output 2: input cable 2

    auto closeWith = [this] (bool freeReservations, float firmware)
    {
        device().hostFirmwareVersion = firmware;
        UsbPortMaskEdit edit (device(), record);
        edit.setCable (device(), false, 2, false);
        edit.setCable (device(), true, 1, false);
        auto emptied = edit.close (device(), reservations, freeReservations);
        device().setUsbDevicePortMask (keys, UsbPortMaskEdit::allEnabled, true);
        return emptied;
    };

    EXPECT_TRUE (closeWith (false, 4.505f).isEmpty()) << "the toggle is off";
    EXPECT_TRUE (closeWith (true, 3.305f).isEmpty()) << "at or below 3.35";
    EXPECT_FALSE (device().pendingRequests.hasAny (kindPortReservation));

    auto emptied = closeWith (true, 4.505f);
    emptied.sort();
    EXPECT_EQ (emptied, juce::Array<int> ({ 5, a + 1 }));
    EXPECT_EQ (device().portReservations[5], ReservationTable::emptyEntry);
    EXPECT_EQ (device().portReservations[a + 1], ReservationTable::emptyEntry);
    EXPECT_EQ (device().portReservations[6], (PortReservation { keys, 0x0102 })) << "another instance keeps its reservation";
    EXPECT_TRUE (device().pendingRequests.isWrite (kindPortReservation, 5));
    EXPECT_TRUE (device().pendingRequests.isWrite (kindPortReservation, a + 1));
    EXPECT_FALSE (device().pendingRequests.isPending (kindPortReservation, 6));
}

TEST_F (UsbPortMaskEditTest, AFullTableStoresNothing)
{
    for (int i = 0; i < MidiController::numUsbDevicePortMasks; ++i)
        device().usbDevicePortMasks[i] = { 0x10000 + i, 0xFFFFFFFFu };

    UsbPortMaskEdit edit (device(), record);
    EXPECT_EQ (edit.setCable (device(), false, 0, false), UsbPortMaskEdit::Result::tableFull);
    EXPECT_EQ (edit.resetAll (device()), UsbPortMaskEdit::Result::tableFull);
    EXPECT_TRUE (edit.close (device(), reservations, true).isEmpty());
    EXPECT_FALSE (device().pendingRequests.hasAny (kindUsbDevicePorts));

    // Two instances of one model share the entry of their vidPid.
    device().usbDevicePortMasks[15] = { keys, 0xFFFFFFFEu };
    auto second = record;
    second.deviceInstance = 1;
    EXPECT_EQ (UsbPortMaskEdit (device(), second).getStoredMask (device()), 0xFFFFFFFEu);
    EXPECT_EQ (UsbPortMaskEdit (device(), second).findSlot (device()), 15);
}
