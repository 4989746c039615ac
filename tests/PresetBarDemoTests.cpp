#include "support/DemoSession.h"

#include <gtest/gtest.h>

/* The preset bar in the demo build, as a person uses it: clicked and typed into on a virtual display,
   the file dialog answered by typing a path, and read back from what the simulated Jorvek carried out. */

namespace
{
    // Window positions of the preset bar (156 x 75 at 623, 460) and of the file dialog, which
    // opens centred on the screen (600 x 500).
    const juce::Point<int> presetText { 660, 471 }, loadButton { 659, 518 }, saveButton { 742, 518 };
    const juce::Point<int> dialogFileBox { 400, 488 }, dialogCancel { 560, 526 };
    const juce::Rectangle<int> dialogTitle { 100, 48, 600, 30 };

    // The router tab, shown after start-up: the Jorvek's first USB-C virtual input and its second
    // USB-C virtual output in the routing grid.
    const juce::Point<int> firstVirtualInput { 142, 94 }, secondVirtualOutput { 574, 126 };

    /** The last write the product carried out ("" none). */
    juce::String lastWrite (const DemoSession& demo)
    {
        const auto writes = demo.productWrites();
        return writes.isEmpty() ? juce::String() : writes[writes.size() - 1];
    }

    bool waitUntil (std::function<bool()> condition, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! condition())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return false;

            juce::Thread::sleep (100);
        }

        return true;
    }
}

class PresetBarDemo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
            GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

        ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";
        ASSERT_TRUE (demo.waitUntilConnected()) << "screenshot kept in " << demo.folder.getFullPathName();
    }

    void TearDown() override
    {
        demo.keepFiles = HasFailure();
    }

    /** Presses a button of the bar and tells whether a file dialog with that title came up. */
    bool pressForDialog (juce::Point<int> button, const juce::String& title, int timeoutMs = 4000)
    {
        demo.click (button);
        return demo.waitForText (dialogTitle, title, true, timeoutMs);
    }

    /** Answers the open file dialog by typing the file's path into its file name box (the first
        Return goes to the file's folder, the second takes the file), then waits until the dialog
        is gone from the screen: the window under it keeps the dialog's pixels until the demo has
        repainted there, which a busy machine can put off for a second or more. */
    bool answerDialog (const juce::File& file, const juce::String& title)
    {
        demo.click (dialogFileBox);
        demo.key ("ctrl+a");
        demo.type (file.getFullPathName());
        demo.key ("Return");
        juce::Thread::sleep (300);
        demo.key ("Return");
        return dialogGone (title);
    }

    bool dialogGone (const juce::String& title)
    {
        return waitUntil ([&]
        {
            demo.takeScreenshot();
            return ! demo.readText (dialogTitle, true).contains (title);
        }, 10000);
    }

    DemoSession demo;
};

TEST_F (PresetBarDemo, SaveWritesAFileAChangeMakesSaveActiveAndLoadWritesTheDifferenceBack)
{
    const auto file = demo.home.getChildFile ("Live.pvp");

    // Save: the file is written and the preset takes its name.
    ASSERT_TRUE (pressForDialog (saveButton, "Save preset")) << "no save dialog";
    ASSERT_TRUE (answerDialog (file, "Save preset")) << "the save dialog stayed";
    ASSERT_TRUE (waitUntil ([&] { return file.existsAsFile(); }, 5000)) << "no file written";
    ASSERT_TRUE (waitUntil ([&] { return lastWrite (demo).contains ("kind 7") && lastWrite (demo).endsWith ("0x4C697665 0x00000000 0x00000000 0x00000000"); }, 5000))
        << "the name \"Live\" did not reach the product: " << lastWrite (demo);
    EXPECT_TRUE (juce::JSON::parse (file)["PresetName"] == "Live");

    // The preset equals its file: Save is inactive and a click opens nothing.
    EXPECT_FALSE (pressForDialog (saveButton, "Save preset", 1500)) << "Save still active after the save";

    // A route changed on screen makes Save active again.
    demo.click (firstVirtualInput);
    juce::Thread::sleep (300);
    demo.click (secondVirtualOutput);
    ASSERT_TRUE (demo.waitForProductWrite ("preset 0 kind 0 item 16:", 5000))
        << "the route did not reach the product: " << demo.productWrites().joinIntoString (" | ");
    EXPECT_EQ (lastWrite (demo), "preset 0 kind 0 item 16: 0x00020000");
    ASSERT_TRUE (pressForDialog (saveButton, "Save preset")) << "Save inactive after a change";
    demo.click (dialogCancel);
    ASSERT_TRUE (dialogGone ("Save preset")) << "the save dialog stayed after Cancel";

    // Load of the saved file writes the difference back, and only it.
    const int writesBefore = demo.productWrites().size();
    ASSERT_TRUE (pressForDialog (loadButton, "Load preset")) << "no load dialog";
    ASSERT_TRUE (answerDialog (file, "Load preset")) << "the load dialog stayed";
    ASSERT_TRUE (waitUntil ([&] { return demo.productWrites().size() > writesBefore; }, 5000)) << "nothing written after the load";
    juce::Thread::sleep (1000);

    const auto writes = demo.productWrites();
    EXPECT_EQ (writes.size(), writesBefore + 1) << writes.joinIntoString ("\n");
    EXPECT_EQ (lastWrite (demo), "preset 0 kind 0 item 16: 0x00000000") << "the route is not taken back";
    EXPECT_FALSE (pressForDialog (saveButton, "Save preset", 1500)) << "Save still active after loading the file";
}
