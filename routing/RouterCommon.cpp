#include "routing/RouterCommon.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);

    std::unique_ptr<juce::TextButton> makeButton (const char* name, const juce::String& text, const juce::String& tooltip)
    {
        auto button = std::make_unique<juce::TextButton> (name);
        button->setButtonText (text);
        button->setTooltip (tooltip);
        button->setColour (juce::TextButton::buttonColourId, buttonColour);
        return button;
    }
}

RouterCommon::RouterCommon (MainComponent* owner) : mainComponent (owner)
{
    buttonReset = makeButton ("buttonReset", TRANS ("Reset router"), TRANS ("Reset all routers to their default values and update device"));
    addAndMakeVisible (*buttonReset);
    buttonReset->addListener (this);

    viewport = std::make_unique<juce::Viewport> ("new viewport");
    viewport->setScrollBarsShown (true, false);
    addAndMakeVisible (*viewport);

    buttonClear = makeButton ("buttonClear", TRANS ("Clear router"), TRANS ("Clear all routing "));
    addAndMakeVisible (*buttonClear);
    buttonClear->addListener (this);

    buttonPortReservation = makeButton ("buttonPortReservation", TRANS ("USB Host Ports reservation"),
                                        TRANS ("Define USB Host ports reservation"));
    addAndMakeVisible (*buttonPortReservation);
    buttonPortReservation->addListener (this);

    auto list = std::make_unique<RouterListMidi> (this);
    grid = list.get();
    viewport->setViewedComponent (list.release(), true);

    setSize (800, 448);
    grid->rebuildGrid();
    updateEnablement (editorLocked);
}

RouterCommon::~RouterCommon()
{
    // An open cable panel or rename window goes first, applying nothing, while all it reaches exists.
    if (grid != nullptr)
        grid->dismissCallOuts (false);

    buttonReset = nullptr;
    viewport = nullptr;
    grid = nullptr;
    buttonClear = nullptr;
    buttonPortReservation = nullptr;
}

RouterListMidi* RouterCommon::getRouterList() const
{
    return grid;
}

void RouterCommon::paint (juce::Graphics& g)
{
    g.fillAll (backgroundColour);
}

void RouterCommon::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    viewport->setBounds (0, 0, w, scaled (h, 0.8616));

    const int buttonHeight = scaled (h, 0.0536);
    const int top = scaled (h, 0.9286) - buttonHeight / 2;
    const int sideWidth = scaled (w, 0.1425);
    buttonReset->setBounds (scaled (w, 0.375) - sideWidth, top, sideWidth, buttonHeight);
    buttonClear->setBounds (scaled (w, 0.625), top, sideWidth, buttonHeight);
    const int middleWidth = scaled (w, 0.2225);
    buttonPortReservation->setBounds (w / 2 - middleWidth / 2, top, middleWidth, buttonHeight);

    if (grid != nullptr)
        grid->setSize (viewport->getMaximumVisibleWidth(), grid->getHeight());

    refreshRouter();

    for (auto* button : { buttonReset.get(), buttonClear.get(), buttonPortReservation.get() })
        LayoutRules::clampControlHeight (*button);
}

//==============================================================================
void RouterCommon::buttonClicked (juce::Button* button)
{
    if (grid == nullptr)
        return;

    if (button == buttonReset.get())
        grid->resetRouter (true, false);
    else if (button == buttonClear.get())
        grid->clearRouter();
    else if (button == buttonPortReservation.get())
        grid->togglePortReservationView();
}

void RouterCommon::resetRouter (bool, bool)
{
}

void RouterCommon::refreshRouter()
{
    auto* device = MidiController::getInstance();
    const bool reservationsKept = device != nullptr && device->hostFirmwareVersion >= 3.05f;

    buttonPortReservation->setTooltip (reservationsKept ? TRANS ("Define USB devices ports reservation")
                                                        : TRANS ("Define USB devices ports reservation\n\nPlease update the firmware to enable this feature"));

    if (grid != nullptr)
        grid->scheduleRebuild();
}

void RouterCommon::updateEnablement (int mode)
{
    lastMode = mode;
    auto* device = MidiController::getInstance();
    const bool connected = device != nullptr && device->deviceMode == 1;
    const bool idle = connected && mode == editorIdle;
    const bool unlocked = connected && mode != editorLocked;

    buttonReset->setEnabled (idle);
    buttonClear->setEnabled (idle);
    buttonPortReservation->setEnabled (unlocked && device->hostFirmwareVersion >= 3.05f);

    if (grid != nullptr)
        grid->updateEnablement (unlocked, idle);
}

void RouterCommon::disableRouterButtons()
{
    for (auto* button : { buttonReset.get(), buttonClear.get(), buttonPortReservation.get() })
        button->setEnabled (false);
}

void RouterCommon::setPortReservationButtonText (const juce::String& text)
{
    if (text.isNotEmpty())
    {
        buttonPortReservation->setButtonText (text);
        return;
    }

    auto* device = MidiController::getInstance();
    const bool jorvek = device != nullptr && device->productCode == productJorvek;
    buttonPortReservation->setButtonText (TRANS (jorvek ? "USB-C Host Ports reservation" : "USB-A Host Ports reservation"));
}

void RouterCommon::reservationViewClosed()
{
    setPortReservationButtonText ({});
    updateEnablement (lastMode);
}

void RouterCommon::scrollGridTo (int y)
{
    viewport->setViewPosition (0, y);
}
