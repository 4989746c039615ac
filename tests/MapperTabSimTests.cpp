// The "MIDI Mapper" tab in the application against a simulated product. Every test builds a main
// component, which deletes the device object when it goes: run them through ctest (one process per
// test) or one at a time.

#include "support/SimTestSupport.h"
#include "support/ComponentSearch.h"
#include "support/PanelText.h"

using namespace ComponentSearch;

namespace
{
    juce::uint32 now() { return juce::Time::getMillisecondCounter(); }

    void choose (juce::ComboBox& list, int position)   { list.setSelectedId (position + 1, juce::sendNotificationSync); }
}

class MapperTabAgainstProduct : public SimulatedAppFixture
{
protected:
    /** Plugs in a product and waits until it is read. */
    void connect (int code, int major, int minor)
    {
        SimulatedProduct::Config config;
        config.productCode = code;
        config.hostFirmware = { major, minor };
        product = addProduct (config);

        ASSERT_TRUE (pumpUntilReadEnds (15000)) << main->statusLabel->getText();
        pump (200);
        ASSERT_EQ (mapper().lastEnablementMode, editorIdle);
        product->getProduct().clearAppliedWrites();
    }

    Mapper& mapper()                         { return *main->getMapper(); }
    juce::TabbedComponent& pages()           { return *childrenOfType<juce::TabbedComponent> (mapper())[0]; }
    MapperObject& page (int slot)            { return *mapper().getMapperPages()[slot]; }

    /** Shows a page and makes its mapper valid: "Note On" to "Note Off" on USB-host input 1. */
    void editValidly (int slot)
    {
        pages().setCurrentTabIndex (slot);
        auto& p = page (slot);
        choose (*p.inStatusCombo, 0);
        choose (*p.inputPortCombo, 0);
        choose (*p.outStatusCombo, 1);
        ASSERT_EQ (p.validate(), 0) << p.statusText->getText();
    }

    std::vector<ObservedPortSystem::Sent> mapperWrites() const
    {
        return ports->getSentRequests (-1, SYSX_TYPE_WRITE, kindMapper);
    }

    juce::StringArray appliedWrites (int kind) const
    {
        juce::StringArray lines;

        for (auto& w : product->getProduct().getAppliedWrites())
            if (w.kind == kind)
                lines.add ("item " + juce::String (w.item));

        return lines;
    }

    bool waitUntilIdle (int timeoutMs)
    {
        return pumpUntil ([this] { return device().waitingForReply == 0 && device().getFirstPendingKind() == 0xFF
                                            && main->statusLabel->getText() == "-"; }, timeoutMs);
    }

    std::shared_ptr<SimulatedProductRunner> product;
};

TEST_F (MapperTabAgainstProduct, ValidEditIsWrittenOnceASecondAfterTheLastEditAndAnInvalidOneNever)
{
    connect (productJorvek, 4, 5);
    pages().setCurrentTabIndex (0);
    auto& p = page (0);

    // Only an input status: the output status is missing, nothing may be written.
    choose (*p.inStatusCombo, 0);
    EXPECT_EQ (p.statusText->getText(), "\nSelect an output message status to map to");
    pump (1500);
    EXPECT_TRUE (mapperWrites().empty());

    choose (*p.inputPortCombo, 3);
    choose (*p.outStatusCombo, 2);
    const auto lastEdit = now();
    ASSERT_EQ (p.validate(), 0) << p.statusText->getText();

    ASSERT_TRUE (pumpUntil ([this] { return ! mapperWrites().empty(); }, 3000));
    const auto delay = (int) (mapperWrites().front().time - lastEdit);
    EXPECT_GE (delay, 850);
    EXPECT_LE (delay, 1400);

    ASSERT_TRUE (waitUntilIdle (3000));
    pump (300);
    ASSERT_EQ (mapperWrites().size(), 1u);
    EXPECT_EQ (mapperWrites().front().message.getRawDataSize(), 42);

    const auto writes = product->getProduct().getAppliedWrites();
    ASSERT_EQ (writes.size(), 1);
    EXPECT_EQ (writes[0].item, 0);

    const auto& record = device().mapperRecords[0][0];
    juce::Array<juce::uint32> words;
    for (int w = 0; w < 6; ++w)
        words.add (record.getWord (w));
    EXPECT_EQ (writes[0].values, words);
    EXPECT_EQ (record.cfg3, 1u << 3);
    EXPECT_EQ ((record.cfg1 >> 20) & 0x0F, 2u) << "\"Ctrl Change\"";
}

TEST_F (MapperTabAgainstProduct, EditsOnTwoPagesAreBothWritten)
{
    connect (productJorvek, 4, 5);

    editValidly (1);
    editValidly (6);

    ASSERT_TRUE (pumpUntil ([this] { return appliedWrites (kindMapper).size() >= 2; }, 4000));
    ASSERT_TRUE (waitUntilIdle (3000));
    EXPECT_EQ (appliedWrites (kindMapper), juce::StringArray ({ "item 1", "item 6" }));
    EXPECT_EQ (product->getProduct().getSettings().mappers[0][6].cfg3, 1u);
}

TEST_F (MapperTabAgainstProduct, ResetOfAllMappersIsWrittenAtOnce)
{
    connect (productJorvek, 4, 5);
    device().mapperRecords[0][9].cfg3 = 0x10;

    const auto clicked = now();
    buttonWithText<juce::TextButton> (mapper(), "Reset all mappers").triggerClick();

    ASSERT_TRUE (pumpUntil ([this] { return ! mapperWrites().empty(); }, 2000));
    EXPECT_LT ((int) (mapperWrites().front().time - clicked), 400) << "without the debounce";
    EXPECT_TRUE (main->statusWasShown ("Writing mapper settings..."));

    ASSERT_TRUE (pumpUntil ([this] { return appliedWrites (kindMapper).size() >= 24; }, 8000));
    ASSERT_TRUE (waitUntilIdle (3000));

    juce::StringArray expected;
    for (int item = 0; item < 24; ++item)
        expected.add ("item " + juce::String (item));
    EXPECT_EQ (appliedWrites (kindMapper), expected);
    EXPECT_EQ (product->getProduct().getSettings().mappers[0][9].cfg3, 0u);
    EXPECT_EQ (product->getProduct().getSettings().mappers[0][9].cfg2, 0x5A000187u);
}

TEST_F (MapperTabAgainstProduct, NoMapperTrafficBelowFirmware055)
{
    SimulatedProduct::Config config;
    config.productCode = productCalder;
    config.hostFirmware = { 0, 5 };
    product = addProduct (config);

    // Such a product is identified but not read.
    ASSERT_TRUE (pumpUntil ([this] { return main->statusWasShown ("Firmware must be updated"); }, 15000));
    pump (300);

    // Whatever the page and the resets are made to do, nothing of the mapper kind goes out.
    pages().setCurrentTabIndex (2);
    auto& p = page (2);
    choose (*p.inStatusCombo, 0);
    choose (*p.inputPortCombo, 0);
    choose (*p.outStatusCombo, 1);
    mapper().scheduleMapperWrite();
    mapper().resetMappers (true, false, true);
    mapper().resetMappers (true, false, false);
    pump (1500);

    for (int type : { SYSX_TYPE_READ, SYSX_TYPE_WRITE })
        EXPECT_TRUE (ports->getSentRequests (-1, type, kindMapper).empty()) << "type " << type;
    EXPECT_TRUE (appliedWrites (kindMapper).isEmpty());
    EXPECT_FALSE (main->statusWasShown ("Writing mapper settings..."));
}

TEST_F (MapperTabAgainstProduct, CurveEditorReadsTheFourCurvesOncePerConnection)
{
    connect (productJorvek, 4, 5);
    auto& button = buttonWithText<juce::TextButton> (mapper(), "Edit curves");
    EXPECT_TRUE (ports->getSentRequests (-1, SYSX_TYPE_READ, kindVelocityCurve).empty()) << "not read with the settings";

    button.triggerClick();
    ASSERT_TRUE (pumpUntil ([this] { return ports->getSentRequests (-1, SYSX_TYPE_READ, kindVelocityCurve).size() >= 4; }, 4000));
    ASSERT_TRUE (waitUntilIdle (3000));

    juce::StringArray items;
    for (auto& s : ports->getSentRequests (-1, SYSX_TYPE_READ, kindVelocityCurve))
        items.add (juce::String (s.message.getRawData()[9]));
    EXPECT_EQ (items.joinIntoString (" "), "0 1 2 3");
    EXPECT_EQ (button.getButtonText(), "Close curve editor");

    button.triggerClick();
    pump (50);
    button.triggerClick();
    pump (500);
    EXPECT_EQ (ports->getSentRequests (-1, SYSX_TYPE_READ, kindVelocityCurve).size(), 4u);
}

TEST_F (MapperTabAgainstProduct, CalderTabAndItsFirstPageShowTheirTextsOnScreen)
{
    connect (productCalder, 4, 2);
    main->tabs->setCurrentTabIndex (1);

    EXPECT_EQ (pages().getNumTabs(), 16);
    auto& tab = mapper();
    ASSERT_TRUE (tab.isVisible());
    const auto image = tab.createComponentSnapshot (tab.getLocalBounds());

    if (! PanelText::isAvailable())
        return;

    const auto folder = juce::File::createTempFile ("mapper-ocr");
    folder.createDirectory();

    {
        juce::FileOutputStream out (folder.getChildFile ("tab.png"));
        juce::PNGImageFormat().writeImageToStream (image, out);
    }

    // The light tab bar and buttons confuse the reading of the whole panel: the title strip, the
    // page's inputs and its configuration are read apart, by brightness (the titles are coral, the
    // disabled inputs red).
    auto& p = page (0);
    const auto pageArea = p.getBounds() + pages().getPosition();
    const auto configTop = pageArea.getY() + juce::roundToInt (p.getHeight() * 0.25) - 14;
    const auto titleStrip = image.getBounds().withTop (buttonWithText<juce::TextButton> (tab, "Edit curves").getBottom() + 2)
                                             .withBottom (pages().getY() - 1);
    const auto text = readPanelText (image, titleStrip, PanelText::colouredOnDark, false, folder)
                    + readPanelText (image, pageArea.withBottom (configTop), PanelText::colouredOnDark, false, folder)
                    + readPanelText (image, pageArea.withTop (configTop), PanelText::colouredOnDark, false, folder);

    for (auto* expected : { "Mappers", "Inputs", "Mapper Status", "Config", "Disable inputs", "Message", "Channel",
                            "Value 1", "Value 2", "Keep original", "Transpose channel", "Compress/Expand" })
        EXPECT_TRUE (text.contains (expected)) << expected << " not read in:\n" << text;

    for (auto* name : { "Reset all mappers", "Reset selected mapper", "Edit curves" })
    {
        auto& button = buttonWithText<juce::TextButton> (tab, name);
        EXPECT_TRUE (readPanelText (image, button.getBounds().reduced (2), false, true, folder).contains (name)) << name;
    }

    const auto list = p.inputPortCombo->getBounds().reduced (2).withTrimmedRight (p.inputPortCombo->getHeight())
                        + p.getPosition() + pages().getPosition();
    EXPECT_TRUE (readPanelText (image, list, false, true, folder).contains ("Select USB / MIDI input to map"));

    if (! HasFailure())
        folder.deleteRecursively();
}
