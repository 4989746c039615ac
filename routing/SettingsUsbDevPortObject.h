#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/RouterCallOutPanel.h"
#include "routing/UsbPortMaskEdit.h"

class RouterListCommon;

/** The panel in which the user switches the cables of one USB device on and off, opened from the
    "Ports" button of an occupied host port. A change goes into the device model at once; closing
    the panel queues the write (the routing grid sends it a second later) and, when asked to, frees
    the reservations of the cables just disabled. */
class SettingsUsbDevPortObject : public juce::Component,
                                 public juce::Button::Listener,
                                 public RouterCallOutPanel
{
public:
    static constexpr int numCables = 16;

    SettingsUsbDevPortObject (RouterListCommon* grid, int recordIndex, int routerKind);
    ~SettingsUsbDevPortObject() override;

    void paint (juce::Graphics&) override;
    void resized() override {}
    void buttonClicked (juce::Button*) override;
    void closePanel (bool apply) override;

    /** Takes a copy of the host-port record and shows its device and enabled cables. */
    void setDevice (const UsbHostDevice& record);
    void showPortStates (juce::uint32 mask);
    void toggleOutputPort (int cable);
    void toggleInputPort (int cable);
    /** Shows the description again; true when some cable the device has is on. */
    bool checkSomePortEnabled();

    static const juce::String description, lastCableMessage, tableFullMessage;

    std::unique_ptr<juce::ToggleButton> inputToggles[numCables], outputToggles[numCables];
    std::unique_ptr<juce::Label> cableLabels[numCables];
    std::unique_ptr<juce::Label> nameLabel, pidValueLabel, vidLabel, vidValueLabel, pidLabel, inputsLabel, outputsLabel, descriptionLabel;
    std::unique_ptr<juce::TextButton> resetButton;
    std::unique_ptr<juce::ToggleButton> autoDisableToggle;

private:
    void toggleCable (bool inputCable, int cable);
    /** Undoes a click that was not stored and says why in the description, for three seconds. */
    void refuse (const juce::String& message);
    void showDescription();
    /** The "Reset" button: enabled while the device has a mask of its own. */
    void updateResetButton();

    juce::Component::SafePointer<RouterListCommon> grid;
    int recordIndex, routerKind;
    std::unique_ptr<UsbPortMaskEdit> edit;
    bool closed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SettingsUsbDevPortObject)
};
