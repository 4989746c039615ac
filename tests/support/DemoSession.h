#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The demo build as a person uses it: its window on a virtual display of its own, clicked and typed
    into with xdotool, and read back by OCR from screenshots. The simulated Jorvek inside the demo
    logs every settings write it carries out into a file of the session's home, so that a test can
    see what reached the product.

    The main window (800 x 600) sits centred on the 1280 x 1024 screen; positions given to click and
    readText are in window coordinates. Everything the session made is deleted when it goes, unless
    keepFiles is set (a failing test sets it, to leave its screenshots).
*/
class DemoSession
{
public:
    DemoSession();
    ~DemoSession();

    /** The tools a session needs (Xvfb, xdotool, ImageMagick, tesseract); empty when all are installed. */
    static juce::String findMissingTool();

    /** Settings the simulated Jorvek holds before the demo reads it, one write a line in the form
        productWrites gives ("preset 0 kind 1 item 16: 0x00008001"). Called before start. */
    void setProductSetup (const juce::StringArray& writeLines);

    /** Starts the display and the demo; false when either would not start. */
    bool start();
    /** Waits until the demo has read the simulated Jorvek: the information line names it and the
        status line shows "-". */
    bool waitUntilConnected (int timeoutMs = 60000);
    bool isRunning() const;

    /** A screenshot of the whole screen. */
    juce::File takeScreenshot();
    /** Text read from an area of the window in the last screenshot (scaled by 2, light text made dark). */
    juce::String readText (juce::Rectangle<int> windowArea, bool singleLine);
    /** Waits until the text read from the area of a new screenshot holds the wanted text. */
    bool waitForText (juce::Rectangle<int> windowArea, const juce::String& wanted, bool singleLine, int timeoutMs);

    /** A left click at a position of the window. */
    bool click (juce::Point<int> windowPosition);
    /** Types text, as the keyboard would. */
    bool type (const juce::String& text);
    /** Presses a key by its X name ("Return", "ctrl+a"...). */
    bool key (const juce::String& keyName);

    /** The settings writes the simulated product carried out, one line each: "preset P kind K item I: v1 v2 ..." */
    juce::StringArray productWrites() const;
    /** Waits until the product has carried out a write whose line starts with the prefix. */
    bool waitForProductWrite (const juce::String& linePrefix, int timeoutMs);

    static constexpr int screenWidth = 1280, screenHeight = 1024;
    const juce::Point<int> windowOrigin { (screenWidth - 800) / 2, (screenHeight - 600) / 2 };

    /** The status line and the information line, in window coordinates. */
    static juce::Rectangle<int> statusLine()   { return { 400 - 228, 600 - 24, 456, 24 }; }
    static juce::Rectangle<int> infoLine()     { return { 14, 460, 250, 116 }; }

    juce::File folder, home;
    juce::String displayName;
    bool keepFiles = false;

private:
    juce::ChildProcess display, demo;
    juce::File screenshot;
};
