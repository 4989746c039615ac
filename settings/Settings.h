#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include "settings/SettingsDumpDevDesc.h"
#include "settings/SettingsPanels.h"
#include "app/EditorPanel.h"

class MainComponent;

/** The "Settings" page: the choice of product and MIDI ports, and the device settings sub-panels. */
class Settings : public juce::Component,
                 public EditorPanel
{
public:
    static constexpr int numPortSlots = 8;

    explicit Settings (MainComponent* owner);

    //==============================================================================
    /** Scans the computer's MIDI ports, fills the lists and, in automatic mode, chooses
        the product and its ports. Returns the chosen product code, 255 when none. */
    int scanMidiPorts();
    /** The same scan over given port lists. */
    int scanPorts (const juce::Array<juce::MidiDeviceInfo>& inputs, const juce::Array<juce::MidiDeviceInfo>& outputs);

    /** The product code a port name identifies (13: firmware-upgrade mode, 255: none). */
    static int productCodeFromPortName (const juce::String& name);
    /** True when the name marks a product's second or later port. */
    static bool isNotFirstPort (const juce::String& name);

    //==============================================================================
    /** Automatic (toggle on) or manual choice of the product and its ports. */
    void applyConnectionMode (bool fixedProductList);

    void updateEnablement (int mode);
    void buildDeviceTabs();
    void resetDeviceSettings();

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;

    SettingsDumpDevDesc* getDumpPanel() { return &dumpPanel; }
    SettingsTRSTypes* getTrsPanel() { return nullptr; }
    SettingsSync24* getSync24Panel() { return nullptr; }
    SettingsPowerDown* getPowerDownPanel() { return nullptr; }
    /** Sets the USB name editor, with change notification. */
    void setUsbNameEditorText (const juce::String& text);

    void resized() override;

    //==============================================================================
    int inputSlotCodes[numPortSlots];
    int outputSlotCodes[numPortSlots];
    int inputSlotIndices[numPortSlots];
    int outputSlotIndices[numPortSlots];
    juce::String inputSlotIdentifiers[numPortSlots];
    juce::String outputSlotIdentifiers[numPortSlots];

    juce::ComboBox inputPortCombo { "MIDI Input" };
    juce::ComboBox outputPortCombo { "MIDI Output" };
    juce::ComboBox productCombo { "Product Select" };
    juce::ToggleButton autoDetectToggle { "Auto detect" };

    int lastEnablementMode = 1;

private:
    void resetSlots();
    void setSelectedPorts (int inputIndex, int outputIndex, const juce::String& inputId, const juce::String& outputId);
    static juce::String productEntryText (int code, int slot);

    MainComponent* mainComponent;
    SettingsDumpDevDesc dumpPanel;
    juce::TextEditor usbNameEditor;
};

