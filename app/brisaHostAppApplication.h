#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/WindowEventPump.h"

/** The application: one main window whose content is the main component. */
class brisaHostAppApplication : public juce::JUCEApplication
{
public:
    brisaHostAppApplication() = default;
    ~brisaHostAppApplication() override;

    const juce::String getApplicationName() override    { return "Pellion Tools"; }
    const juce::String getApplicationVersion() override { return "8.6"; }
    bool moreThanOneInstanceAllowed() override          { return true; }

    void initialise (const juce::String& commandLine) override;
    void shutdown() override;
    /** A quit asked for by the operating system quits at once. */
    void systemRequestedQuit() override;
    void anotherInstanceStarted (const juce::String&) override {}

    //==============================================================================
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& name);

        /** Tells the product that the tool goes away, then offers to save changed presets and quits. */
        void closeButtonPressed() override;

    private:
        bool closing = false;
        /** Keeps the window manager's requests from waiting unread. */
        WindowEventPump eventPump { *this };

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
    std::unique_ptr<MainWindow> mainWindow;
};
