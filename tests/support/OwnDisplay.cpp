#include "OwnDisplay.h"
#include "MessagePump.h"

#include <gtest/gtest.h>

namespace
{
    const char* const childMarker = "PELLION_TEST_ON_OWN_DISPLAY";

    juce::String findTool (const juce::String& name)
    {
        for (auto folder : { "/usr/bin", "/usr/local/bin", "/bin" })
        {
            auto file = juce::File (folder).getChildFile (name);

            if (file.existsAsFile())
                return file.getFullPathName();
        }

        return {};
    }

    bool runTool (const juce::StringArray& arguments, juce::String* output = nullptr)
    {
        juce::ChildProcess tool;

        if (! tool.start (arguments))
            return false;

        auto text = tool.readAllProcessOutput();

        if (! tool.waitForProcessToFinish (15000))
        {
            tool.kill();
            return false;
        }

        if (output != nullptr)
            *output = text;

        return tool.getExitCode() == 0;
    }

    juce::File scratchFolder()
    {
        auto folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("screen");
        folder.createDirectory();
        return folder;
    }
}

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
    ASSERT_TRUE (display.start (juce::StringArray { findTool ("Xvfb"), "-displayfd", "1", "-screen", "0", "1280x1024x24",
                                                    "-nolisten", "tcp", "-terminate" },
                                juce::ChildProcess::wantStdOut));

    char number[16] = {};
    display.readProcessOutput (number, (int) sizeof (number) - 1);
    const auto digits = juce::String (number).trim();
    ASSERT_TRUE (digits.isNotEmpty() && digits.containsOnly ("0123456789")) << "Xvfb gave no display";

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const auto filter = juce::String ("--gtest_filter=") + info->test_suite_name() + "." + info->name();
    const auto self = juce::File::getSpecialLocation (juce::File::currentExecutableFile).getFullPathName();

    juce::ChildProcess child;
    ASSERT_TRUE (child.start (juce::StringArray { findTool ("timeout"), juce::String (timeoutSeconds), "env", "-u", "XAUTHORITY",
                                                  "DISPLAY=:" + digits, juce::String (childMarker) + "=1", self, filter },
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
    const auto crop = folder.getChildFile ("crop.png");
    const auto geometry = juce::String (area.getWidth()) + "x" + juce::String (area.getHeight())
                          + "+" + juce::String (area.getX()) + "+" + juce::String (area.getY());

    if (! runTool ({ findTool ("import"), "-window", "root", screenshot.getFullPathName() }))
        return {};

    // Light text on the dark panel is turned over and made sharp; dark text on a light ground reads
    // best as it is, only larger.
    juce::StringArray convert { findTool ("convert"), screenshot.getFullPathName(), "-crop", geometry, "+repage",
                                "-colorspace", "Gray" };

    if (lightText)
        convert.addArray ({ "-negate", "-resize", "200%", "-threshold", "50%" });
    else
        convert.addArray ({ "-resize", "300%" });

    convert.add (crop.getFullPathName());

    if (! runTool (convert))
        return {};

    juce::String text;
    runTool ({ "env", "OMP_THREAD_LIMIT=1", findTool ("tesseract"), crop.getFullPathName(), "stdout",
               "--psm", singleLine ? "7" : "6" }, &text);
    return text.trim();
}
