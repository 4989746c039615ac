#include "ScreenTools.h"

juce::String ScreenTools::findTool (const juce::String& name)
{
    for (auto folder : { "/usr/bin", "/usr/local/bin", "/bin" })
    {
        auto file = juce::File (folder).getChildFile (name);

        if (file.existsAsFile())
            return file.getFullPathName();
    }

    return {};
}

bool ScreenTools::runTool (const juce::StringArray& arguments, juce::String* output)
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

juce::String ScreenTools::startVirtualDisplay (juce::ChildProcess& display, int width, int height)
{
    if (! display.start (juce::StringArray { findTool ("Xvfb"), "-displayfd", "1", "-screen", "0",
                                             juce::String (width) + "x" + juce::String (height) + "x24",
                                             "-nolisten", "tcp", "-terminate" },
                         juce::ChildProcess::wantStdOut))
        return {};

    // The display writes its number once it is ready.
    char number[16] = {};
    display.readProcessOutput (number, (int) sizeof (number) - 1);
    const auto digits = juce::String (number).trim();

    if (digits.isEmpty() || ! digits.containsOnly ("0123456789"))
        return {};

    return ":" + digits;
}

juce::String ScreenTools::readText (const juce::File& screenshot, juce::Rectangle<int> area, bool singleLine,
                                    bool lightText, const juce::File& cropFile)
{
    const auto geometry = juce::String (area.getWidth()) + "x" + juce::String (area.getHeight())
                          + "+" + juce::String (area.getX()) + "+" + juce::String (area.getY());

    // Light text on a dark panel is made dark on white and sharp, which the reader takes best;
    // dark text on a light ground reads best as it is, only larger.
    juce::StringArray convert { findTool ("convert"), screenshot.getFullPathName(), "-crop", geometry, "+repage",
                                "-colorspace", "Gray" };

    if (lightText)
        convert.addArray ({ "-negate", "-resize", "200%", "-threshold", "50%" });
    else
        convert.addArray ({ "-resize", "300%" });

    convert.add (cropFile.getFullPathName());

    if (! runTool (convert))
        return {};

    juce::String text;
    runTool ({ "env", "OMP_THREAD_LIMIT=1", findTool ("tesseract"), cropFile.getFullPathName(), "stdout",
               "--psm", singleLine ? "7" : "6" }, &text);
    return text.trim();
}
