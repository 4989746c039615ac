#include "support/DeviceTestSupport.h"
#include "support/ComponentSearch.h"
#include "editors/Mapper.h"
#include "editors/UnavailablePortMenuItem.h"
#include "editors/UserCurves.h"

#include <cstring>

using namespace ComponentSearch;

namespace
{
    juce::StringArray itemTexts (const juce::ComboBox& list)
    {
        juce::StringArray texts;

        for (int i = 0; i < list.getNumItems(); ++i)
            texts.add (list.getItemText (i));

        return texts;
    }

    /** The text a list shows: its chosen item's, or its text for no choice. */
    juce::String shownText (const juce::ComboBox& list)
    {
        return list.getText().isNotEmpty() ? list.getText() : list.getTextWhenNothingSelected();
    }

    void choose (juce::ComboBox& list, int position)   { list.setSelectedId (position + 1, juce::sendNotificationSync); }
    void click (juce::Button& button)                   { button.setToggleState (! button.getToggleState(), juce::sendNotificationSync); }

    const juce::StringArray channelStatuses { "Note On", "Note Off", "Ctrl Change", "Prog Change", "Pitch bend",
                                              "Chann Aftertouch", "Key Aftertouch" };
}

/** The tab on its own, without a main component, its requests recorded. */
class MapperTab : public WiredDeviceFixture
{
protected:
    void TearDown() override
    {
        mapper = nullptr;
        WiredDeviceFixture::TearDown();
    }

    void build()  { mapper = std::make_unique<Mapper> (nullptr); }

    /** A product identified: the tab adapts and resets as the device link makes it, and is idle. */
    void connect (int code, float firmware)
    {
        if (mapper == nullptr)
            build();

        connectProduct (code, firmware);
        mapper->refreshForDevice();
        mapper->resetMappers (false, true, false);
        mapper->updateEnablement (editorIdle);
        sent->clear();
    }

    juce::TabbedComponent& tabs()          { return *childrenOfType<juce::TabbedComponent> (*mapper)[0]; }
    MapperObject& page (int slot)          { return *mapper->getMapperPages()[slot]; }
    juce::String status (int slot)         { return page (slot).statusText->getText(); }

    int markedMappers()
    {
        int marked = 0;
        for (int item = 0; item < PendingRequests::numItems; ++item)
            marked += device().pendingRequests.isPending (kindMapper, item) ? 1 : 0;
        return marked;
    }

    std::unique_ptr<Mapper> mapper;
};

//==============================================================================
TEST_F (MapperTab, Has24PagesBeforeIdentification16ForACalderAndGoesBackFrom24To16)
{
    build();
    EXPECT_EQ (tabs().getNumTabs(), 24);
    EXPECT_EQ (tabs().getTabNames()[23], "24");
    EXPECT_FALSE (buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").isEnabled());
    EXPECT_FALSE (buttonWithText<juce::TextButton> (*mapper, "Reset selected mapper").isEnabled());
    EXPECT_FALSE (tabs().isEnabled());

    connect (productCalder, 4.205f);
    EXPECT_EQ (tabs().getNumTabs(), 16);
    EXPECT_EQ (mapper->getMapperPages().size(), 16);

    connect (productJorvek, 4.505f);
    EXPECT_EQ (tabs().getNumTabs(), 24);
    EXPECT_EQ (page (23).mapperIndex, 23);

    connect (productCalder, 3.905f);
    juce::StringArray names;
    for (int i = 1; i <= 16; ++i)
        names.add (juce::String (i));
    EXPECT_EQ (tabs().getTabNames(), names);
    EXPECT_EQ (mapper->getMapperPages().getLast()->mapperIndex, 15);
    EXPECT_TRUE (buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").isEnabled());
}

TEST_F (MapperTab, PagesFollowTheFirmware)
{
    struct Case
    {
        float firmware;
        const char* lastInputStatus;
        const char* lastOutputStatus;
        bool keepOriginal, compress, curves;
        const char* keepOriginalTooltip;
        const char* curveTooltip;
    };

    const Case cases[] = {
        { 0.505f, "Key Aftertouch", "Key Aftertouch", false, false, false,
          "Check if the orginal message must be kept\n\nYou need to update your device firmware to enable this feature",
          "Curves\n\nYou need to update your device firmware to enable this feature" },
        { 3.305f, "Notes transpose", "Key Aftertouch", true, true, false,
          "Check if the orginal message must be kept",
          "Curves\n\nYou need to update your device firmware to enable this feature" },
        { 4.205f, "Global channel update", "Filter message", true, true, true,
          "Check if the orginal message must be kept", "Select curve to use for Output Value 1" },
    };

    for (auto c : cases)
    {
        mapper = nullptr;
        connect (productCalder, c.firmware);
        auto& p = page (0);
        choose (*p.inStatusCombo, 0);   // "Note On"
        choose (*p.outStatusCombo, 1);  // "Note Off"
        click (*p.followValue1Toggle);  // following the input, nothing is compressed or expanded
        click (*p.followValue2Toggle);

        const auto inputs = itemTexts (*p.inStatusCombo);
        const auto outputs = itemTexts (*p.outStatusCombo);
        EXPECT_EQ (inputs[inputs.size() - 1], c.lastInputStatus) << c.firmware;
        EXPECT_EQ (outputs[outputs.size() - 1], c.lastOutputStatus) << c.firmware;
        EXPECT_EQ (juce::StringArray (inputs.begin(), 7), channelStatuses) << c.firmware;

        EXPECT_EQ (p.keepOriginalToggle->isEnabled(), c.keepOriginal) << c.firmware;
        EXPECT_EQ (p.transposeChannelToggle->isEnabled(), c.keepOriginal) << c.firmware;
        EXPECT_EQ (p.compressValue1Toggle->isEnabled(), c.compress) << c.firmware;
        EXPECT_EQ (p.compressValue2Toggle->isEnabled(), c.compress) << c.firmware;
        EXPECT_EQ (p.skipCombo->isVisible(), c.compress) << c.firmware << ": notes can be skipped from 2.45";
        EXPECT_EQ (p.curveValue1Toggle->isEnabled(), c.curves) << c.firmware;
        EXPECT_EQ (p.keepOriginalToggle->getTooltip(), c.keepOriginalTooltip) << c.firmware;
        EXPECT_EQ (p.curveValue1Toggle->getTooltip(), c.curveTooltip) << c.firmware;
        EXPECT_EQ (p.curveValue2Toggle->getTooltip(), juce::String (c.curveTooltip).replace ("Value 1", "Value 2")) << c.firmware;

        if (! c.compress)
            EXPECT_FALSE (p.compressValue1Toggle->getToggleState()) << c.firmware;
    }
}

TEST_F (MapperTab, FreshPageAsksForAnInputStatusAndWithoutProductSaysSo)
{
    build();
    EXPECT_EQ (status (0), "\nNo device connected");

    connect (productCalder, 4.205f);
    EXPECT_EQ (status (0), "\nSelect an input message status to map");
    EXPECT_TRUE (page (0).disableInputsToggle->getToggleState());
    EXPECT_EQ (page (0).disableInputsToggle->findColour (juce::ToggleButton::textColourId), juce::Colour (0xffff0000));
    EXPECT_EQ (shownText (*page (0).inputPortCombo), "Select USB / MIDI input to map");
    EXPECT_FALSE (page (0).skipCombo->isVisible());
}

TEST_F (MapperTab, ProgramChangeHasNoValue2AndNoteOnMaySkipNotes)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);

    click (*p.useInValue2Toggle);
    choose (*p.inStatusCombo, 3);     // "Prog Change"

    EXPECT_FALSE (p.inValue2MinCombo->isEnabled());
    EXPECT_FALSE (p.inValue2MaxCombo->isEnabled());
    EXPECT_EQ (p.inValue2MinCombo->getText(), "0");
    EXPECT_EQ (p.inValue2MaxCombo->getText(), "127");
    EXPECT_FALSE (p.useInValue2Toggle->getToggleState());
    EXPECT_FALSE (p.skipCombo->isVisible());
    EXPECT_EQ (p.value1Group->getText(), "Patch");
    EXPECT_EQ (p.value2Group->getText(), "Not used");

    choose (*p.inStatusCombo, 0);     // "Note On"
    EXPECT_TRUE (p.skipCombo->isVisible());
    EXPECT_TRUE (p.inValue2MinCombo->isEnabled());
    EXPECT_EQ (p.value1Group->getText(), "Note");

    choose (*p.outStatusCombo, 2);    // "Ctrl Change"
    EXPECT_EQ (p.value1Group->getText(), "Note -> Control");
    EXPECT_EQ (p.value2Group->getText(), "Velocity -> Amount");

    click (*p.keepOriginalToggle);
    EXPECT_FALSE (p.skipCombo->isVisible()) << "the original is kept: nothing to skip";
}

TEST_F (MapperTab, NotesTransposeOffersOctavesAndSemitones)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);

    choose (*p.inStatusCombo, 7);

    EXPECT_EQ (itemTexts (*p.outValue1MinCombo).joinIntoString (" "), "-4 -3 -2 -1 0 +1 +2 +3 +4");
    EXPECT_EQ (p.outValue1MinCombo->getText(), "0");
    EXPECT_EQ (p.outValue1MaxCombo->getNumItems(), 97);
    EXPECT_EQ (p.outValue1MaxCombo->getItemText (0), "-48");
    EXPECT_EQ (p.outValue1MaxCombo->getText(), "0");
    EXPECT_EQ (shownText (*p.outStatusCombo), "Transposed Notes");
    EXPECT_FALSE (p.outStatusCombo->isEnabled());
    EXPECT_FALSE (p.followValue1Toggle->getToggleState());
    EXPECT_FALSE (p.followValue1Toggle->isEnabled());
    EXPECT_EQ (p.value1Group->getText(), "Note -> Transpose");

    // Octave +1 and semitone -2 transpose by 10 semitones; a semitone below the octave is valid.
    choose (*p.outValue1MinCombo, 5);
    choose (*p.outValue1MaxCombo, 46);
    const auto& record = device().mapperRecords[0][0];
    EXPECT_EQ ((record.outVal1Val2 >> 16) & 0xFF, 5u);
    EXPECT_EQ ((record.outVal1Val2 >> 24) & 0xFF, 46u);
    EXPECT_EQ (record.cfg1 & 0x0F, 7u);
    EXPECT_FALSE (status (0).contains ("Output value 1 Min is higher")) << status (0);
}

TEST_F (MapperTab, InputPortPickedTwiceIsNoLongerChosen)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);
    auto& list = *p.inputPortCombo;

    EXPECT_EQ (itemTexts (list)[0], "USB-A Host In 1");
    EXPECT_EQ (list.getNumItems(), 11);

    choose (list, 2);
    EXPECT_TRUE (p.isInputSelected (2));
    EXPECT_EQ (shownText (list), "1 selected input");
    EXPECT_EQ (device().mapperRecords[0][0].cfg3, 1u << 2);
    EXPECT_FALSE (p.disableInputsToggle->getToggleState());

    choose (list, 10);                // the Calder's MIDI input, local port 2: bit 18 of cfg4
    EXPECT_EQ (shownText (list), "2 selected inputs");
    EXPECT_EQ (device().mapperRecords[0][0].cfg4, 1u << 18);

    choose (list, 2);
    choose (list, 10);
    EXPECT_FALSE (p.isInputSelected (2));
    EXPECT_EQ (shownText (list), "Select USB / MIDI input to map");
    EXPECT_EQ (device().mapperRecords[0][0].cfg3, 0u);
    EXPECT_EQ (device().mapperRecords[0][0].cfg4, 0u);
    EXPECT_TRUE (p.disableInputsToggle->getToggleState());
    EXPECT_EQ (p.disableInputsToggle->findColour (juce::ToggleButton::textColourId), juce::Colour (0xffff0000));
}

TEST_F (MapperTab, TransposeChannelNeedsAnOutputChannel)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);
    choose (*p.inStatusCombo, 0);
    choose (*p.outStatusCombo, 1);
    ASSERT_EQ (status (0), "\nMapper is disabled (No MIDI/USB input is selected)");

    click (*p.transposeChannelToggle);
    EXPECT_FALSE (p.followChannelToggle->getToggleState());
    EXPECT_EQ (p.outChannelCombo->getNumItems(), 31);
    EXPECT_EQ (p.outChannelCombo->getItemText (0), "+15");
    EXPECT_EQ (p.outChannelCombo->getItemText (30), "-15");
    EXPECT_EQ (p.outChannelCombo->getSelectedId(), 0);
    EXPECT_EQ (status (0), "\nSelect an output channel to map to");

    choose (*p.outChannelCombo, 16);  // "-1"
    const auto cfg1 = device().mapperRecords[0][0].cfg1;
    EXPECT_EQ ((cfg1 >> 24) & 0x0F, 1u);
    EXPECT_EQ ((cfg1 >> 29) & 1u, 1u);
    EXPECT_EQ ((cfg1 >> 30) & 1u, 0u) << "downward";

    click (*p.transposeChannelToggle);
    EXPECT_EQ (p.outChannelCombo->getItemText (15), "16");
    EXPECT_EQ (p.outChannelCombo->getSelectedId(), 0);
    EXPECT_EQ ((device().mapperRecords[0][0].cfg1 >> 29) & 1u, 0u);
    EXPECT_EQ (status (0), "\nSelect an output channel to map to");

    // Following the input channel shows its range.
    click (*p.followChannelToggle);
    EXPECT_EQ (p.outChannelCombo->getText(), "1-16");
    EXPECT_FALSE (p.outChannelCombo->isEnabled());
}

TEST_F (MapperTab, CurveOnValue2TakesThePlaceOfItsOutputLists)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);
    choose (*p.inStatusCombo, 0);
    choose (*p.outStatusCombo, 0);

    click (*p.curveValue2Toggle);
    EXPECT_FALSE (p.outValue2MinCombo->isVisible());
    EXPECT_FALSE (p.outValue2MaxCombo->isVisible());
    EXPECT_TRUE (p.userCurve2Combo->isVisible());
    EXPECT_TRUE (p.userCurve2Label->isVisible());
    EXPECT_FALSE (p.followValue2Toggle->getToggleState());
    EXPECT_FALSE (p.followValue2Toggle->isEnabled());
    EXPECT_EQ (p.userCurve2Combo->getText(), "User 1");
    EXPECT_EQ ((device().mapperRecords[0][0].cfg2 >> 20) & 1u, 1u);

    click (*p.curveValue1Toggle);
    EXPECT_FALSE (p.followValue1Toggle->getToggleState());
    EXPECT_TRUE (p.followValue1Toggle->isEnabled()) << "value 1 keeps its Follow";
    EXPECT_FALSE (p.outValue1MaxCombo->isVisible());

    click (*p.curveValue2Toggle);
    EXPECT_TRUE (p.outValue2MinCombo->isVisible());
    EXPECT_FALSE (p.userCurve2Combo->isVisible());
    EXPECT_TRUE (p.followValue2Toggle->isEnabled());
}

TEST_F (MapperTab, GlobalChannelUpdateAndFilterMessageLeaveOnlyWhatTheyUse)
{
    connect (productCalder, 4.205f);
    auto& p = page (0);

    choose (*p.inStatusCombo, 8);
    EXPECT_EQ (shownText (*p.outStatusCombo), "Global ch. update");
    EXPECT_FALSE (p.outStatusCombo->isEnabled());
    EXPECT_FALSE (p.inValue1MinCombo->isEnabled());
    EXPECT_FALSE (p.followChannelToggle->isEnabled());
    EXPECT_TRUE (p.outChannelCombo->isEnabled());
    EXPECT_TRUE (p.transposeChannelToggle->isEnabled());

    choose (*p.inStatusCombo, 0);
    EXPECT_TRUE (p.outStatusCombo->isEnabled());
    EXPECT_EQ (shownText (*p.outStatusCombo), "Select...");

    choose (*p.outStatusCombo, 7);    // "Filter message"
    EXPECT_FALSE (p.outChannelCombo->isEnabled());
    EXPECT_FALSE (p.followChannelToggle->isEnabled());
    EXPECT_FALSE (p.outValue2MinCombo->isEnabled());
    EXPECT_FALSE (p.keepOriginalToggle->isEnabled());
    EXPECT_EQ ((device().mapperRecords[0][0].cfg1 >> 20) & 0x0F, 7u);

    // Back to a message: the channel can be chosen again.
    choose (*p.outStatusCombo, 1);
    EXPECT_TRUE (p.followChannelToggle->isEnabled());
    EXPECT_TRUE (p.transposeChannelToggle->isEnabled());
    EXPECT_TRUE (p.keepOriginalToggle->isEnabled());
}

TEST_F (MapperTab, NorrimLocalInputsWithoutABitAreListedButCannotBeChosen)
{
    connect (productNorrim, 4.505f);
    auto& p = page (0);
    auto& list = *p.inputPortCombo;
    ASSERT_EQ (list.getNumItems(), 44);

    // Local ports 16 to 19 are ports 40 to 43.
    for (int port : { 39, 40, 43 })
    {
        const bool storable = port < 40;
        EXPECT_EQ (list.isItemEnabled (port + 1), storable) << port;
        EXPECT_EQ (UnavailablePortMenuItem::getTooltipOfItem (list, port + 1),
                   storable ? juce::String() : juce::String ("Not available on this product")) << port;
    }

    for (int port = 0; port < 44; ++port)
        choose (list, port);

    const auto& record = device().mapperRecords[0][0];
    EXPECT_EQ (record.cfg3, 0x00FFFFFFu);
    EXPECT_EQ (record.cfg4, 0xFF0000FFu) << "USB-C ports in bits 0-7, local ports 8-15 in bits 24-31";
    EXPECT_EQ (shownText (list), "40 selected inputs");
    EXPECT_FALSE (p.isInputSelected (41));

    // Loading a record with every bit set still shows the four ports unchosen.
    device().mapperRecords[0][0].cfg4 = 0xFFFFFFFFu;
    p.loadFromRecord();
    EXPECT_FALSE (p.isInputSelected (42));
    EXPECT_TRUE (p.isInputSelected (39));
}

TEST_F (MapperTab, RenamesReachEveryPageAndHostRecordsOnlyTheirInputs)
{
    connect (productCalder, 4.205f);

    ui.properties[device().serialText + "::MIDI In 1"] = "Keys";
    mapper->updatePortName (10);
    EXPECT_EQ (page (0).inputPortCombo->getItemText (10), "Keys");
    EXPECT_EQ (page (15).inputPortCombo->getItemText (10), "Keys");
    mapper->updatePortName (11);       // beyond the inputs: nothing
    EXPECT_EQ (page (0).inputPortCombo->getNumItems(), 11);

    auto& record = device().usbHostDevices[1];
    record.deviceHandle = 2;
    record.cableIndex = 0;
    std::strcpy (record.name, "Pads");
    page (3).updateHostPortName (1);
    EXPECT_EQ (page (3).inputPortCombo->getItemText (1), "Pads-1");

    page (3).updateHostPortName (9);   // a host output: the list has no outputs
    EXPECT_EQ (page (3).inputPortCombo->getItemText (1), "Pads-1");
}

TEST_F (MapperTab, BelowFirmware055NothingIsMarkedOrSent)
{
    connect (productCalder, 0.505f);
    auto& p = page (0);
    choose (*p.inStatusCombo, 0);
    choose (*p.outStatusCombo, 1);

    EXPECT_EQ (p.validate(), 0);
    EXPECT_FALSE (mapper->isTimerRunning());

    buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").triggerClick();
    buttonWithText<juce::TextButton> (*mapper, "Reset selected mapper").triggerClick();
    pump (50);

    EXPECT_EQ (markedMappers(), 0);
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_FALSE (ui.statusTexts.contains ("Writing mapper settings..."));
}

TEST_F (MapperTab, ValidEditMarksTheShownMapperAndAnInvalidOneNothing)
{
    connect (productCalder, 4.205f);
    tabs().setCurrentTabIndex (2);
    auto& p = page (2);

    choose (*p.inStatusCombo, 0);
    EXPECT_EQ (status (2), "\nSelect an output message status to map to");
    EXPECT_EQ (markedMappers(), 0);
    EXPECT_FALSE (mapper->isTimerRunning());

    choose (*p.outStatusCombo, 1);
    EXPECT_TRUE (device().pendingRequests.isWrite (kindMapper, 2));
    EXPECT_EQ (markedMappers(), 1);
    EXPECT_TRUE (mapper->isTimerRunning());
    EXPECT_EQ (mapper->getSelectedPageIndex(), 2);
    EXPECT_TRUE (sent->isEmpty()) << "the write waits for the debounce";

    mapper->timerCallback();
    ASSERT_EQ (sent->size(), 1);
    EXPECT_EQ (sent->getFirst().getRawDataSize(), 42);
    EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 22 03 03 06 02");
}

TEST_F (MapperTab, ResetOfTheSelectedMapperWritesItAloneAndKeepsOtherWrites)
{
    connect (productCalder, 4.205f);
    device().markForWrite (kindMapper, 6);
    device().mapperRecords[0][5].cfg3 = 0x3;
    device().mapperRecords[0][4].cfg3 = 0x3;
    tabs().setCurrentTabIndex (5);

    buttonWithText<juce::TextButton> (*mapper, "Reset selected mapper").triggerClick();
    pump (50);

    EXPECT_EQ (device().mapperRecords[0][5].cfg3, 0u);
    EXPECT_EQ (device().mapperRecords[0][4].cfg3, 0x3u) << "the other mappers stay";
    EXPECT_TRUE (ui.statusTexts.contains ("Writing mapper settings..."));
    ASSERT_EQ (sent->size(), 1) << "written at once";
    EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 22 03 03 06 05");
    EXPECT_TRUE (device().pendingRequests.isWrite (kindMapper, 6)) << "the next mapper's write still waits";
}

TEST_F (MapperTab, ResetOfAllMappersMarksThemAllAndWritesAtOnce)
{
    // Below 3.85 the product keeps no user curves: the mappers alone are written.
    connect (productCalder, 3.305f);

    buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").triggerClick();
    pump (50);

    EXPECT_EQ (markedMappers(), 16);
    EXPECT_FALSE (device().pendingRequests.isPending (kindVelocityCurve, 0));
    ASSERT_EQ (sent->size(), 1);
    EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 22 03 03 06 00");
}

TEST_F (MapperTab, ResetOfAllMappersPutsTheUserCurvesBackAndWritesThemFirst)
{
    connect (productCalder, 4.205f);
    device().userCurves[2][5] = 0x01010101;
    tabs().setCurrentTabIndex (3);

    // Resetting one mapper leaves the curves, which every mapper shares, as they are.
    buttonWithText<juce::TextButton> (*mapper, "Reset selected mapper").triggerClick();
    pump (50);
    EXPECT_EQ (device().userCurves[2][5], 0x01010101u);
    EXPECT_FALSE (device().pendingRequests.isPending (kindVelocityCurve, 0));
    device().pendingRequests.clearAll();
    device().waitingForReply = 0;
    sent->clear();
    ui.statusTexts.clear();

    buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").triggerClick();
    pump (50);

    EXPECT_EQ (device().userCurves[2][5], defaultUserCurves[2][5]);
    for (int curve = 0; curve < 4; ++curve)
        EXPECT_TRUE (device().pendingRequests.isWrite (kindVelocityCurve, curve)) << curve;
    EXPECT_EQ (markedMappers(), 16);
    EXPECT_TRUE (ui.statusTexts.contains ("Writing curves settings..."));
    EXPECT_TRUE (ui.statusTexts.contains ("Writing mapper settings..."));
    ASSERT_EQ (sent->size(), 1) << "one request at a time: the chain sends the rest";
    EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 22 03 0B 20 00");
}

TEST_F (MapperTab, CurveChoicesFollowTheProductAndItsFirmware)
{
    build();
    auto& curves = *mapper->getCurveEditor();
    EXPECT_EQ (curves.getCurveSelector().getNumItems(), 0);
    EXPECT_EQ (curves.getSelectedCurve(), -1);
    EXPECT_FALSE (curves.isEnabled());

    connect (productJorvek, 4.505f);
    EXPECT_EQ (curves.getCurveSelector().getItemText (3), "User curve 4");
    EXPECT_EQ (curves.getSelectedCurve(), 0);
    EXPECT_TRUE (curves.isEnabled());

    connect (productCalder, 3.305f);
    EXPECT_EQ (curves.getCurveSelector().getNumItems(), 4);
    EXPECT_EQ (curves.getSelectedCurve(), -1) << "no curve chosen where the firmware keeps none";
    EXPECT_FALSE (curves.isEnabled());

    // Only the factory curves are put back, and nothing is written, below 3.85.
    device().userCurves[0][0] = 0x7F7F7F7F;
    curves.resetCurves (true, false);
    pump (30);
    EXPECT_EQ (device().userCurves[0][0], defaultUserCurves[0][0]);
    EXPECT_TRUE (sent->isEmpty());
}

TEST_F (MapperTab, CurveEditorReadsTheCurvesOncePerConnection)
{
    connect (productJorvek, 4.505f);
    auto& button = buttonWithText<juce::TextButton> (*mapper, "Edit curves");

    button.triggerClick();
    pump (30);
    EXPECT_TRUE (mapper->isCurveEditorOpen());
    EXPECT_TRUE (mapper->getCurveEditor()->isVisible());
    EXPECT_EQ (button.getButtonText(), "Close curve editor");
    ASSERT_EQ (sent->size(), 1);
    EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 26 02 0B 20 00");
    for (int curve = 0; curve < 4; ++curve)
        EXPECT_TRUE (device().pendingRequests.isPending (kindVelocityCurve, curve));

    button.triggerClick();
    pump (30);
    EXPECT_FALSE (mapper->isCurveEditorOpen());
    EXPECT_EQ (button.getButtonText(), "Edit curves");

    device().pendingRequests.clearAll();
    device().waitingForReply = 0;
    button.triggerClick();
    pump (30);
    EXPECT_EQ (sent->size(), 1) << "read once per connection";

    // A new connection reads them again at the first opening.
    mapper->closeCurveEditor();
    device().resetDeviceState();
    connect (productJorvek, 4.505f);
    button.triggerClick();
    pump (30);
    EXPECT_EQ (sent->size(), 1);
}

TEST_F (MapperTab, CurveButtonNeedsFirmware385)
{
    connect (productCalder, 3.305f);
    auto& button = buttonWithText<juce::TextButton> (*mapper, "Edit curves");
    EXPECT_FALSE (button.isEnabled());
    EXPECT_EQ (button.getTooltip(), "Please update the device firmware to enable curves");

    connect (productCalder, 3.905f);
    EXPECT_TRUE (button.isEnabled());
    EXPECT_EQ (button.getTooltip(), "This will open the curves editor");
}

TEST_F (MapperTab, BusyTabLetsThePagesChangeButNotBeEdited)
{
    connect (productCalder, 4.205f);
    mapper->updateEnablement (editorBusy);

    EXPECT_TRUE (tabs().isEnabled());
    EXPECT_FALSE (page (0).inValue1MinCombo->isEnabled());
    EXPECT_FALSE (page (0).inputPortCombo->isEnabled());
    EXPECT_FALSE (buttonWithText<juce::TextButton> (*mapper, "Reset all mappers").isEnabled());

    // A record read meanwhile leaves the page as locked as it was.
    page (0).loadFromRecord();
    EXPECT_FALSE (page (0).inValue1MinCombo->isEnabled());

    mapper->updateEnablement (editorIdle);
    EXPECT_TRUE (page (0).inValue1MinCombo->isEnabled());
}
