// The "MIDI Filter" tab in the demo build, driven as a person drives it: its window on a virtual
// display of its own, clicked with xdotool, read back by OCR and from the simulated Jorvek's writes.

#include "support/DemoSession.h"

#include <gtest/gtest.h>

namespace
{
    // Places in the 800 x 600 window: the tabs take the top 450 pixels, their bar 30 of them, and a
    // page lies within a one-pixel outline below the bar (798 x 418 from (1, 31)).
    const juce::Point<int> filterTab { 80, 15 };
    const juce::Point<int> portList { 400, 68 };
    const juce::Point<int> channelButton5 { 64, 284 };
    const juce::Rectangle<int> portListText { 253, 58, 270, 20 };
}

TEST (FilterDemo, ChannelClickOnAChosenPortReachesTheProductAboutASecondLater)
{
    if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    DemoSession demo;
    ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";
    demo.keepFiles = true;
    ASSERT_TRUE (demo.waitUntilConnected()) << "kept in " << demo.folder.getFullPathName();

    ASSERT_TRUE (demo.click (filterTab));
    ASSERT_TRUE (demo.waitForText (portListText, "Select USB", true, 5000))
        << "the port list asks for a port; kept in " << demo.folder.getFullPathName();

    // The list opens over the pointer; the port after the one under the pointer is chosen with the keyboard.
    ASSERT_TRUE (demo.click (portList));
    juce::Thread::sleep (500);
    ASSERT_TRUE (demo.key ("Down"));
    ASSERT_TRUE (demo.key ("Return"));
    juce::Thread::sleep (500);
    demo.takeScreenshot();
    const auto chosen = demo.readText (portListText, true);
    EXPECT_FALSE (chosen.contains ("Select")) << "read: " << chosen;

    const auto writesBefore = demo.productWrites().size();
    const auto clicked = juce::Time::getMillisecondCounter();
    ASSERT_TRUE (demo.click (channelButton5));

    juce::Thread::sleep (500);
    EXPECT_EQ (demo.productWrites().size(), writesBefore) << "the write waits for the debounce";

    ASSERT_TRUE (demo.waitForProductWrite ("preset 0 kind 1 item ", 4000))
        << demo.productWrites().joinIntoString ("\n") << "\nkept in " << demo.folder.getFullPathName();
    const auto delay = (int) (juce::Time::getMillisecondCounter() - clicked);

    // Channel 5 of the chosen port, and nothing else.
    const auto writes = demo.productWrites();
    ASSERT_EQ (writes.size(), writesBefore + 1) << writes.joinIntoString ("\n");
    EXPECT_TRUE (writes[writes.size() - 1].endsWith (": 0x00000010")) << writes[writes.size() - 1];
    EXPECT_GE (delay, 900);
    EXPECT_LE (delay, 2500);

    demo.takeScreenshot();
    EXPECT_TRUE (demo.readText (DemoSession::statusLine(), true) == "-");
    demo.keepFiles = HasFailure();
}
