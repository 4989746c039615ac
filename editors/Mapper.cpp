#include "editors/Mapper.h"
#include "device/MidiController.h"

Mapper::Mapper (MainComponent* owner) : mainComponent (owner)
{
    setName ("Mapper");
    updateEnablement (editorLocked);
}

void Mapper::resetMappers (bool, bool, bool) {}
void Mapper::refreshForDevice() {}
void Mapper::toggleCurveEditor() {}
void Mapper::closeCurveEditor() {}
void Mapper::updateEnablement (int mode) { lastEnablementMode = mode; }
void Mapper::updatePortName (int) {}

void Mapper::productLost()
{
    resetMappers (false, true, false);
    closeCurveEditor();
    updateEnablement (editorLocked);
}

void Mapper::refreshFromModel()
{
    const int selected = getSelectedPageIndex();

    if (juce::isPositiveAndBelow (selected, mapperPages.size()))
        mapperPages[selected]->loadFromRecord();
}
