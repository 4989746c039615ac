#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "editors/MapperObject.h"
#include "editors/VelocityCurvesClass.h"
#include "app/EditorPanel.h"

class MainComponent;

/** The "MIDI Mapper" tab: one page per mapper slot and the user curve editor. */
class Mapper : public juce::Component,
               public EditorPanel
{
public:
    explicit Mapper (MainComponent* owner);

    void resetMappers (bool write, bool allPresets, bool selectedOnly);
    void refreshForDevice();
    void toggleCurveEditor();
    void closeCurveEditor();
    void updateEnablement (int mode);
    void updatePortName (int portIndex);

    // EditorPanel
    void productLost() override;
    void setEditorMode (EditorMode mode) override  { updateEnablement (mode); }
    void refreshFromModel() override;

    /** The mapper pages in slot order. */
    const juce::OwnedArray<MapperObject>& getMapperPages() const { return mapperPages; }
    /** The selected page (-1 none). */
    int getSelectedPageIndex() const { return -1; }
    VelocityCurvesClass* getCurveEditor() { return &curveEditor; }

    int lastEnablementMode = 1;

private:
    MainComponent* mainComponent;
    juce::OwnedArray<MapperObject> mapperPages;
    VelocityCurvesClass curveEditor;
};
