// The "MIDI Filter" tab in the application against a simulated product. Every test builds a main
// component, which deletes the device object when it goes: run them through ctest (one process per
// test) or one at a time.

#include "support/SimTestSupport.h"
#include "support/ComponentSearch.h"
#include "support/PanelText.h"
#include "editors/Lfo.h"

using namespace ComponentSearch;

namespace
{
    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }

    juce::String describe (const SimulatedProduct::AppliedWrite& write)
    {
        return "kind " + juce::String (write.kind) + " item " + juce::String (write.item);
    }

    juce::StringArray describeWrites (const juce::Array<SimulatedProduct::AppliedWrite>& writes)
    {
        juce::StringArray lines;

        for (auto& w : writes)
            lines.add (describe (w));

        return lines;
    }
}

class FilterTabAgainstProduct : public SimulatedAppFixture
{
protected:
    /** Plugs in a product whose store holds the given filter words in preset 0 and waits until it is read. */
    void connect (int code, int major, int minor, juce::uint16 channelWord = 0, juce::uint32 messageWord = 0)
    {
        SimulatedProduct::Config config;
        config.productCode = code;
        config.hostFirmware = { major, minor };
        product = addProduct (config);

        auto settings = product->getProduct().getSettings();
        for (int entry = 0; entry < SimulatedProduct::Settings::maxFilterEntries; ++entry)
        {
            settings.filterChannels[0][entry] = channelWord;
            settings.filterStatus[0][entry] = messageWord;
        }
        product->getProduct().setSettings (settings);

        ASSERT_TRUE (pumpUntil ([this, code]
        {
            return device().productCode == code && filter().getSelectedEntry() == -1 && portList().getNumItems() > 0
                     && device().waitingForReply == 0 && device().getFirstPendingKind() == 0xFF
                     && main->statusLabel->getText() == "-";
        }, 15000)) << main->statusLabel->getText();

        pump (200);
        ASSERT_EQ (filter().lastEnablementMode, editorIdle);
        product->getProduct().clearAppliedWrites();
    }

    Filter& filter()                                 { return *main->getFilter(); }
    juce::ComboBox& portList()                       { return *childrenOfType<juce::ComboBox> (filter())[0]; }
    juce::TextButton& channel (int number)           { return buttonWithText<juce::TextButton> (filter(), juce::String (number)); }
    juce::ToggleButton& toggle (const char* caption) { return buttonWithText<juce::ToggleButton> (filter(), caption); }
    juce::TextButton& resetButton()                  { return buttonWithText<juce::TextButton> (filter(), "Reset all filters"); }

    void choose (int itemId)                         { portList().setSelectedId (itemId, juce::sendNotificationSync); }
    /** A click, as the framework delivers it. */
    void click (juce::Button& button)                { button.triggerClick(); pump (20); }

    bool waitForWrites (int count, int timeoutMs)
    {
        return pumpUntil ([this, count] { return product->getProduct().getAppliedWrites().size() >= count; }, timeoutMs);
    }

    std::vector<ObservedPortSystem::Sent> writesSent (int kind) const
    {
        return ports->getSentRequests (-1, SYSX_TYPE_WRITE, kind);
    }

    std::shared_ptr<SimulatedProductRunner> product;
};

TEST_F (FilterTabAgainstProduct, ChannelClickedTwiceWritesTheUnchangedWordOnceASecondLater)
{
    connect (productJorvek, 4, 5, 0x0101);
    choose (2);
    ASSERT_TRUE (channel (1).getToggleState());

    click (channel (5));
    pump (300);
    const auto secondClick = now();
    click (channel (5));

    ASSERT_TRUE (pumpUntil ([this] { return ! writesSent (kindChannelFilter).empty(); }, 3000));
    // The framework's timers may fire some tens of milliseconds early.
    const auto delay = (int) (writesSent (kindChannelFilter).front().time - secondClick);
    EXPECT_GE (delay, 850);
    EXPECT_LE (delay, 1400);

    pump (1500);
    const auto writes = product->getProduct().getAppliedWrites();
    ASSERT_EQ (writes.size(), 1) << describeWrites (writes).joinIntoString (", ");
    EXPECT_EQ (describe (writes[0]), "kind 1 item 0");
    EXPECT_EQ (writes[0].values, juce::Array<juce::uint32> { 0x0101 });
    EXPECT_EQ (main->statusLabel->getText(), "-");
    EXPECT_EQ (filter().lastEnablementMode, editorIdle);
}

TEST_F (FilterTabAgainstProduct, ControlChangeToggleWritesItsExactRequest)
{
    connect (productJorvek, 4, 5);
    choose (2);

    click (toggle ("Control Change"));
    ASSERT_TRUE (waitForWrites (1, 3000));

    const auto sent = writesSent (kindMessageFilter);
    ASSERT_EQ (sent.size(), 1u);
    EXPECT_EQ (hexBytes (sent.front().message), "F0 00 4B 1D 0F 26 03 02 01 00 00 01 00 00 00 07 F7");
    EXPECT_EQ (sent.front().message.getRawDataSize(), 17);
    EXPECT_EQ (product->getProduct().getSettings().filterStatus[0][0], 1u << 4);
}

TEST_F (FilterTabAgainstProduct, ChannelThenMessageOnAnotherPortWritesTheChannelWordFirst)
{
    connect (productJorvek, 4, 5);

    choose (5);     // input 3, entry 3
    click (channel (2));
    choose (7);     // input 5, entry 5
    click (toggle ("Clock"));

    ASSERT_TRUE (waitForWrites (2, 4000));
    pump (300);

    const auto writes = product->getProduct().getAppliedWrites();
    EXPECT_EQ (describeWrites (writes), juce::StringArray ({ "kind 1 item 3", "kind 2 item 5" }));
    EXPECT_EQ (writes[0].values, juce::Array<juce::uint32> { 0x0002 });
    EXPECT_EQ (writes[1].values, juce::Array<juce::uint32> { 1u << 12 });
}

TEST_F (FilterTabAgainstProduct, ResetOnTheDorvinWritesEveryPortAtOnce)
{
    connect (productDorvin, 1, 1, 0xFFFF, 0x3FFFF);
    choose (3);
    const auto clicked = now();
    click (resetButton());

    EXPECT_TRUE (main->statusWasShown ("Writing filter settings..."));
    ASSERT_FALSE (writesSent (kindChannelFilter).empty());
    EXPECT_LT ((int) (writesSent (kindChannelFilter).front().time - clicked), 300) << "written at once, without the debounce";
    EXPECT_EQ (filter().getSelectedEntry(), -1);

    ASSERT_TRUE (waitForWrites (60, 8000));
    ASSERT_TRUE (pumpUntil ([this] { return main->statusLabel->getText() == "-" && device().waitingForReply == 0; }, 3000));

    juce::StringArray expected;
    for (int kind : { 1, 2 })
        for (int item = 0; item < 30; ++item)
            expected.add ("kind " + juce::String (kind) + " item " + juce::String (item));

    const auto writes = product->getProduct().getAppliedWrites();
    EXPECT_EQ (describeWrites (writes).joinIntoString (", "), expected.joinIntoString (", "));
    EXPECT_TRUE (std::all_of (writes.begin(), writes.end(), [] (auto& w) { return w.values == juce::Array<juce::uint32> { 0 }; }));
    EXPECT_EQ (device().filterStatus[0][29], 0u);
}

TEST_F (FilterTabAgainstProduct, CalderTabShowsItsTextsOnScreen)
{
    connect (productCalder, 4, 2, 0x0011, 1u << 12);
    main->tabs->setCurrentTabIndex (0);
    choose (12);    // the MIDI input

    auto& tab = filter();
    ASSERT_TRUE (tab.isVisible());
    const auto image = tab.createComponentSnapshot (tab.getLocalBounds());

    // The coral bars under the headings.
    const int barY = juce::roundToInt (tab.getHeight() * 0.2377);
    EXPECT_EQ (image.getPixelAt (juce::roundToInt (tab.getWidth() * 0.1169), barY), juce::Colour (0xffff7f50));
    EXPECT_EQ (image.getPixelAt (juce::roundToInt (tab.getWidth() * 0.35), barY), juce::Colour (0xffff7f50));

    if (! PanelText::isAvailable())
        return;

    const auto folder = juce::File::createTempFile ("filter-ocr");
    folder.createDirectory();

    const auto panelText = readPanelText (image, image.getBounds(), true, false, folder);

    for (auto* expected : { "Channels", "Messages", "Common", "Realtime", "Input/Output", "Program Change", "Control Change",
                            "System Exclusive", "Midi Time Code", "Song Pointer Pos", "Active Sense", "System Reset" })
        EXPECT_TRUE (panelText.contains (expected)) << expected << " not read in:\n" << panelText;

    // Dark text on the light list and buttons, read within their outlines (the list without its arrow).
    const auto listText = portList().getBounds().reduced (2).withTrimmedRight (portList().getHeight());
    EXPECT_TRUE (readPanelText (image, listText, false, true, folder).contains ("MIDI In 1"));
    EXPECT_TRUE (readPanelText (image, resetButton().getBounds().reduced (2), false, true, folder).contains ("Reset all filters"));
    EXPECT_EQ (readPanelText (image, channel (5).getBounds().reduced (2), false, true, folder).trim(), "5");

    if (! HasFailure())
        folder.deleteRecursively();
}

//==============================================================================
using MainComponentAfterStartUp = SimulatedAppFixture;

TEST_F (MainComponentAfterStartUp, HasNeitherTheLfoNorTheAudioRouterTab)
{
    auto& tabs = *main->tabs;
    EXPECT_EQ (tabs.getTabNames(), juce::StringArray ({ "MIDI Filter", "MIDI Mapper", "MIDI Router", "Firmware", "Settings" }));
    EXPECT_TRUE (findAllOfType<Lfo> (*main).isEmpty());
    EXPECT_FALSE (device().pendingRequests.hasAny (kindLfo));
}
