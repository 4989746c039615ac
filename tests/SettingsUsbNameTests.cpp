#include "support/DeviceTestSupport.h"
#include "support/MessagePump.h"
#include "settings/Settings.h"
#include "settings/UsbProductName.h"

namespace
{
    float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }
}

/** The USB name group of a Settings page (without a main component) for a connected Jorvek. */
class SettingsUsbName : public WiredDeviceFixture
{
protected:
    void SetUp() override
    {
        WiredDeviceFixture::SetUp();
        connectProduct (productJorvek, version (4, 5), version (7, 1));
        device().productName = "Jorvek Pro";
        page.buildDeviceTabs();
        page.updateEnablement (editorIdle);
    }

    /** Types text at the caret, a character at a time, as the keyboard does. */
    void type (const juce::String& text)
    {
        for (auto c : text)
        {
            editor().insertTextAtCaret (juce::String::charToString (c));
            pump (5);
        }
    }

    juce::TextEditor& editor() { return page.usbNameEditor.editor; }

    bool statusShows (const juce::String& text)
    {
        return page.statusLabel.isVisible() && page.statusLabel.getText() == text
                 && page.statusLabel.findColour (juce::Label::textColourId) == juce::Colour (0xfffe0000);
    }

    Settings page { nullptr };
};

TEST_F (SettingsUsbName, TypingTakesBackWhatBreaksTheRuleAndSaysWhyForTwoSeconds)
{
    struct Case { const char* name; juce::String start, typed, kept, warning; };
    const Case cases[] = {
        { "a 25th character",   "ABCDEFGHIJKLMNOPQRSTUVW", "XY",                           "ABCDEFGHIJKLMNOPQRSTUVWX", "Please use 24 chars max" },
        { "a slash",            "Stage",                   "/",                            "Stage",                    "Please use only ASCII chars" },
        { "a double quote",     "Stage",                   "\"",                           "Stage",                    "Please use only ASCII chars" },
        { "an accented letter", "Caf",                     juce::String::fromUTF8 ("\xc3\xa9"), "Caf",                 "Please use only ASCII chars" },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        page.setUsbNameEditorText (c.start);
        editor().moveCaretToEnd();
        pump (2100);
        ASSERT_FALSE (page.statusLabel.isVisible());

        const auto typed = juce::Time::getMillisecondCounter();
        type (c.typed);
        EXPECT_EQ (editor().getText(), c.kept);
        EXPECT_TRUE (statusShows (c.warning)) << page.statusLabel.getText();

        // The warning goes 2000 ms after it was shown (the framework's timers may fire up to 100 ms early).
        ASSERT_TRUE (pumpUntil ([this] { return ! page.statusLabel.isVisible(); }, 3000));
        EXPECT_GE ((int) (juce::Time::getMillisecondCounter() - typed), 1900);
    }

    // A warning shown a second after another one still stays its full two seconds.
    page.setUsbNameEditorText ("Stage");
    editor().moveCaretToEnd();
    type ("*");
    pump (1000);
    // Taken before the typing, as above: the warning starts again while the key is handled.
    const auto second = juce::Time::getMillisecondCounter();
    type ("?");
    pump (1400);
    EXPECT_TRUE (statusShows ("Please use only ASCII chars"));
    ASSERT_TRUE (pumpUntil ([this] { return ! page.statusLabel.isVisible(); }, 1500));
    EXPECT_GE ((int) (juce::Time::getMillisecondCounter() - second), 1900);
}

TEST_F (SettingsUsbName, ApplyWritesTheNameToTheDeviceCoreAndResetPutsTheDefaultBack)
{
    // The default name, nothing stored: nothing to apply or reset.
    EXPECT_EQ (editor().getText(), "Jorvek-Pro");
    EXPECT_FALSE (page.applyButton.isEnabled());
    EXPECT_FALSE (page.resetButton.isEnabled());
    EXPECT_TRUE (page.usbNameEditor.isEnabled());

    editor().selectAll();
    type ("Stage B");
    EXPECT_TRUE (page.applyButton.isEnabled());
    EXPECT_TRUE (page.resetButton.isEnabled());

    page.applyButton.triggerClick();
    pump (20);
    ASSERT_EQ (sent->size(), 1);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 27 03 0D 06 00 ")) << lastSentHex()
        << " (a write of kind 13 to the Jorvek's device core)";
    EXPECT_EQ (UsbProductName::unpack (device().usbProductName), "Stage B");
    ASSERT_EQ (ui.alerts.size(), 1u);
    EXPECT_EQ (ui.alerts[0].text, "Please disconnect and reconnected the device after you changed USB product name");
    EXPECT_FALSE (page.applyButton.isEnabled()) << "the editor shows the stored name";
    EXPECT_TRUE (page.resetButton.isEnabled()) << "the stored name is not the default";

    // Reset writes the default name, after which there is nothing left to reset.
    device().awaitedReply = {};
    device().waitingForReply = 0;
    page.resetButton.triggerClick();
    pump (20);
    ASSERT_EQ (sent->size(), 2);
    EXPECT_TRUE (lastSentHex().startsWith ("F0 00 4B 1D 0F 27 03 0D 06 00 "));
    EXPECT_EQ (editor().getText(), "Jorvek-Pro");
    EXPECT_EQ (getCurrentUsbProductName (device()), "Jorvek-Pro");
    EXPECT_FALSE (page.applyButton.isEnabled());
    EXPECT_FALSE (page.resetButton.isEnabled());

    // An emptied editor offers only Reset, without a warning.
    editor().selectAll();
    editor().insertTextAtCaret ({});
    pump (20);
    EXPECT_FALSE (page.applyButton.isEnabled());
    EXPECT_TRUE (page.resetButton.isEnabled());
    EXPECT_FALSE (page.statusLabel.isVisible());
}

TEST_F (SettingsUsbName, TheNameThatWasReadIsShown)
{
    UsbProductName::pack ("Live Rig", device().usbProductName);
    page.loadUsbProductName();
    EXPECT_EQ (editor().getText(), "Live Rig");
    EXPECT_FALSE (page.applyButton.isEnabled());
    EXPECT_TRUE (page.resetButton.isEnabled());
}

TEST_F (SettingsUsbName, BelowDeviceCoreFirmware695TheEditorIsGreyedOut)
{
    device().deviceFirmwareVersion = version (6, 9);
    page.updateEnablement (editorIdle);
    editor().selectAll();
    type ("Stage");

    EXPECT_FALSE (page.usbNameEditor.isEnabled());
    EXPECT_FLOAT_EQ (page.usbNameEditor.getAlpha(), 0.4f);
    EXPECT_FALSE (page.applyButton.isEnabled());
    EXPECT_FALSE (page.resetButton.isEnabled());
    EXPECT_EQ (editor().getTooltip(), "This editor allows to change the USB string name of the connected device\n\n"
                                      "Connected device firmware must be upgraded to a higher version to enable this feature");

    page.applyUsbProductName (false);
    EXPECT_TRUE (sent->isEmpty());
    EXPECT_TRUE (ui.alerts.empty());
}
