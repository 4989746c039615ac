#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <deque>

/** Every message box of the application, one at a time.

    Boxes queue: each is shown once the boxes posted before it are closed, in the order posted. The
    device object's alerts are the system's message boxes, every other box a framework alert window;
    both go through the one hook showBox, which tests replace to read and answer each box alike.
*/
class BoxPresenter
{
public:
    /** Puts a box on screen and calls onResult with its button once it is closed: 1 for the first
        of two buttons and 0 for the second, 0 for the only button of a one-button box. */
    using Shower = std::function<void (const juce::MessageBoxOptions& options, std::function<void (int)> onResult)>;

    explicit BoxPresenter (juce::Component& associatedComponent);

    /** Queues a framework alert window; onResult (may be empty) runs when it is closed. */
    void show (const juce::MessageBoxOptions& options, std::function<void (int)> onResult = nullptr);
    /** Queues a one-button box titled "Error" with a warning icon. */
    void showError (const juce::String& text);
    /** Queues one of the device object's alerts: title "Info", one button. */
    void showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed);

    /** The hook that shows a box. */
    Shower showBox;

    /** True while a box is shown. */
    bool isShowing() const noexcept    { return showing; }
    int getNumWaiting() const noexcept { return (int) waiting.size(); }

private:
    struct Entry
    {
        juce::MessageBoxOptions options;
        bool systemBox = false;
        std::function<void (int)> onResult;
    };

    void showNext();
    void showOnScreen (const juce::MessageBoxOptions& options, std::function<void (int)> onResult);

    juce::Component& associated;
    std::deque<Entry> waiting;
    bool showing = false;
    bool currentIsSystemBox = false;
    std::shared_ptr<bool> alive = std::make_shared<bool> (true);

    JUCE_DECLARE_NON_COPYABLE (BoxPresenter)
};
