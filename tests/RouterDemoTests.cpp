#include "support/DemoSession.h"
#include <gtest/gtest.h>

// The demo build as a person uses it: the router tab of its window clicked with the mouse, the
// result read from what its simulated Jorvek carried out and from the status line.

namespace
{
    /** Where the routing grid's rows are in the demo's window: the tab's content starts below the tab
        bar (30 px) and the grid at its top; the output column starts 230 px left of the grid's right
        edge (the grid is as wide as the window less the scroll bar, 5 px). */
    juce::Point<int> inputRowCentre (int gridY)   { return { 72 + 70, 30 + gridY + 12 }; }
    juce::Point<int> outputRowCentre (int gridY)  { return { 795 - 230 + 9, 30 + gridY + 12 }; }
}

TEST (RouterDemo, AClickOnAnOutputReachesTheProductASecondLater)
{
    if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    DemoSession demo;
    ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";
    ASSERT_TRUE (demo.waitUntilConnected()) << "screenshots in " << (demo.keepFiles = true, demo.folder.getFullPathName());

    // The Jorvek's first USB-C virtual input (row at 52), then its second USB-C virtual output (row at 84).
    ASSERT_TRUE (demo.click (inputRowCentre (52)));
    juce::Thread::sleep (300);
    const auto writesBefore = demo.productWrites().size();
    ASSERT_TRUE (demo.click (outputRowCentre (84)));
    const auto clicked = juce::Time::getMillisecondCounter();

    const bool written = demo.waitForProductWrite ("preset 0 kind 0 item 16:", 5000);
    const auto writtenAfter = (int) (juce::Time::getMillisecondCounter() - clicked);
    demo.keepFiles = ! written;
    ASSERT_TRUE (written) << "product writes: " << demo.productWrites().joinIntoString (" | ");

    EXPECT_GE (writtenAfter, 800) << "not before the debounce";
    EXPECT_LE (writtenAfter, 2500);

    const auto writes = demo.productWrites();
    ASSERT_EQ (writes.size(), writesBefore + 1) << writes.joinIntoString (" | ");
    // The simulated product starts without routes; the click adds output 17 to the row.
    EXPECT_EQ (writes[writes.size() - 1], "preset 0 kind 0 item 16: 0x00020000");

    EXPECT_TRUE (demo.waitForText (DemoSession::statusLine(), "-", true, 3000))
        << "status line read: " << demo.readText (DemoSession::statusLine(), true);
}
