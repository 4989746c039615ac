#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/RouterListMidi.h"

class MainComponent;

/** The "MIDI Router" tab's panel: the routing grid in a viewport and, below it, "Reset router",
    "Clear router" and the button that opens and closes the host-port reservation view.

    The device side reaches the router through it: it refreshes the grid after routing data or
    host-slot records changed, sets its enablement, and hands out the grid.
*/
class RouterCommon : public juce::Component,
                     public juce::Button::Listener
{
public:
    explicit RouterCommon (MainComponent* owner);
    ~RouterCommon() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    virtual void resetRouter (bool writeToDevice, bool allPresets);
    void buttonClicked (juce::Button*) override;

    /** Brings the reservation button's tooltip and the grid up to date with the device model
        (the grid is rebuilt once, before it is next painted). Sends nothing. */
    void refreshRouter();
    /** mode: an EditorMode; any other value counts as busy. */
    void updateEnablement (int mode);
    /** A text for the reservation button, or the default caption when empty. */
    void setPortReservationButtonText (const juce::String& text);
    /** Disables "Reset router", "Clear router" and the reservation button. */
    void disableRouterButtons();
    RouterListMidi* getRouterList() const;

    MainComponent* getMainComponent() const noexcept { return mainComponent; }
    juce::Viewport& getViewport() noexcept           { return *viewport; }
    /** The grid's reservation view closed: the button is back to its caption and its enablement. */
    void reservationViewClosed();
    /** Scrolls the grid so that its row at y is at the top, as far as the grid scrolls. */
    void scrollGridTo (int y);

    std::unique_ptr<juce::TextButton> buttonReset;
    std::unique_ptr<juce::Viewport> viewport;
    std::unique_ptr<juce::TextButton> buttonClear;
    std::unique_ptr<juce::TextButton> buttonPortReservation;

private:
    MainComponent* mainComponent;
    RouterListMidi* grid = nullptr;
    int lastMode = editorLocked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RouterCommon)
};
