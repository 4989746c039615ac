#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "editors/MapperObject.h"
#include "editors/VelocityCurvesClass.h"
#include "app/EditorPanel.h"

#include <array>

class MainComponent;

/** The "MIDI Mapper" tab: one numbered page per mapper slot of the connected product, the resets,
    and the user velocity curve editor laid over the pages on request.

    An edit that passes its check marks the shown mapper for writing; the writes start a second
    after the last edit. The resets write at once.
*/
class Mapper : public juce::Component,
               public juce::Timer,
               public juce::Button::Listener,
               public EditorPanel
{
public:
    static constexpr int maxMappers = 24;

    explicit Mapper (MainComponent* owner);
    ~Mapper() override;

    void visibilityChanged() override;
    void paint (juce::Graphics&) override;
    void resized() override;
    /** The editors' flush: the debounce of the edits has run out. */
    void timerCallback() override;
    void buttonClicked (juce::Button*) override;

    //==============================================================================
    /** Creates the page of a slot and adds it as the tab "slot + 1". */
    void createMapperTab (int index);
    /** Adapts the pages, the curve button and the firmware notice to the identified product. */
    void refreshForDevice();
    /** Puts the mappers (all, or the shown one) back to their defaults, in the current preset or in
        every preset; with write, writes them at once. Resetting all mappers resets the user curves too. */
    void resetMappers (bool write, bool allPresets, bool selectedOnly);
    /** Marks the shown mapper for writing and restarts the one-second debounce. */
    void scheduleMapperWrite();
    void toggleCurveEditor();
    void closeCurveEditor();
    /** Enables the tab for the EditorMode (0 idle, 1 locked, 2 busy). */
    void updateEnablement (int mode);
    /** The user renamed input port: every page's input list shows the new name. */
    void updatePortName (int port);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;
    void flushEdits() override;

    /** The pages that exist, in slot order (the page of slot i at index i). */
    juce::Array<MapperObject*> getMapperPages() const;
    /** The page last checked or scheduled for writing (-1 none). */
    int getSelectedPageIndex() const  { return selectedMapper; }
    VelocityCurvesClass* getCurveEditor()  { return curveEditor.get(); }
    bool isCurveEditorOpen() const  { return curveEditorOpen; }

    /** The EditorMode last given to updateEnablement. */
    int lastEnablementMode = 1;

private:
    int getNumMappers() const;
    int getShownSlot() const;
    void refreshFullSettings();

    MainComponent* owner;
    std::array<MapperObject*, maxMappers> mapperPages {};
    int selectedMapper = -1;
    bool curveEditorOpen = false;

    std::unique_ptr<juce::TextButton> buttonResetAll;
    std::unique_ptr<juce::Label> firmwareNotice;
    std::unique_ptr<juce::TabbedComponent> mapperTabs;
    std::unique_ptr<juce::TextButton> buttonResetCurrent;
    std::unique_ptr<VelocityCurvesClass> curveEditor;
    std::unique_ptr<juce::TextButton> buttonEditCurves;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (Mapper)
};
