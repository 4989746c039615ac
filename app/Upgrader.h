#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "device/DeviceTypes.h"
#include "app/EditorPanel.h"

class MainComponent;
class HexFileParser;

/** The "Firmware" tab: load a firmware image, start the upgrade, restore the official firmware. */
class Upgrader : public juce::Component,
                 public juce::Button::Listener,
                 public EditorPanel
{
public:
    explicit Upgrader (juce::Component* owner);
    ~Upgrader() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** The restore button for a known product in idle mode, then the upgrade buttons. */
    void updateEnablement (int mode);
    /** With "Manual update" checked, the two upgrade buttons unless the mode is locked or an
        image is being programmed; the mode is kept for the box's own clicks. */
    void updateUpgradeButtons (int mode);
    void updateRestoreButton (bool enable);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override {}

    void chooseFirmwareFile();
    /** Reads an Intel HEX file (a URL text) into the device object's image. */
    void loadFirmwareFile (const juce::String& urlText);
    /** Reads a downloaded Intel HEX text and, when it is good, starts the upgrade at once. */
    void loadFirmwareText (const juce::String& hexText);
    void restoreOfficialFirmware();

    juce::Component* owner;
    std::unique_ptr<juce::FileChooser> fileChooser;
    std::unique_ptr<juce::TextButton> loadFirmwareButton;
    std::unique_ptr<juce::TextButton> startUpgradeButton;
    std::unique_ptr<juce::ToggleButton> manualUpdateToggle;
    std::unique_ptr<juce::TextButton> restoreFirmwareButton;
    std::unique_ptr<juce::GroupComponent> manualUpdateGroup;

private:
    MainComponent* getMainComponent() const;
    /** Gives a reader this tab's mismatch box and "Start upgrade" button. */
    void prepareReader (HexFileParser& parser);
    /** While an image is being programmed nothing here may replace it or start another upgrade. */
    static bool programmingRuns();

    /** The editor mode last applied; the constructor locks the tab. */
    int editorMode = editorLocked;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Upgrader)
};
