#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/RouterGridLayout.h"
#include "routing/RouteLines.h"
#include "routing/RouterEdits.h"

class RouterCommon;
class UsbPortsReservation;

/** The routing grid of the "MIDI Router" tab: a button per input on the left, a toggle per output
    on the right and a line for every route of the current preset between them. The user selects
    an input and clicks outputs to switch its routes; the rows reach the product a second after the
    last click. The same debounce sends the USB device cable masks and the host-port reservations.

    The grid also holds the host-port reservation view, and opens the USB device cable panel and
    the port rename window in call-out boxes.
*/
class RouterListCommon : public juce::Component,
                         public juce::Timer,
                         public juce::Button::Listener,
                         private juce::AsyncUpdater
{
public:
    static constexpr int debounceMs = 1000;
    static constexpr int inputCapacity = MidiController::numRouterRows;
    static constexpr int hostSlotCapacity = RouterGridLayout::hostSlotCapacity;
    static constexpr int portSlotCapacity = RouterGridLayout::portSlotCapacity;

    explicit RouterListCommon (juce::Component* ownerTab);
    ~RouterListCommon() override;

    void paint (juce::Graphics&) override;
    void resized() override {}
    /** Gives the routing its default (see RouterListMidi). */
    virtual void resetRouter (bool writeToDevice, bool allPresets);

    void timerCallback() override;
    void buttonClicked (juce::Button*) override;

    //==============================================================================
    // Selection and route editing
    int getSelectedInput() const;
    void clearInputSelection();
    void toggleInputSelection (const juce::Component* clicked);
    void toggleRoute (int output);
    /** The debounced write, when the timer expires. */
    void writePendingChanges();
    /** Marks and sends every row of the current preset. */
    void writeRouterSettings();
    /** Empties the routing of the current preset and writes it. */
    void clearRouter();
    /** Marks the rows that wait for the debounce now (before the preset changes). */
    void flushEdits();
    /** The product is gone: open call-outs close without applying, waiting edits are dropped and
        the reservation view closes. Nothing is sent. */
    void productLost();

    //==============================================================================
    // Layout
    /** Shows, names and places every row for the product and its host-slot records. */
    void rebuildGrid();
    /** Notes that the grid is out of date; it is rebuilt once, before it is next painted. */
    void scheduleRebuild();
    /** Rebuilds now when a rebuild is waiting. */
    void rebuildIfScheduled();
    void layoutGroupLabels (bool visible);
    void updateEnablement (bool enableInputs, bool enableOutputs);
    void updateHostPortName (int index);
    void updatePortName (int index);
    void setInputLockImage (int slot, bool reserved);
    void setOutputLockImage (int slot, bool reserved);
    const RouterGridLayout& getLayout() const noexcept { return layout; }
    const RouteLines& getRouteLines() const noexcept   { return routes; }

    //==============================================================================
    // Reservation view and call-outs
    void togglePortReservationView();
    bool isReservationViewOpen() const;
    UsbPortsReservation* getUsbPortsReservation();
    void openHostPortSettings (juce::Component* clicked, juce::uint8 slot);
    void openPortRename (juce::Component* clicked, int port);
    /** Closes every call-out the grid opened; with apply false their edits are dropped. */
    void dismissCallOuts (bool apply);

    void paintRouteLines (juce::Graphics&);
    /** The tab that holds the grid (null when the grid stands alone). */
    RouterCommon* getTab() const;
    /** Brings the full-settings window up to date, when it exists. */
    void refreshFullMap();

    //==============================================================================
    juce::Component* owner;
    int routerKind = 0;
    bool hostListRefreshPending = false;

    std::unique_ptr<juce::TextButton> inputButtons[portSlotCapacity];
    std::unique_ptr<juce::ImageButton> inputNameButtons[portSlotCapacity];
    std::unique_ptr<juce::ToggleButton> outputToggles[portSlotCapacity];
    std::unique_ptr<juce::ImageButton> outputNameButtons[portSlotCapacity];
    std::unique_ptr<juce::TextButton> hostInPortButtons[hostSlotCapacity], hostOutPortButtons[hostSlotCapacity];
    std::unique_ptr<juce::ImageButton> hostInLockButtons[hostSlotCapacity], hostOutLockButtons[hostSlotCapacity];
    std::unique_ptr<juce::Label> hubLabelsIn[RouterGridLayout::hubHeadingCapacity], hubLabelsOut[RouterGridLayout::hubHeadingCapacity];
    std::unique_ptr<juce::Label> noDeviceInLabel, noDeviceOutLabel, availableInLabel, availableOutLabel;
    std::unique_ptr<juce::Label> hostInputsLabel, hostOutputsLabel, deviceInputsLabel, deviceOutputsLabel;
    std::unique_ptr<juce::Label> bluetoothInputLabel, bluetoothOutputLabel, midiInputsLabel, midiOutputsLabel;
    std::unique_ptr<juce::ImageButton> hostInputsIcon, hostOutputsIcon, deviceInputsIcon, deviceOutputsIcon;
    std::unique_ptr<juce::ImageButton> bluetoothInputIcon, bluetoothOutputIcon, midiInputsIcon, midiOutputsIcon;
    std::unique_ptr<juce::Viewport> reservationViewport;

private:
    void handleAsyncUpdate() override;
    juce::TextButton& createInputButton (int index);
    juce::ToggleButton& createOutputToggle (int index);
    void applyEnablement();
    /** Works the ticks and lines out again from the routing, the rows and the selection. */
    void updateRoutes();
    void openReservationView();
    void closeReservationView (bool apply);
    void launchCallOut (std::unique_ptr<juce::Component> content, juce::Component& clicked);
    int getNumShownPorts() const;

    RouterEdits edits;
    RouterGridLayout layout;
    RouteLines routes;
    bool enableInputs = false, enableOutputs = false;
    bool rebuildScheduled = false;
    /** The colours the "Ports" buttons show now (0 before the first enablement). */
    juce::uint32 inPortsColours[hostSlotCapacity] = {}, outPortsColours[hostSlotCapacity] = {};
    juce::Image lockedImage, unlockedImage;
    juce::Array<juce::Component::SafePointer<juce::CallOutBox>> callOuts;
    /** A waiting rebuild is done just before the display's next frame is painted. */
    juce::VBlankAttachment vBlank { this, [this] { rebuildIfScheduled(); } };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RouterListCommon)
};
