#include "editors/VelocityCurvesClass.h"
#include "editors/UserCurves.h"
#include "device/MidiController.h"

namespace
{
    MidiController* device()   { return MidiController::getInstance(); }

    float hostFirmware()
    {
        auto* d = device();
        return d != nullptr ? d->hostFirmwareVersion : 0.0f;
    }

    bool firmwareHasNoCurves()   { return hostFirmware() > 0.1f && hostFirmware() < 3.85f; }

    int curveCount()
    {
        auto* d = device();
        return d != nullptr ? d->getNumVelocityCurves() : 0;
    }
}

VelocityCurvesClass::VelocityCurvesClass (Mapper* owner) : ownerMapper (owner)
{
    setName ("velocityCurvesClass");

    curveSelector.setEditableText (false);
    curveSelector.setJustificationType (juce::Justification::centred);
    curveSelector.setTooltip (TRANS ("Curves:\n\nSelect here which user curve to edit"));
    curveSelector.setTextWhenNothingSelected (TRANS ("Select curve to edit"));
    curveSelector.setTextWhenNoChoicesAvailable (TRANS ("Select a curve"));
    curveSelector.onChange = [this] { showSelectedCurve(); };
    addAndMakeVisible (curveSelector);

    setSize (796, 400);
    updateEnablement (false);
    resetCurves (false, false);
}

void VelocityCurvesClass::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff323e44));
}

void VelocityCurvesClass::resized()
{
    curveSelector.setBounds (juce::roundToInt (getWidth() * 0.03), 8, 160, 24);
}

void VelocityCurvesClass::refreshChoices()
{
    curveSelector.clear (juce::dontSendNotification);

    auto* d = device();

    if (d != nullptr && d->productCode >= 1 && d->productCode <= 6)
        for (int curve = 1; curve <= numUserCurves; ++curve)
            curveSelector.addItem ("User curve " + juce::String (curve), curve);

    if (firmwareHasNoCurves())
        curveSelector.setSelectedId (0, juce::dontSendNotification);
    else if (curveSelector.getNumItems() > 0)
        curveSelector.setSelectedItemIndex (0, juce::dontSendNotification);
}

int VelocityCurvesClass::getSelectedCurve() const
{
    return curveSelector.getSelectedItemIndex();
}

void VelocityCurvesClass::showSelectedCurve()
{
    repaint();
}

void VelocityCurvesClass::resetCurves (bool write, bool selectedOnly)
{
    auto* d = device();

    if (d == nullptr)
        return;

    if (selectedOnly)
        resetUserCurve (d->userCurves, getSelectedCurve(), curveCount());
    else
        resetAllUserCurves (d->userCurves, curveCount());

    showSelectedCurve();

    if (write && hostFirmware() >= 3.85f && curveCount() > 0)
    {
        d->postAsyncMessage (statusText, "Writing curves settings...");

        for (int curve = 0; curve < curveCount(); ++curve)
            d->markForWrite (kindVelocityCurve, curve);

        d->sendPending (kindVelocityCurve);
    }
}

void VelocityCurvesClass::updateEnablement (bool allowed)
{
    const bool enabled = allowed && ! firmwareHasNoCurves();
    setEnabled (enabled);
    curveSelector.setEnabled (enabled);
}
