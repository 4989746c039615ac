#include "support/DeviceTestSupport.h"
#include "editors/Filter.h"
#include "editors/UnavailablePortMenuItem.h"
#include "support/ComponentSearch.h"

#include <cstring>

using namespace ComponentSearch;

namespace
{
    /** The list's menu as lines: "# heading", "---", "id text" with " (disabled)" for items that can't be chosen. */
    juce::StringArray describeMenu (const juce::ComboBox& list)
    {
        juce::StringArray lines;

        for (juce::PopupMenu::MenuItemIterator it (*list.getRootMenu()); it.next();)
        {
            auto& item = it.getItem();

            if (item.isSectionHeader)
                lines.add ("# " + item.text);
            else if (item.isSeparator)
                lines.add ("---");
            else
                lines.add (juce::String (item.itemID) + " " + item.text + (item.isEnabled ? "" : " (disabled)"));
        }

        return lines;
    }
}

/** The tab on its own, without a main component: what it shows and changes in the device model. */
class FilterTab : public WiredDeviceFixture
{
protected:
    void TearDown() override
    {
        filter = nullptr;
        WiredDeviceFixture::TearDown();
    }

    void build (int code, const char* name, int major, int minor)
    {
        filter = std::make_unique<Filter> (nullptr);
        connectProduct (code, MidiController::firmwareVersionFromDigits (major, minor));
        device().productName = name;
        filter->rebuildPortList();
    }

    juce::ComboBox& portList()               { return *childrenOfType<juce::ComboBox> (*filter)[0]; }
    juce::TextButton& channel (int number)   { return buttonWithText<juce::TextButton> (*filter, juce::String (number)); }
    juce::ToggleButton& toggle (const char* caption) { return buttonWithText<juce::ToggleButton> (*filter, caption); }
    juce::Label& kindLabel()                 { return *childrenOfType<juce::Label> (*filter).getLast(); }

    void choose (int itemId)                 { portList().setSelectedId (itemId, juce::sendNotificationSync); }

    std::unique_ptr<Filter> filter;
};

TEST_F (FilterTab, FreshTabIsLockedEmptyAndClearsEveryPresetsFilters)
{
    device().filterChannels[7][40] = 0xFFFF;
    device().filterStatus[15][71] = 0x3FFFF;

    filter = std::make_unique<Filter> (nullptr);

    EXPECT_EQ (filter->getName(), "Filter");
    EXPECT_EQ (filter->getBounds(), juce::Rectangle<int> (800, 448));
    EXPECT_EQ (device().filterChannels[7][40], 0);
    EXPECT_EQ (device().filterStatus[15][71], 0u);
    EXPECT_EQ (portList().getNumItems(), 0);
    EXPECT_EQ (portList().getTextWhenNothingSelected(), "Select USB / MIDI input to filter");
    EXPECT_EQ (filter->lastEnablementMode, editorLocked);
    EXPECT_FALSE (portList().isEnabled());
    EXPECT_FALSE (buttonWithText<juce::TextButton> (*filter, "Reset all filters").isEnabled());
    EXPECT_FALSE (channel (1).isEnabled());
    EXPECT_FALSE (toggle ("System Reset").isEnabled());
    EXPECT_EQ (childrenOfType<juce::TextButton> (*filter).size(), 17);
    EXPECT_EQ (childrenOfType<juce::ToggleButton> (*filter).size(), 18);
}

TEST_F (FilterTab, CalderListShowsHeadingsSeparatorsAndPlaceholders)
{
    for (auto [minor, withOutputs] : { std::pair { 2, true }, std::pair { 5, false } })
    {
        build (productCalder, "Calder Pro", withOutputs ? 4 : 0, minor);
        const auto menu = describeMenu (portList());

        EXPECT_EQ (menu[0], "# Calder Pro Inputs");
        EXPECT_EQ (menu[1], "---");
        EXPECT_EQ (menu[2], "2 USB-A Host In 1");
        EXPECT_EQ (menu[10], "---");
        EXPECT_EQ (menu[11], "10 USB-C Virtual In 1");
        EXPECT_EQ (menu[14], "12 MIDI In 1");

        if (withOutputs)
        {
            EXPECT_EQ (menu.size(), 30);
            EXPECT_EQ (menu[15], "# Calder Pro Outputs");
            EXPECT_EQ (menu[29], "23 MIDI Out 1");
            EXPECT_EQ (portList().getTextWhenNothingSelected(), "Select USB / MIDI input or output to filter");
            EXPECT_EQ (portList().getTextWhenNoChoicesAvailable(), "Select USB / MIDI input or output to filter");
            EXPECT_EQ (kindLabel().getText(), "Input/Output");
        }
        else
        {
            EXPECT_EQ (menu.size(), 15);
            EXPECT_EQ (portList().getTextWhenNothingSelected(), "Select USB / MIDI input to filter");
            EXPECT_EQ (kindLabel().getText(), "Input");
        }

        EXPECT_EQ (filter->getSelectedEntry(), -1);
        EXPECT_EQ (filter->lastEnablementMode, editorIdle);
        EXPECT_TRUE (portList().isEnabled());
        EXPECT_FALSE (channel (5).isEnabled()) << "no port chosen yet";
    }
}

TEST_F (FilterTab, ChoosingOutput10ShowsEntry21)
{
    build (productCalder, "Calder Pro", 4, 2);
    device().filterChannels[0][21] = 0x0011;
    device().filterStatus[0][21] = (1u << 4) | (1u << 16);

    choose (23);

    EXPECT_EQ (filter->getSelectedEntry(), 21);
    EXPECT_EQ (portList().getText(), "MIDI Out 1");
    EXPECT_TRUE (channel (1).getToggleState());
    EXPECT_TRUE (channel (5).getToggleState());
    EXPECT_FALSE (channel (2).getToggleState());
    EXPECT_TRUE (toggle ("Control Change").getToggleState());
    EXPECT_TRUE (toggle ("Active Sense").getToggleState());
    EXPECT_FALSE (toggle ("Program Change").getToggleState());
    EXPECT_TRUE (channel (16).isEnabled());
    EXPECT_TRUE (toggle ("Clock").isEnabled());

    // A word that arrives for another entry changes nothing shown; one for the chosen entry does.
    device().filterChannels[0][21] = 0x8000;
    filter->showPortFilters (20);
    EXPECT_TRUE (channel (1).getToggleState());
    filter->showPortFilters (21);
    EXPECT_FALSE (channel (1).getToggleState());
    EXPECT_TRUE (channel (16).getToggleState());
}

TEST_F (FilterTab, ClicksChangeTheChosenEntryOfTheCurrentPresetAndMarkIt)
{
    build (productCalder, "Calder Pro", 4, 2);
    device().currentPreset = 3;
    choose (4);

    channel (5).triggerClick();
    toggle ("Program Change").triggerClick();
    pump (30);

    EXPECT_EQ (device().filterChannels[3][2], 0x0010);
    EXPECT_EQ (device().filterStatus[3][2], 1u << 3);
    EXPECT_TRUE (channel (5).getToggleState()) << "shown from the model";
    EXPECT_TRUE (device().pendingRequests.isWrite (kindChannelFilter, 2));
    EXPECT_TRUE (device().pendingRequests.isWrite (kindMessageFilter, 2));
    EXPECT_TRUE (filter->isTimerRunning()) << "the writes wait for the debounce";
}

TEST_F (FilterTab, BusyTabLetsThePortChangeAndChoosingAPortMakesItIdle)
{
    build (productCalder, "Calder Pro", 4, 2);
    choose (2);
    filter->updateEnablement (editorBusy);

    EXPECT_TRUE (portList().isEnabled());
    EXPECT_FALSE (channel (3).isEnabled());
    EXPECT_FALSE (buttonWithText<juce::TextButton> (*filter, "Reset all filters").isEnabled());

    choose (3);
    EXPECT_EQ (filter->lastEnablementMode, editorIdle);
    EXPECT_TRUE (channel (3).isEnabled());

    // With only the bootloader answering nothing can be used, whatever the mode.
    device().deviceMode = 0;
    filter->updateEnablement (editorIdle);
    EXPECT_FALSE (portList().isEnabled());
    EXPECT_FALSE (channel (3).isEnabled());
}

TEST_F (FilterTab, ResetWithoutSendingLeavesNoPortChosenAndItsButtonsOff)
{
    build (productCalder, "Calder Pro", 4, 2);
    device().filterChannels[0][4] = 0x00FF;
    choose (6);
    ASSERT_TRUE (channel (1).getToggleState());

    filter->resetFilters (false, false);

    EXPECT_EQ (device().filterChannels[0][4], 0);
    EXPECT_EQ (filter->getSelectedEntry(), -1);
    EXPECT_FALSE (channel (1).getToggleState());
    EXPECT_FALSE (channel (1).isEnabled());
    EXPECT_FALSE (device().pendingRequests.hasAny (kindChannelFilter));
}

TEST_F (FilterTab, HostRecordAndCustomNameRenameTheirItemOnly)
{
    build (productCalder, "Calder Pro", 4, 2);
    choose (14);    // output 1, entry 12

    // Host record 9 is the host output of slot 1: output 1, entry 12, the item at position 12.
    auto& record = device().usbHostDevices[9];
    record.deviceHandle = 3;
    record.cableIndex = 0;
    std::strcpy (record.name, "Drum Pads");
    filter->updateHostPortName (9);

    EXPECT_EQ (portList().getItemText (12), "Drum Pads-1");
    EXPECT_EQ (portList().getItemId (12), 14);
    EXPECT_EQ (portList().getText(), "Drum Pads-1") << "the chosen item shows its new name";
    EXPECT_EQ (filter->getSelectedEntry(), 12);

    // A custom name the user gave input 3.
    ui.properties[device().serialText + "::USB-A Host In 4"] = "Left Keys";
    filter->updatePortName (3);
    EXPECT_EQ (portList().getItemText (3), "Left Keys");
    EXPECT_EQ (portList().getItemText (4), "USB-A Host In 5");
    EXPECT_EQ (filter->getSelectedEntry(), 12);

    filter->updatePortName (22);   // beyond the items: nothing happens
    EXPECT_EQ (portList().getNumItems(), 22);
}

TEST_F (FilterTab, HostOutputBelowFirmware055HasNoItemToRename)
{
    build (productCalder, "Calder Pro", 0, 5);
    auto& record = device().usbHostDevices[9];
    record.deviceHandle = 3;
    std::strcpy (record.name, "Drum Pads");

    filter->updateHostPortName (9);

    juce::StringArray texts;
    for (int i = 0; i < portList().getNumItems(); ++i)
        texts.add (portList().getItemText (i));
    EXPECT_FALSE (texts.joinIntoString ("|").contains ("Drum Pads"));
}

TEST_F (FilterTab, LargestProductsShowTheirLastOutputsDisabledWithTheirReason)
{
    build (productNorrim, "Norrim Pro", 4, 5);

    EXPECT_EQ (portList().getNumItems(), 88);

    for (int entry : { 71, 72, 87 })
    {
        const int id = entry + 2;
        const bool held = entry < MidiController::numFilterEntries;
        EXPECT_EQ (portList().isItemEnabled (id), held) << entry;
        EXPECT_EQ (UnavailablePortMenuItem::getTooltipOfItem (portList(), id),
                   held ? juce::String() : juce::String ("Not available on this product")) << entry;
    }

    // Renaming an unavailable output keeps it unavailable.
    filter->updatePortName (80);
    EXPECT_FALSE (portList().isItemEnabled (82));
    EXPECT_EQ (UnavailablePortMenuItem::getTooltipOfItem (portList(), 82), "Not available on this product");
}

TEST_F (FilterTab, ResetWritesTheFirstChannelWordAtOnceAndBelow055MarksTheInputsOnly)
{
    struct Case { int major, minor; int entries; };

    for (auto c : { Case { 1, 1, 30 }, Case { 0, 5, 15 } })
    {
        build (productDorvin, "Dorvin BC", c.major, c.minor);
        sent->clear();
        device().pendingRequests.clearAll();
        device().waitingForReply = 0;
        device().filterChannels[0][3] = 0x00FF;
        choose (5);

        buttonWithText<juce::TextButton> (*filter, "Reset all filters").triggerClick();
        pump (30);

        EXPECT_EQ (device().filterChannels[0][3], 0);
        EXPECT_TRUE (ui.statusTexts.contains ("Writing filter settings..."));
        ASSERT_EQ (sent->size(), 1) << "the first write goes out at once";
        EXPECT_EQ (hexBytes (sent->getFirst()).substring (0, 29), "F0 00 4B 1D 0F 1F 03 01 01 00");

        int marked = 0;
        for (int item = 0; item < PendingRequests::numItems; ++item)
            marked += device().pendingRequests.isWrite (kindMessageFilter, item) ? 1 : 0;
        EXPECT_EQ (marked, c.entries) << c.major << "." << c.minor;
        EXPECT_TRUE (device().pendingRequests.isWrite (kindChannelFilter, c.entries - 1));
        EXPECT_FALSE (device().pendingRequests.isPending (kindChannelFilter, c.entries));
        EXPECT_EQ (filter->getSelectedEntry(), -1);
    }
}
