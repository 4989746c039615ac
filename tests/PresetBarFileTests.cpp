#include "support/PresetBarTestSupport.h"

/* Preset files through the preset bar, against a simulated product: Load and Save as the user
   presses them (the file dialog answered by the test), and the save prompt at quit. Every test
   builds a main component: one per process. */

using PresetBarFiles = PresetBarFixture;

TEST_F (PresetBarFiles, ALoadWritesExactlyTheChangedItemsInTheirOrder)
{
    auto product = connect();
    main->showFullSettings();
    const auto file = folder.folder.getChildFile ("Set.pvp");
    saveTo (file);
    ASSERT_TRUE (runChainToEnd());
    product->clearLogs();

    editFile (file, [] (juce::DynamicObject& f)
    {
        f.setProperty ("PresetName", "Chorus");
        setArrayValue (f, "Router", 3, "7");
        setArrayValue (f, "FilterChannels", 4, "1");
        setArrayValue (f, "FilterStatus", 40, "2");
        f.getProperty ("Mapper")[6].getDynamicObject()->setProperty ("cfg3", "3");
        f.setProperty ("PresetSetting", "0100C3A5");
        f.setProperty ("TrsType", "FFFFFFFE");
        f.setProperty ("Power-Down", "16A");
    });

    const int refreshesBefore = main->getFullMap()->refreshCount;
    loadFrom (file);
    EXPECT_GT (main->getFullMap()->refreshCount, refreshesBefore);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsOf (*product), lines ({ "write 7/1", "write 0/3", "write 1/4", "write 2/40", "write 3/6",
                                                     "write 4/0", "write 5/0", "write 10/0" }));
    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.routerMasks[1][3], 7u);
    EXPECT_EQ (store.presetSetting, 0x0100C3A1u) << "the preset loaded stays the product's preset";
    EXPECT_EQ (selector().getText(), "Chorus");
    EXPECT_EQ (presets().fileLabel.getText(), "Set.pvp");
    EXPECT_FALSE (presets().buttonSaveSinglePreset.isEnabled()) << "the preset now equals its file";
    EXPECT_TRUE (main->boxes.isEmpty()) << main->boxes.joinIntoString ("\n");
}

TEST_F (PresetBarFiles, ARoundTripSendsNothingAndLeavesSaveDisabled)
{
    auto product = connect();
    const auto file = folder.folder.getChildFile ("Trip.pvp");
    EXPECT_TRUE (presets().buttonSaveSinglePreset.isEnabled()) << "a preset without a file counts as modified";

    saveTo (file);
    ASSERT_TRUE (runChainToEnd());
    EXPECT_EQ (requestsOf (*product), "write 7/1") << "the preset takes the file's name";
    EXPECT_EQ (presets().fileLabel.getText(), "Trip");
    EXPECT_FALSE (presets().buttonSaveSinglePreset.isEnabled());

    // A change makes Save active again; the file's load takes it back.
    device().routerMasks[1][0] ^= 1;
    main->setEditorsEnabled (true);
    EXPECT_TRUE (presets().buttonSaveSinglePreset.isEnabled());
    device().routerMasks[1][0] ^= 1;
    product->clearLogs();

    loadFrom (file);
    pump (200);

    EXPECT_EQ (requestsOf (*product), "");
    EXPECT_TRUE (pendingTableIsEmpty (device()));
    EXPECT_FALSE (presets().buttonSaveSinglePreset.isEnabled());
    EXPECT_EQ (presets().fileLabel.getText(), "Trip.pvp");
    EXPECT_EQ (dialogs.back().title, "Load preset from file...");
    EXPECT_FALSE (dialogs.back().saving);
    EXPECT_EQ (main->getDeviceProperty (device().serialText, "Preset 2"), juce::URL (file).toString (false));
}

TEST_F (PresetBarFiles, ARefusedSaveShowsItsErrorAndChangesNothing)
{
    auto product = connect();

    struct Case { const char* name; juce::File target; juce::String error, warning; };
    const Case cases[] = {
        { "a name of 17 characters", folder.folder.getChildFile ("abcdefghijklmnopq.pvp"),
          "Error: The file name must contain only ASCII (no accent, no special character) and be limited to 16 chars",
          "Please use 16 chars max" },
        { "a folder that does not exist", folder.folder.getChildFile ("missing").getChildFile ("Set.pvp"),
          "Error: Cannot create output file", "" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        main->boxes.clear();
        presets().showMessage ({});
        const auto records = PresetFileTest::recordsImage (presets().fileRecords);

        saveTo (c.target);

        EXPECT_EQ (main->boxes, juce::StringArray (c.error));
        EXPECT_EQ (presets().messageLabel.isVisible() ? presets().messageLabel.getText() : juce::String(), c.warning);
        EXPECT_FALSE (c.target.exists());
        EXPECT_EQ (PresetFileTest::recordsImage (presets().fileRecords), records);
        EXPECT_EQ (presets().fileLabel.getText(), "-");
    }

    pump (100);
    EXPECT_EQ (requestsOf (*product), "");
}

TEST_F (PresetBarFiles, AnOldFormatFileIsWrittenConvertedAndOffersASaveWithTheNewFormat)
{
    auto product = connect();
    const auto file = folder.folder.getChildFile ("Old.pvp");
    saveTo (file);
    ASSERT_TRUE (runChainToEnd());
    product->clearLogs();

    editFile (file, [] (juce::DynamicObject& f) { f.getProperty ("Mapper")[2].getDynamicObject()->setProperty ("cfg2", "77FF1234"); });
    answerFile = juce::File();
    const auto dialogsBefore = dialogs.size();
    presets().loadPresetFile (juce::URL (file), -1, true);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsOf (*product), "write 3/2");
    EXPECT_EQ (product->getProduct().getSettings().mappers[1][2].cfg2, 0x5A001234u);
    ASSERT_EQ (dialogs.size(), dialogsBefore + 1);
    EXPECT_EQ (dialogs.back().title, "Update preset file with new format...");
    EXPECT_TRUE (dialogs.back().saving);
    EXPECT_EQ (dialogs.back().initialFile.getFileName(), "Old.pvp");
}

TEST_F (PresetBarFiles, ARejectedFileChangesNothingAndNeverBecomesThePresetsFile)
{
    auto product = connect();
    const auto model = PresetFileTest::modelImage (device());
    const auto labelBefore = presets().fileLabel.getText();

    struct Case { const char* name; juce::String text, error; };
    const Case cases[] = {
        { "another product",    "{ \"ProductID\": \"2A\", \"PresetName\": \"X\", \"Router\": [ \"1\" ] }",
                                "Error: ProductID does not match connected product" },
        { "a bad array",        "{ \"ProductID\": \"26\", \"PresetName\": \"X\", \"Router\": [ \"1\" ], \"FilterStatus\": 5 }",
                                "Error: Filter Status not found in settings file" },
        { "no JSON",            "ProductID", "Error: ProductID not found in settings file" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        main->boxes.clear();
        const auto file = folder.folder.getChildFile ("Bad.pvp");
        file.replaceWithText (c.text);

        loadFrom (file);
        pump (100);

        EXPECT_EQ (main->boxes, juce::StringArray (c.error));
        EXPECT_EQ (PresetFileTest::modelImage (device()), model);
        EXPECT_TRUE (pendingTableIsEmpty (device()));
        EXPECT_EQ (presets().presetFileUrls[1], "");
        EXPECT_EQ (presets().fileLabel.getText(), labelBefore);
    }

    EXPECT_EQ (requestsOf (*product), "");
}

TEST_F (PresetBarFiles, ALoadLeavesTheEditsOtherEditorsStillHold)
{
    auto product = connect();
    const auto file = folder.folder.getChildFile ("Held.pvp");
    saveTo (file);
    ASSERT_TRUE (runChainToEnd());
    product->clearLogs();

    // A host port reservation, which no preset file carries, waits in its editor's debounce.
    HeldEditEditor usbPorts;
    main->editorPanels.add (&usbPorts);
    device().portReservations[2] = { 0x12345678, 0x0003 };
    usbPorts.hold (kindPortReservation, 2);
    editFile (file, [] (juce::DynamicObject& f) { setArrayValue (f, "FilterChannels", 9, "3"); });

    loadFrom (file);
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsOf (*product), lines ({ "write 9/2", "write 1/9" }));
    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.portReservations[2].vidPid, 0x12345678);
    EXPECT_EQ (store.filterChannels[1][9], 3);
    main->editorPanels.removeFirstMatchingValue (&usbPorts);
}

TEST_F (PresetBarFiles, OversizedArraysOnANorrimStayWithinTheTables)
{
    auto product = connect (productNorrim, { 4, 5 });
    const auto file = folder.folder.getChildFile ("Big.pvp");

    auto texts = [] (int count, const char* value)
    {
        juce::Array<juce::var> values;
        for (int i = 0; i < count; ++i)
            values.add (value);
        return juce::var (values);
    };

    juce::Array<juce::var> mappers;
    for (int m = 0; m < 40; ++m)
    {
        juce::DynamicObject::Ptr mapper (new juce::DynamicObject());
        mapper->setProperty ("cfg1", "11");
        mapper->setProperty ("cfg2", "5A000000");
        mappers.add (juce::var (mapper.get()));
    }

    juce::DynamicObject::Ptr big (new juce::DynamicObject());
    big->setProperty ("ProductID", "2A");
    big->setProperty ("PresetName", "Big");
    big->setProperty ("Router", texts (100, "5"));
    big->setProperty ("FilterChannels", texts (200, "6"));
    big->setProperty ("FilterStatus", texts (200, "7"));
    big->setProperty ("Mapper", mappers);
    file.replaceWithText (juce::JSON::toString (juce::var (big.get())));

    loadFrom (file);
    ASSERT_TRUE (runChainToEnd (30000));

    const auto requests = juce::StringArray::fromLines (requestsOf (*product));
    auto count = [&requests] (int kind)
    {
        int n = 0;
        for (auto& r : requests)
            n += r.startsWith ("write " + juce::String (kind) + "/") ? 1 : 0;
        return n;
    };

    EXPECT_EQ (count (kindRouter), MidiController::numRouterRows);
    EXPECT_EQ (count (kindChannelFilter), MidiController::numFilterEntries);
    EXPECT_EQ (count (kindMessageFilter), MidiController::numFilterEntries);
    EXPECT_EQ (count (kindMapper), MidiController::numMapperSlots);

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.routerMasks[1][35], 5u);
    EXPECT_NE (store.routerMasks[1][36], 5u) << "rows beyond the tables are not taken";
    EXPECT_EQ (store.filterStatus[1][71], 7u);
    EXPECT_EQ (store.mappers[1][23].cfg1, 0x11u);
}

//==============================================================================
class PresetBarQuit : public PresetBarFixture
{
protected:
    static bool quitRequested() { return juce::MessageManager::getInstance()->hasStopMessageBeenSent(); }
};

TEST_F (PresetBarQuit, WithNothingModifiedTheToolQuitsWithoutAsking)
{
    connect();
    ASSERT_TRUE (presets().buttonSaveSinglePreset.isEnabled()) << "modified, but without a file to write";

    presets().confirmSaveOnQuit();

    EXPECT_TRUE (main->boxes.isEmpty());
    EXPECT_TRUE (quitRequested());
}

/** The answer to the prompt, and whether the changed preset's file is then written. */
struct QuitAnswer
{
    const char* answer;
    bool written;
};

class PresetBarQuitAnswer : public PresetBarQuit,
                            public ::testing::WithParamInterface<QuitAnswer>
{
};

TEST_P (PresetBarQuitAnswer, DecidesWhetherChangedPresetsAreWrittenBeforeQuitting)
{
    connect();
    const auto file = folder.folder.getChildFile ("Quit.pvp");
    saveTo (file);
    ASSERT_TRUE (runChainToEnd());
    const auto saved = file.loadFileAsString();

    // An edit whose debounce has not fired yet counts too.
    device().routerMasks[1][2] ^= 0x10;
    presets().confirmSaveOnQuit();

    ASSERT_EQ (main->boxes.size(), 1);
    EXPECT_TRUE (main->boxes[0].startsWith ("One or more preset have changed and were not saved into the presets file(s)"));
    EXPECT_EQ (main->openBoxes.front().options.getTitle(), "Save presets file(s)");
    EXPECT_FALSE (quitRequested());

    ASSERT_TRUE (main->answerBox (GetParam().answer));
    EXPECT_TRUE (quitRequested());

    const auto routerText = juce::JSON::parse (file)["Router"][2].toString();
    EXPECT_EQ (routerText == juce::String::toHexString (device().routerMasks[1][2]).toUpperCase(), GetParam().written) << routerText;
    EXPECT_EQ (file.loadFileAsString() == saved, ! GetParam().written);
}

INSTANTIATE_TEST_SUITE_P (Answers, PresetBarQuitAnswer,
                          ::testing::Values (QuitAnswer { "No", false }, QuitAnswer { "Yes, save file(s)", true }),
                          [] (const auto& info) { return std::string (info.param.written ? "Yes" : "No"); });
