#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <juce_audio_devices/juce_audio_devices.h>
#include "settings/SettingsPresets.h"
#include "settings/SettingsButton.h"
#include "settings/SettingsTRSTypes.h"
#include "settings/SettingsSync24.h"
#include "settings/SettingsPowerDown.h"
#include "settings/SettingsDumpDevDesc.h"
#include "settings/TextBoxUsbCustomNameListener.h"
#include "app/EditorPanel.h"

class MainComponent;

/** The "Settings" page: how the tool finds the product (automatically, or by hand with "Connect"),
    the product's USB product name, and the sub-tabs of the device settings, rebuilt for each product
    identified. */
class Settings : public juce::Component,
                 public juce::ComboBox::Listener,
                 public juce::Button::Listener,
                 public EditorPanel
{
public:
    static constexpr int numPortSlots = 8;

    explicit Settings (MainComponent* owner);
    ~Settings() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    MainComponent* getMainComponent() const noexcept   { return mainComponent; }

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
    /** Automatic mode ("Auto detect" on): the connection is closed and the search restarts 400 ms
        later. Manual mode: the search stops, and the product and ports are chosen by hand; with
        refillProducts the product list gets its three products again, none chosen. */
    void applyConnectionMode (bool refillProducts);
    /** Turns "Auto detect" on, when it is off, and applies it. */
    void switchToAutoDetect();
    /** "Connect": opens the chosen ports for the chosen product and asks for its identity. */
    void connect();
    /** The port slot behind the item at a list position; -1 when the position or the slot it
        leads to is not one of the eight slots. */
    static int findSlotOfListPosition (const int (&slotIndices)[numPortSlots], int position);

    //==============================================================================
    /** Enables the page for an EditorMode: the product list, "Connect", the USB name group and
        each sub-panel. */
    void updateEnablement (int mode);
    /** Rebuilds the sub-tabs for the product now identified. */
    void buildDeviceTabs();
    /** Puts the device setting words the sub-panels show back to their defaults. */
    void resetDeviceSettings();
    /** Brings the full-settings window up to date, when it exists. */
    void refreshFullMap();

    //==============================================================================
    // USB product name
    /** Enables Apply and Reset for the editor's text; true when Apply is enabled. */
    bool updateUsbNameButtons (const juce::String& text);
    /** Apply (reset false) or Reset (reset true): stores the name and writes it to the device core. */
    void applyUsbProductName (bool reset);
    /** The editor shows the name the product holds. */
    void loadUsbProductName();
    /** Sets the USB name editor, with the checks of a change. */
    void setUsbNameEditorText (const juce::String& text);
    /** The status line of the USB name group: shown while the text is not empty. */
    void showStatusMessage (const juce::String& text, juce::Colour colour);
    /** A warning of the USB name editor, shown for 2000 ms. */
    void showWarning (const juce::String& text);

    //==============================================================================
    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;

    SettingsPresets* getPresetsPanel()       { return presetsPanel.get(); }
    SettingsButton* getButtonPanel()         { return buttonPanel.get(); }
    SettingsTRSTypes* getTrsPanel()          { return trsTypesPanel.get(); }
    SettingsSync24* getSync24Panel()         { return sync24Panel.get(); }
    SettingsPowerDown* getPowerDownPanel()   { return powerDownPanel.get(); }
    SettingsDumpDevDesc* getDumpPanel()      { return dumpPanel.get(); }

    //==============================================================================
    static constexpr int warningMs = 2000;
    static constexpr int searchRestartDelayMs = 400;

    int inputSlotCodes[numPortSlots];
    int outputSlotCodes[numPortSlots];
    int inputSlotIndices[numPortSlots];
    int outputSlotIndices[numPortSlots];
    juce::String inputSlotIdentifiers[numPortSlots];
    juce::String outputSlotIdentifiers[numPortSlots];

    juce::GroupComponent midiSettingsGroup;
    juce::ComboBox inputPortCombo { "MIDI Input" };
    juce::ComboBox outputPortCombo { "MIDI Output" };
    juce::Label midiInputLabel, midiOutputLabel;
    juce::ComboBox productCombo { "Product Select" };
    juce::Label productLabel;
    juce::TextButton rescanButton;
    juce::ToggleButton autoDetectToggle { "Auto detect" };
    juce::TextButton connectButton;

    juce::Label usbNameLabel;
    juce::TextButton applyButton;
    TextBoxUsbCustomNameListener usbNameEditor { *this };
    juce::Label statusLabel;
    juce::TextButton resetButton;

    /** The sub-panels of the product's tabs (null when it has no such tab), shown by deviceTabs. */
    std::unique_ptr<SettingsPresets> presetsPanel;
    std::unique_ptr<SettingsButton> buttonPanel;
    std::unique_ptr<SettingsTRSTypes> trsTypesPanel;
    std::unique_ptr<SettingsSync24> sync24Panel;
    std::unique_ptr<SettingsDumpDevDesc> dumpPanel;
    std::unique_ptr<SettingsPowerDown> powerDownPanel;
    juce::TabbedComponent deviceTabs { juce::TabbedButtonBar::TabsAtTop };

    /** The EditorMode last given to updateEnablement. */
    int lastEnablementMode = editorLocked;

private:
    void resetSlots();
    void setSelectedPorts (int inputIndex, int outputIndex, const juce::String& inputId, const juce::String& outputId);
    static juce::String productEntryText (int code, int slot);
    /** The lists' texts and tooltips while the search is automatic. */
    void showAutomaticModeTexts();
    void fillFixedProductList();
    bool bothPortsChosen() const;
    /** Takes the port chosen in a list as the one to open (nothing is opened). */
    void takeChosenPort (bool input);
    void addDeviceTab (const juce::String& name, juce::Component& panel);

    MainComponent* mainComponent;
    /** Counts the warnings, so that only the last one shown clears the status line. */
    int warningCount = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Settings)
};
