#include "OwnDisplay.h"
#include "MessagePump.h"
#include "ScreenTools.h"

#include <gtest/gtest.h>

namespace
{
    const char* const childMarker = "PELLION_TEST_ON_OWN_DISPLAY";

    juce::File scratchFolder()
    {
        auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("screen");
        folder.createDirectory();
        return folder;
    }
}

using ScreenTools::findTool;
using ScreenTools::runTool;

juce::String OwnDisplay::findMissingTool()
{
    for (auto tool : { "Xvfb", "xdotool", "import", "convert", "tesseract", "timeout" })
        if (findTool (tool).isEmpty())
            return tool;

    return {};
}

bool OwnDisplay::isChildRun()
{
    return juce::SystemStats::getEnvironmentVariable (childMarker, {}).isNotEmpty();
}

void OwnDisplay::runCurrentTestOnOwnDisplay (int timeoutSeconds)
{
    if (auto missing = findMissingTool(); missing.isNotEmpty())
        GTEST_SKIP() << missing << " is not installed (scripts/setup installs it)";

    // The display ends by itself once its last client has gone; it is stopped anyway below.
    juce::ChildProcess display;
    const auto displayName = ScreenTools::startVirtualDisplay (display, 1280, 1024);
    ASSERT_TRUE (displayName.isNotEmpty()) << "Xvfb gave no display";

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto filter = juce::String ("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();

    juce::ChildProcess child;
    ASSERT_TRUE (child.start (juce::StringArray { findTool ("timeout"), juce::String (timeoutSeconds), "env", "-u", "XAUTHORITY",
                                                  "DISPLAY=" + displayName, juce::String (childMarker) + "=1", self, filter },
                              juce::ChildProcess::wantStdOut | juce::ChildProcess::wantStdErr));

    const auto output = child.readAllProcessOutput();
    child.waitForProcessToFinish (10000);
    display.kill();

    if (output.contains ("[  SKIPPED ]") && child.getExitCode() == 0)
        GTEST_SKIP() << output;

    EXPECT_EQ (child.getExitCode(), 0u) << output;
}

bool OwnDisplay::runXdotool (const juce::StringArray& arguments, int timeoutMs)
{
    juce::StringArray command { findTool ("xdotool") };
    command.addArray (arguments);

    juce::ChildProcess tool;

    if (! tool.start (command, 0))
        return false;

    // The tool's events reach the windows only while the message loop runs.
    const auto ended = MessagePump::runUntil ([&tool] { return ! tool.isRunning(); }, timeoutMs);

    if (! ended)
        tool.kill();

    MessagePump::runFor (100);
    return ended && tool.getExitCode() == 0;
}

juce::String OwnDisplay::readScreenText (juce::Rectangle<int> area, bool singleLine, bool lightText)
{
    const auto folder = scratchFolder();
    const auto screenshot = folder.getChildFile ("screen.png");

    if (! runTool ({ findTool ("import"), "-window", "root", screenshot.getFullPathName() }))
        return {};

    return ScreenTools::readText (screenshot, area, singleLine, lightText, folder.getChildFile ("crop.png"));
}
