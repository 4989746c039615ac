#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/EditorPanel.h"

class MainComponent;

/** The preset bar: choose, rename, load and save one preset. */
class Presets : public juce::Component,
                public EditorPanel
{
public:
    explicit Presets (MainComponent* owner);

    void fillPresetSelector();
    void resetPresetList();
    void selectPreset (int preset);
    /** The name of a preset as the product holds it (empty below host firmware 2.76). */
    static void getDevicePresetName (int preset, juce::String& name);
    bool checkPresetModified (const juce::String& selectorText);
    /** Offers to save changed presets, then quits. */
    void confirmSaveOnQuit();
    /** Gives item `preset` of the selector a new text (shown at once when it is selected). */
    void setPresetItemText (int preset, const juce::String& text);
    /** Enables or disables "Load", "Save" (by the modified check) and the selector. */
    void setControlsEnabled (bool enabled);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { setControlsEnabled (mode == editorIdle); }
    void refreshFromModel() override;

    juce::ComboBox presetSelector;
    juce::TextButton loadButton, saveButton;
    juce::String presetFilePaths[16], presetFileNames[16];

private:
    MainComponent* mainComponent;
};
