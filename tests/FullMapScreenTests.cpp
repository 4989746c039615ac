#include <gtest/gtest.h>
#include "support/DemoSession.h"

/* The full-settings window of the demo as a person sees it: opened with the main window's button,
   read by OCR, its routing lines read from the screen's pixels and highlighted by a click on a
   port's name. */

namespace
{
    // The window is 1120 x 620, centred on the 1280 x 1024 screen and moved 100 pixels right and down.
    const juce::Point<int> fullSettingsOrigin { (1280 - 1120) / 2 + 100, (1024 - 620) / 2 + 100 };

    /** An area of the full-settings window, in the main window's coordinates that DemoSession takes. */
    juce::Rectangle<int> inFullSettings (const DemoSession& demo, juce::Rectangle<int> area)
    {
        return area + (fullSettingsOrigin - demo.windowOrigin);
    }

    /** The reddest pixel of a small column of the screenshot, around a point of the full-settings window:
        where a routing line crosses that column. */
    int reddestAround (const juce::File& screenshot, juce::Point<int> point)
    {
        const auto image = juce::ImageFileFormat::loadFrom (screenshot);
        int red = 0;

        for (int dy = -6; dy <= 6; ++dy)
        {
            const auto p = point + fullSettingsOrigin + juce::Point<int> (0, dy);
            red = juce::jmax (red, (int) image.getPixelAt (p.x, p.y).getRed());
        }

        return red;
    }

    /** True when some pixel of the area (full-settings window coordinates) has the highlight colour. */
    bool showsHighlightColour (const juce::File& screenshot, juce::Rectangle<int> area)
    {
        const auto image = juce::ImageFileFormat::loadFrom (screenshot);

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
            {
                const auto c = image.getPixelAt (x + fullSettingsOrigin.x, y + fullSettingsOrigin.y);

                if (c.getRed() > 0xD0 && c.getGreen() > 0x50 && c.getGreen() < 0x80 && c.getBlue() < 0x60)
                    return true;
            }

        return false;
    }
}

TEST (FullMapScreen, JorvekWithRoutesFiltersAndAMapper)
{
    if (auto missing = DemoSession::findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    DemoSession demo;
    demo.setProductSetup ({
        "preset 0 kind 0 item 16: 0x00060000",      // USB-C Virtual In 1 to Out 2 and Out 3
        "preset 0 kind 1 item 16: 0x00008001",      // its input filters channels 1 and 16
        "preset 0 kind 2 item 47: 0x00001000",      // Out 2 filters Clock
        "preset 0 kind 3 item 0: 0x7F007F00 0x7F007F00 0x00200F00 0x5A000000 0x00000000 0x00000001",
    });
    ASSERT_TRUE (demo.start()) << "Xvfb or the demo did not start";
    demo.keepFiles = true;
    ASSERT_TRUE (demo.waitUntilConnected()) << "kept in " << demo.folder.getFullPathName();

    // "View full settings", under the tabs.
    ASSERT_TRUE (demo.click ({ 400, 476 }));

    // The first row is the first USB-C virtual port: its input filter box, then its one mapper.
    const auto firstInputChannels = inFullSettings (demo, { 150, 44, 140, 28 });
    juce::String channels;

    for (int attempt = 0; attempt < 20 && ! channels.removeCharacters (" ").contains ("1,16"); ++attempt)
    {
        juce::Thread::sleep (300);
        demo.takeScreenshot();
        channels = demo.readText (firstInputChannels, true);
    }

    ASSERT_EQ (channels.removeCharacters (" "), "1,16") << "read: " << channels;

    // The reader drops a blank or a thin letter now and then.
    const auto mapper = demo.readText (inFullSettings (demo, { 365, 20, 279, 70 }), false).removeCharacters (" ");
    EXPECT_TRUE (mapper.contains ("SrcNoteOn1-16")) << mapper;
    EXPECT_TRUE (mapper.contains ("Dest")) << mapper;
    EXPECT_TRUE (mapper.contains ("Ch.1")) << mapper;

    const auto secondRow = demo.readText (inFullSettings (demo, { 372, 180 + 27, 264, 52 }), false);
    EXPECT_TRUE (secondRow.contains ("No active mapper")) << secondRow;

    const auto secondOutputMessages = demo.readText (inFullSettings (demo, { 769, 180 + 98, 232, 30 }), true);
    EXPECT_EQ (secondOutputMessages, "Clock");

    const auto firstName = demo.readText (inFullSettings (demo, { 7, 68, 67, 48 }), false);
    EXPECT_TRUE (firstName.contains ("Virtual")) << firstName;

    // The line from the first row's middle (y 90) to the second row's joint (y 270) crosses x 703 at y 180.
    const juce::Point<int> onLine { 703, 180 }, offLine { 703, 240 };
    auto screen = demo.takeScreenshot();
    EXPECT_LT (reddestAround (screen, onLine), 0x90) << "a faint line";
    EXPECT_GT (reddestAround (screen, onLine), reddestAround (screen, offLine)) << "but a line";
    EXPECT_FALSE (showsHighlightColour (screen, { 7, 68, 67, 48 }));

    // A click on the input's name highlights its routing, a second click clears it.
    ASSERT_TRUE (demo.click ((fullSettingsOrigin - demo.windowOrigin) + juce::Point<int> (40, 92)));
    juce::Thread::sleep (500);
    screen = demo.takeScreenshot();
    EXPECT_GT (reddestAround (screen, onLine), 0xE0) << "a highlighted line";
    EXPECT_TRUE (showsHighlightColour (screen, { 7, 68, 67, 48 })) << "the name in the highlight colour";

    ASSERT_TRUE (demo.click ((fullSettingsOrigin - demo.windowOrigin) + juce::Point<int> (40, 92)));
    juce::Thread::sleep (500);
    screen = demo.takeScreenshot();
    EXPECT_LT (reddestAround (screen, onLine), 0x90);
    EXPECT_FALSE (showsHighlightColour (screen, { 7, 68, 67, 48 }));

    demo.keepFiles = ::testing::Test::HasFailure();
}
