#include "DemoSession.h"

namespace
{
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
}

DemoSession::DemoSession()
{
    folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("pellion-demo-", "", false);
    home = folder.getChildFile ("home");
    home.getChildFile ("Desktop").createDirectory();
}

DemoSession::~DemoSession()
{
    if (demo.isRunning())
        demo.kill();

    if (display.isRunning())
        display.kill();

    if (! keepFiles)
        folder.deleteRecursively();
}

juce::String DemoSession::findMissingTool()
{
    for (auto tool : { "Xvfb", "xdotool", "import", "convert", "tesseract" })
        if (findTool (tool).isEmpty())
            return tool;

    return {};
}

bool DemoSession::runTool (const juce::StringArray& arguments, juce::String* output) const
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

bool DemoSession::start()
{
    // A display of its own, so that no other test's window covers the demo's. It ends by itself once
    // its last client (the demo) has gone.
    if (! display.start (juce::StringArray { findTool ("Xvfb"), "-displayfd", "1", "-screen", "0",
                                             juce::String (screenWidth) + "x" + juce::String (screenHeight) + "x24",
                                             "-nolisten", "tcp", "-terminate" },
                         juce::ChildProcess::wantStdOut))
        return false;

    char number[16] = {};
    display.readProcessOutput (number, (int) sizeof (number) - 1);
    const auto digits = juce::String (number).trim();

    if (digits.isEmpty() || ! digits.containsOnly ("0123456789"))
        return false;

    displayName = ":" + digits;

    return demo.start (juce::StringArray { "env", "-u", "XAUTHORITY", "HOME=" + home.getFullPathName(),
                                           "DISPLAY=" + displayName, PELLION_DEMO_BINARY }, 0);
}

void DemoSession::setProductSetup (const juce::StringArray& writeLines)
{
    home.getChildFile ("pellion-demo-product-setup.txt").replaceWithText (writeLines.joinIntoString ("\n") + "\n");
}

bool DemoSession::isRunning() const
{
    return demo.isRunning();
}

bool DemoSession::waitUntilConnected (int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    // The product is plugged in 2 s after start; the read ends some seconds later.
    while (juce::Time::getMillisecondCounter() < end && isRunning())
    {
        juce::Thread::sleep (500);
        takeScreenshot();

        if (readText (infoLine(), false).contains ("Jorvek Pro") && readText (statusLine(), true) == "-")
            return true;
    }

    return false;
}

juce::File DemoSession::takeScreenshot()
{
    screenshot = folder.getChildFile ("screen.png");
    runTool ({ findTool ("import"), "-display", displayName, "-window", "root", screenshot.getFullPathName() });
    return screenshot;
}

juce::String DemoSession::readText (juce::Rectangle<int> windowArea, bool singleLine)
{
    const auto area = windowArea + windowOrigin;
    auto crop = folder.getChildFile ("crop.png");
    const auto geometry = juce::String (area.getWidth()) + "x" + juce::String (area.getHeight())
                          + "+" + juce::String (area.getX()) + "+" + juce::String (area.getY());

    // Light text on the dark panel: made dark on white and sharp, which the reader takes best.
    if (! runTool ({ findTool ("convert"), screenshot.getFullPathName(), "-crop", geometry, "+repage",
                     "-colorspace", "Gray", "-negate", "-resize", "200%", "-threshold", "50%",
                     crop.getFullPathName() }))
        return {};

    juce::String text;
    runTool ({ "env", "OMP_THREAD_LIMIT=1", findTool ("tesseract"), crop.getFullPathName(), "stdout",
               "--psm", singleLine ? "7" : "6" }, &text);
    return text.trim();
}

bool DemoSession::waitForText (juce::Rectangle<int> windowArea, const juce::String& wanted, bool singleLine, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    do
    {
        takeScreenshot();

        if (readText (windowArea, singleLine).contains (wanted))
            return true;

        juce::Thread::sleep (200);
    }
    while (juce::Time::getMillisecondCounter() < end && isRunning());

    return false;
}

bool DemoSession::click (juce::Point<int> windowPosition)
{
    const auto p = windowPosition + windowOrigin;
    return runTool ({ "env", "DISPLAY=" + displayName, findTool ("xdotool"), "mousemove", "--sync",
                      juce::String (p.x), juce::String (p.y), "click", "1" });
}

bool DemoSession::type (const juce::String& text)
{
    return runTool ({ "env", "DISPLAY=" + displayName, findTool ("xdotool"), "type", "--delay", "30", text });
}

bool DemoSession::key (const juce::String& keyName)
{
    return runTool ({ "env", "DISPLAY=" + displayName, findTool ("xdotool"), "key", keyName });
}

juce::StringArray DemoSession::productWrites() const
{
    return juce::StringArray::fromLines (home.getChildFile ("pellion-demo-product-writes.txt").loadFileAsString().trim());
}

bool DemoSession::waitForProductWrite (const juce::String& linePrefix, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    do
    {
        for (auto& line : productWrites())
            if (line.startsWith (linePrefix))
                return true;

        juce::Thread::sleep (100);
    }
    while (juce::Time::getMillisecondCounter() < end);

    return false;
}
