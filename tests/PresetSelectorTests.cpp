#include "support/PresetBarTestSupport.h"
#include "settings/PresetName.h"
#include "routing/RouterMidi.h"
#include "routing/RouterListMidi.h"
#include "app/MainComponent.h"

/* The preset selector as the user meets it, against a simulated product: typing a name, renaming
   the active preset and choosing another one. Every test builds a main component: one per process. */

class PresetSelector : public PresetBarFixture
{
protected:
    /** A name editor such as the selector opens on a click on its text, listened to by the selector. */
    juce::TextEditor& openNameEditor()
    {
        nameEditor = std::make_unique<juce::TextEditor>();
        presets().presetSelector.editorShown (nullptr, *nameEditor);
        return *nameEditor;
    }

    /** Types one character after the other, each handled before the next. */
    void type (juce::TextEditor& editor, const juce::String& text)
    {
        for (auto c = text.getCharPointer(); ! c.isEmpty();)
        {
            editor.insertTextAtCaret (juce::String::charToString (c.getAndAdvance()));
            pump (20);
        }
    }

    /** Commits a text in the selector, as return in its name editor does. */
    void rename (const juce::String& name)
    {
        selector().setText (name, juce::sendNotificationSync);
        pump (50);
    }

    juce::String message() { return presets().messageLabel.isVisible() ? presets().messageLabel.getText() : juce::String(); }

    std::unique_ptr<juce::TextEditor> nameEditor;
};

TEST_F (PresetSelector, TypingKeepsOnlyWhatTheNameRuleAllowsAndSaysWhy)
{
    connect();

    struct Case { const char* name; juce::String typed, kept, warning; };
    const Case cases[] = {
        { "space, percent and tilde",  "a b%~",                          "a b%~",             "" },
        { "a slash",                   "ab/",                            "ab",                "Please use only ASCII chars" },
        { "a question mark",           "ab?c",                           "abc",               "Please use only ASCII chars" },
        { "a vertical bar",            "|x",                             "x",                 "Please use only ASCII chars" },
        { "an accented letter",        juce::String::fromUTF8 ("Caf\xc3\xa9"), "Caf",         "Please use only ASCII chars" },
        { "a 17th character",          "abcdefghijklmnopq",              "abcdefghijklmnop",  "Please use 16 chars max" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        presets().showMessage ({});
        auto& editor = openNameEditor();

        type (editor, c.typed);

        EXPECT_EQ (editor.getText(), c.kept);
        EXPECT_EQ (message(), c.warning);
    }

    // A warning goes 2000 ms after it came (once the earlier warnings' clearings are over).
    pump (2100);
    auto& editor = openNameEditor();
    type (editor, "?");
    EXPECT_EQ (message(), "Please use only ASCII chars");
    pump (1500);
    EXPECT_EQ (message(), "Please use only ASCII chars");
    EXPECT_TRUE (pumpUntil ([this] { return message().isEmpty(); }, 1500));

    EXPECT_TRUE (ports->getSentRequests (-1, SYSX_TYPE_WRITE, kindPresetName).empty()) << "typing alone writes nothing";
}

TEST_F (PresetSelector, ARenameIsWrittenOnceAndOnlyWhenTheNameChanged)
{
    auto product = connect();
    ASSERT_EQ (presets().getActivePreset(), 1);

    rename ("Chorus");
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsOf (*product), "write 7/1");
    EXPECT_EQ (selector().getItemText (1), "Chorus");
    EXPECT_EQ (selector().getText(), "Chorus");
    juce::uint32 words[4];
    packPresetName ("Chorus", words);
    EXPECT_TRUE (std::equal (std::begin (words), std::end (words), product->getProduct().getSettings().presetNames[1]));

    // The same name again, re-choosing the active item, and an emptied text that brings the name back.
    product->clearLogs();
    rename ("Chorus");
    selector().setSelectedItemIndex (1, juce::sendNotificationSync);
    rename ("");
    pump (100);

    EXPECT_EQ (selector().getText(), "Chorus");
    EXPECT_EQ (requestsOf (*product), "");
}

TEST_F (PresetSelector, BelowHostFirmware275NamesCanBeNeitherEditedNorWritten)
{
    auto product = connect (productJorvek, { 2, 7 });

    EXPECT_FALSE (selector().isTextEditable());

    // A save still names the preset after its file, in the model only.
    saveTo (folder.folder.getChildFile ("Stage.pvp"));
    ASSERT_TRUE (folder.folder.getChildFile ("Stage.pvp").existsAsFile());
    pump (200);

    EXPECT_EQ (PresetName::unpack (device().presetNames[1]), "Stage");
    EXPECT_EQ (selector().getText(), "Stage");
    EXPECT_EQ (requestsOf (*product), "");
}

TEST_F (PresetSelector, ChoosingAPresetWritesThePresetSettingAndShowsItsFile)
{
    auto product = connect();
    saveTo (folder.folder.getChildFile ("One.pvp"));
    ASSERT_TRUE (runChainToEnd());
    EXPECT_EQ (presets().fileLabel.getText(), "One");
    product->clearLogs();

    selector().setSelectedItemIndex (3, juce::sendNotificationSync);
    EXPECT_EQ (presets().fileLabel.getText(), "-");
    ASSERT_TRUE (runChainToEnd());

    const auto requests = juce::StringArray::fromLines (requestsOf (*product));
    ASSERT_FALSE (requests.isEmpty());
    EXPECT_EQ (requests[0], "write 4/0");
    EXPECT_EQ (requests[1], "read 4/0") << "then the whole product is read again";
    EXPECT_EQ (product->getProduct().getCurrentPreset(), 3);
    EXPECT_EQ ((int) device().currentPreset, 3);
    EXPECT_EQ (selector().getSelectedItemIndex(), 3);

    // Back on the first preset, its file shows again.
    selector().setSelectedItemIndex (1, juce::sendNotificationSync);
    ASSERT_TRUE (runChainToEnd());
    EXPECT_EQ (presets().fileLabel.getText(), "One");
}

TEST_F (PresetSelector, ARouteHeldInTheDebounceReachesThePresetItWasMadeIn)
{
    auto product = connect();
    HeldEditEditor router;
    main->editorPanels.add (&router);

    const auto before = product->getProduct().getSettings();
    router.clickRoute (3, 5);
    pump (300);
    ASSERT_TRUE (requestsOf (*product).isEmpty()) << "the debounce still holds the route";

    selector().setSelectedItemIndex (2, juce::sendNotificationSync);
    ASSERT_TRUE (runChainToEnd());

    const auto requests = juce::StringArray::fromLines (requestsOf (*product));
    ASSERT_GE (requests.size(), 2);
    EXPECT_EQ (requests[0], "write 0/3");
    EXPECT_EQ (requests[1], "write 4/0");

    const auto after = product->getProduct().getSettings();
    EXPECT_EQ (after.routerMasks[1][3], before.routerMasks[1][3] ^ (1u << 5)) << "the route reached the first preset's row";
    EXPECT_EQ (after.routerMasks[2][3], before.routerMasks[2][3]) << "the second preset's row is untouched";
    EXPECT_EQ (product->getProduct().getCurrentPreset(), 2);

    main->editorPanels.removeFirstMatchingValue (&router);
}

TEST_F (PresetSelector, ARouteClickedInTheRouterTabAndThenAnotherPresetReachesTheFirstPresetOnly)
{
    auto product = connect();
    auto& grid = *main->getRouter()->getRouterList();
    grid.rebuildIfScheduled();

    const auto before = product->getProduct().getSettings();
    grid.inputButtons[16]->triggerClick();
    pump (20);
    grid.outputToggles[20]->triggerClick();
    pump (300);
    ASSERT_TRUE (requestsOf (*product).isEmpty()) << "the router's debounce still holds the route";

    selector().setSelectedItemIndex (2, juce::sendNotificationSync);
    ASSERT_TRUE (runChainToEnd());

    const auto requests = juce::StringArray::fromLines (requestsOf (*product));
    ASSERT_GE (requests.size(), 2);
    EXPECT_EQ (requests[0], "write 0/16");
    EXPECT_EQ (requests[1], "write 4/0");

    const auto after = product->getProduct().getSettings();
    EXPECT_NE (after.routerMasks[1][16], before.routerMasks[1][16]) << "the route reached the first preset's row";
    EXPECT_EQ (after.routerMasks[1][16] ^ before.routerMasks[1][16], 1u << 20);
    EXPECT_EQ (after.routerMasks[2][16], before.routerMasks[2][16]) << "the second preset's row is untouched";
    EXPECT_EQ (product->getProduct().getCurrentPreset(), 2);
}
