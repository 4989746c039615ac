#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "settings/FullMapList.h"

class MainComponent;

/** The full-settings window's content: a viewport around the list of port rows.

    Every editor calls refresh after it changed the device model; it only reads the model and is
    cheap enough to be called after each edit, whether the window is shown or not. Port names
    change only through refreshPortName and refreshHostPortName.
*/
class FullMap : public juce::Component
{
public:
    explicit FullMap (MainComponent* owner);
    ~FullMap() override;

    void userTriedToCloseWindow() override;
    void paint (juce::Graphics&) override;
    void resized() override;

    /** Brings the window up to date with the device model; never sends. Without product ports it
        hides a visible window instead. */
    void refresh();
    /** A port was given a new name: inputs 0..N-1, outputs N..2N-1 (N ports). */
    void refreshPortName (int portIndex);
    /** The product reported the device on a host slot: records 0..A-1 are the host inputs,
        A..2A-1 the host outputs. */
    void refreshHostPortName (int recordIndex);

    /** The row of a port index (null when there is none). */
    FullMapObject* getRow (int index);
    FullMapList& getList() noexcept                 { return *list; }
    MainComponent* getMainComponent() const noexcept { return mainComponent; }

    /** How many times refresh was called. */
    int refreshCount = 0;

    MainComponent* const mainComponent;
    juce::Viewport viewport { "new viewport" };

private:
    FullMapList* list = nullptr;    // owned by the viewport

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FullMap)
};
