#include <gtest/gtest.h>
#include "support/DemoSession.h"

// The demo build's Settings tab, as a person sees and uses it: its window on a virtual display of its
// own, clicked with xdotool and read back by OCR; what reaches the simulated Jorvek is read from its log.

namespace
{
    // Window positions of the Settings tab (800 x 600 window).
    const juce::Point<int> settingsTab { 720, 15 };
    const juce::Rectangle<int> subTabBar { 0, 234, 800, 28 };
    const juce::Point<int> trsTypesTab { 300, 248 };
    const juce::Point<int> trsOutputList { 400, 293 };
    const juce::Point<int> thirdTrsOutput { 355, 358 };
    const juce::Point<int> typeBButton { 370, 385 };
}

TEST (SettingsDemo, JorvekSettingsTabShowsItsCaptionsAndSubTabsAndWritesATrsType)
{
    if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    DemoSession demo;
    ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";
    demo.keepFiles = true;
    ASSERT_TRUE (demo.waitUntilConnected()) << "screenshot kept in " << demo.folder.getFullPathName();

    ASSERT_TRUE (demo.click (settingsTab));
    ASSERT_TRUE (demo.waitForText (subTabBar, "TRS Types", true, 5000))
        << "sub-tabs read: " << demo.readText (subTabBar, true);

    // Every caption reads on the page; the lists show the product found and its port.
    struct Caption { juce::Rectangle<int> area; const char* text; };
    const Caption captions[] = {
        { { 110, 78, 100, 24 },  "Auto detect" },
        { { 110, 121, 120, 24 }, "USB String name" },
        { { 395, 78, 80, 24 },   "Product" },
        { { 395, 121, 90, 24 },  "MIDI Input" },
        { { 395, 164, 90, 24 },  "MIDI Output" },
        { { 485, 78, 175, 24 },  "Jorvek-Pro" },
        { { 485, 121, 175, 24 }, "Jorvek-Pro MIDI 1" },
        { { 0, 234, 800, 28 },   "Power" },
        { { 0, 234, 800, 28 },   "Device" },
    };

    for (const auto& c : captions)
    {
        const auto read = demo.readText (c.area, true);
        EXPECT_TRUE (read.contains (c.text)) << "read \"" << read << "\" where \"" << c.text << "\" is";
    }

    // The Jorvek's third TRS output made Type B: the product receives the word of the current preset.
    ASSERT_TRUE (demo.click (trsTypesTab));
    EXPECT_TRUE (demo.waitForText (subTabBar, "Presets", true, 3000)) << "sub-tabs read: " << demo.readText (subTabBar, true);
    ASSERT_TRUE (demo.click (trsOutputList));
    juce::Thread::sleep (500);
    ASSERT_TRUE (demo.click (thirdTrsOutput));
    EXPECT_TRUE (demo.waitForText ({ 290, 281, 220, 24 }, "TRS Output 3", true, 3000));
    ASSERT_TRUE (demo.click (typeBButton));
    EXPECT_TRUE (demo.waitForProductWrite ("preset 0 kind 5 item 0: 0xFFFBFFFF", 3000))
        << demo.productWrites().joinIntoString ("\n");

    demo.keepFiles = ::testing::Test::HasFailure();
}
