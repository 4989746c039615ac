#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "app/EditorPanel.h"
#include "settings/ComboBoxWithListener.h"
#include "settings/PresetFileRecords.h"

class MainComponent;

/** The preset bar: shows the active preset of the product and lets the user choose another one,
    rename it, load it from a preset file and save it into one. It remembers which file each preset
    was last read from or written to, offers Save while the active preset differs from its file, and
    at quit offers to write changed presets back into their files.
*/
class Presets : public juce::Component,
                public juce::Button::Listener,
                public EditorPanel
{
public:
    explicit Presets (MainComponent* owner);
    ~Presets() override;

    //==============================================================================
    /** Items "Preset 1" to "Preset N" for the connected product, with their tooltip; sends nothing. */
    void fillPresetSelector();
    /** Back to the first preset, its default names and no file shown; sends nothing. */
    void resetPresetList();
    /** Selects the item of a preset without notification and shows its file. */
    void selectPreset (int preset);
    /** The name of a preset as the product holds it (empty unless the host firmware is above 2.75). */
    static void getDevicePresetName (int preset, juce::String& name);
    /** Gives item `preset` of the selector a new text (shown at once when it is selected). */
    void setPresetItemText (int preset, const juce::String& text);
    /** Recomputes whether the active preset differs from its file, for the name shown; enables Save
        when it does (while the bar is enabled). */
    bool checkPresetModified (const juce::String& selectorText);
    /** Enables or disables Load, Save (then by the modified check) and the selector. */
    void setControlsEnabled (bool enabled);
    /** Offers to write presets that differ from their files, then quits. */
    void confirmSaveOnQuit();

    //==============================================================================
    /** The warning line under the selector; hidden while empty. */
    void showMessage (const juce::String& text);
    /** Shows a name warning for 2000 ms. */
    void showNameWarning (const juce::String& warning);
    /** The preset the selector stands for (the product's current preset, or the one that becomes
        current once the request selecting it goes out). */
    int getActivePreset() const;
    /** Chooses another preset: the edits the editors still hold go out for the preset they were
        made in, then the product is switched (preset setting write). */
    void setActivePreset (int preset);
    /** The file label for a preset, then the modified check. */
    void updateFileLabel (int preset);
    /** Stores a preset's new name and, when it changed, writes it to the product (from host firmware 2.75). */
    void sendPresetName (int preset, const juce::String& name);

    /** Writes a preset into a preset file; returns the error, empty on success. */
    juce::String savePresetFile (const juce::URL& file, int preset);
    /** Reads a preset file into a preset (negative: the active one); with send the changed items are
        written to the product. Returns the error, empty on success. */
    juce::String loadPresetFile (const juce::URL& file, int preset, bool send);

    void chooseFileAndLoad (int preset);
    void chooseFileAndSave (const juce::String& title);

    //==============================================================================
    /** A file dialog the bar asks for. */
    struct FileDialogRequest
    {
        juce::String title;
        juce::File initialFile;
        bool saving = false;
    };

    /** Shows a file dialog and calls back with the chosen file (an empty URL when cancelled).
        The bar's own opens a file chooser; tests replace it to answer the dialog. */
    using FileDialog = std::function<void (const FileDialogRequest&, std::function<void (const juce::URL&)>)>;
    FileDialog showFileDialog;

    //==============================================================================
    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { setControlsEnabled (mode == editorIdle); }
    void refreshFromModel() override;

    // juce::Component, juce::Button::Listener
    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    //==============================================================================
    MainComponent* owner;
    /** The chooser of the last file dialog. */
    std::unique_ptr<juce::FileChooser> fileChooser;
    /** Which file each preset was last read from or written to, and what the files hold. */
    PresetFileRecords fileRecords;
    juce::String (&presetFileUrls)[PresetFileRecords::numPresets] = fileRecords.presetFileUrls;
    juce::String (&presetFileNames)[PresetFileRecords::numPresets] = fileRecords.presetFileNames;
    PresetFileSnapshot& fileSnapshot = fileRecords.fileSnapshot;

    ComboBoxWithListener presetSelector { *this };
    juce::TextButton buttonLoadSinglePreset { "buttonLoadSinglePreset" };
    juce::Label fileLabel { "new label", "-\n" };
    juce::Label messageLabel { "new label" };
    juce::ImageButton editNameButton { "new button" };
    juce::TextButton buttonSaveSinglePreset { "buttonSaveSinglePreset" };

private:
    void launchFileChooser (const FileDialogRequest& request, std::function<void (const juce::URL&)> onChosen);
    /** Asks for access to the user's files (desktop systems grant it), then carries on either way. */
    void askForStorageAccess (std::function<void()> then);
    void showErrorBox (const juce::String& text);

    bool controlsEnabled = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Presets)
};
