#include "DemoSession.h"

#include "ScreenTools.h"

using ScreenTools::findTool;
using ScreenTools::runTool;

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

bool DemoSession::start()
{
    // A display of its own, so that no other test's window covers the demo's. It ends by itself once
    // its last client (the demo) has gone.
    displayName = ScreenTools::startVirtualDisplay (display, screenWidth, screenHeight);

    if (displayName.isEmpty())
        return false;

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
    // The lines read are light text on the dark panel.
    return ScreenTools::readText (screenshot, windowArea + windowOrigin, singleLine, true, folder.getChildFile ("crop.png"));
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
