#include "editors/Mapper.h"
#include "editors/EditorFlush.h"
#include "app/LayoutRules.h"
#include "app/LookAndFeelCustom.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour coral (0xffff7f50);
    const juce::Colour pageTabColour (0xff555555);

    constexpr int debounceMs = 1000;

    const char* const editCurvesTooltip = "This will open the curves editor";
    const char* const noCurvesTooltip = "Please update the device firmware to enable curves";

    MidiController* device()   { return MidiController::getInstance(); }

    float hostFirmware()
    {
        auto* d = device();
        return d != nullptr ? d->hostFirmwareVersion : 0.0f;
    }

    /** A product is identified, and its firmware keeps no mappers. */
    bool firmwareHasNoMappers()   { return hostFirmware() > 0.1f && hostFirmware() < 0.55f; }
    bool firmwareHasNoCurves()    { return hostFirmware() > 0.1f && hostFirmware() < 3.85f; }

    std::unique_ptr<juce::TextButton> makeButton (const juce::String& name, const char* text, const char* tooltip)
    {
        auto button = std::make_unique<juce::TextButton> (name);
        button->setButtonText (TRANS (text));
        button->setTooltip (TRANS (tooltip));
        button->setColour (juce::TextButton::buttonColourId, coral);
        return button;
    }
}

Mapper::Mapper (MainComponent* ownerComponent) : owner (ownerComponent)
{
    setName ("Mapper");

    buttonResetAll = makeButton ("buttonResetAll", "Reset all mappers", "This will reset all mappers to their default values");
    buttonResetAll->addListener (this);
    addAndMakeVisible (*buttonResetAll);

    firmwareNotice = std::make_unique<juce::Label> ("new label", TRANS ("MIDI mapper requires a more recent firmware, "
                                                                        "please upgrade your device to enable MIDI mappers"));
    firmwareNotice->setFont (juce::Font (15.0f, juce::Font::plain).withTypefaceStyle ("Regular"));
    firmwareNotice->setJustificationType (juce::Justification::centred);
    firmwareNotice->setEditable (false, false, false);
    firmwareNotice->setColour (juce::Label::backgroundColourId, backgroundColour);
    firmwareNotice->setColour (juce::Label::textColourId, juce::Colour (0xffff1f1f));
    addAndMakeVisible (*firmwareNotice);

    mapperTabs = std::make_unique<juce::TabbedComponent> (juce::TabbedButtonBar::TabsAtTop);
    mapperTabs->setTabBarDepth (24);
    mapperTabs->setCurrentTabIndex (-1);
    addAndMakeVisible (*mapperTabs);

    buttonResetCurrent = makeButton ("buttonResetCurrent", "Reset selected mapper",
                                     "This will reset the current selected mapper to its default values");
    buttonResetCurrent->addListener (this);
    addAndMakeVisible (*buttonResetCurrent);

    curveEditor = std::make_unique<VelocityCurvesClass> (this);
    addChildComponent (*curveEditor);

    buttonEditCurves = makeButton ("buttonEditCurves", "Edit curves", editCurvesTooltip);
    buttonEditCurves->addListener (this);
    addAndMakeVisible (*buttonEditCurves);

    setSize (800, 448);

    // Before a product is identified every slot a product can have gets its page.
    const int pages = getNumMappers() > 0 ? getNumMappers() : maxMappers;

    for (int slot = 0; slot < pages; ++slot)
        createMapperTab (slot);

    mapperTabs->setCurrentTabIndex (0, false);
    updateEnablement (editorLocked);
    firmwareNotice->setVisible (firmwareHasNoMappers());
    curveEditor->setVisible (false);
}

Mapper::~Mapper()
{
    stopTimer();
}

int Mapper::getNumMappers() const
{
    auto* d = device();
    return d != nullptr ? d->getNumMappers() : 0;
}

int Mapper::getShownSlot() const
{
    return mapperTabs->getCurrentTabIndex();
}

juce::Array<MapperObject*> Mapper::getMapperPages() const
{
    juce::Array<MapperObject*> pages;

    for (auto* page : mapperPages)
        if (page != nullptr)
            pages.add (page);

    return pages;
}

void Mapper::refreshFullSettings()
{
    if (owner != nullptr)
        if (auto* fullMap = owner->getFullMap())
            fullMap->refresh();
}

//==============================================================================
void Mapper::createMapperTab (int index)
{
    if (! juce::isPositiveAndBelow (index, maxMappers))
        return;

    auto page = std::make_unique<MapperObject> (*this, index);
    page->rebuildChoices();
    page->resetToDefault (true);
    mapperPages[(size_t) index] = page.get();
    mapperTabs->addTab (juce::String (index + 1), pageTabColour, page.release(), true);
}

void Mapper::refreshForDevice()
{
    firmwareNotice->setVisible (firmwareHasNoMappers());

    buttonEditCurves->setEnabled (! firmwareHasNoCurves());
    buttonEditCurves->setTooltip (TRANS (firmwareHasNoCurves() ? noCurvesTooltip : editCurvesTooltip));

    curveEditor->refreshChoices();

    const int count = getNumMappers();

    if (count > 0)
    {
        for (int slot = 0; slot < count; ++slot)
        {
            if (mapperPages[(size_t) slot] != nullptr)
                mapperPages[(size_t) slot]->rebuildChoices();
            else
                createMapperTab (slot);
        }

        // Tab i holds the page of slot i: the surplus tabs go from the last one down.
        for (int slot = maxMappers - 1; slot >= count; --slot)
        {
            if (mapperPages[(size_t) slot] != nullptr)
            {
                mapperPages[(size_t) slot] = nullptr;
                mapperTabs->removeTab (slot);
            }
        }
    }

    repaint();
}

void Mapper::resetMappers (bool write, bool allPresets, bool selectedOnly)
{
    auto* d = device();

    if (d == nullptr)
        return;

    const int shown = getShownSlot();
    const int count = getNumMappers();

    // The user curves belong to every mapper: resetting one mapper leaves them as they are.
    if (hostFirmware() >= 3.85f && ! selectedOnly)
        curveEditor->resetCurves (write, false);

    for (int slot = 0; slot < count; ++slot)
        if (! selectedOnly || slot == shown)
            if (auto* page = mapperPages[(size_t) slot])
                page->resetToDefault (allPresets);

    repaint();

    if (write && hostFirmware() >= 0.55f)
    {
        d->postAsyncMessage (statusText, "Writing mapper settings...");

        if (selectedOnly)
        {
            if (juce::isPositiveAndBelow (shown, count))
            {
                d->markForWrite (kindMapper, shown);
                d->sendPending (kindMapper);
            }
        }
        else
        {
            for (int slot = 0; slot < count; ++slot)
                d->markForWrite (kindMapper, slot);

            d->sendPending (kindMapper);
        }
    }

    refreshFullSettings();
}

void Mapper::scheduleMapperWrite()
{
    stopTimer();
    repaint();

    const int shown = getShownSlot();
    selectedMapper = shown;

    if (shown < 0)
        return;

    auto* d = device();

    if (d != nullptr && shown < getNumMappers() && hostFirmware() >= 0.55f)
    {
        d->markForWrite (kindMapper, shown);
        startTimer (debounceMs);
        refreshFullSettings();
    }
}

void Mapper::timerCallback()
{
    flushEditorWrites (*this);
}

void Mapper::flushEdits()
{
    // The edits are marked as they are made: only their writes wait for the debounce.
    if (isTimerRunning())
        flushEditorWrites (*this);
}

//==============================================================================
void Mapper::toggleCurveEditor()
{
    if (curveEditorOpen)
    {
        closeCurveEditor();
        return;
    }

    auto* d = device();

    // The user curves are read once per connection, when the editor first opens.
    if (d != nullptr && d->userCurvesRead == 0 && hostFirmware() > 3.85f && d->isProductKnown())
    {
        for (int curve = 0; curve < d->getNumVelocityCurves(); ++curve)
            d->markForRead (kindVelocityCurve, curve);

        d->sendPending (kindVelocityCurve);
    }

    if (d != nullptr)
        d->userCurvesRead = 1;

    curveEditor->setVisible (true);
    curveEditor->toFront (false);
    buttonEditCurves->setButtonText (TRANS ("Close curve editor"));
    curveEditorOpen = true;
    repaint();
}

void Mapper::closeCurveEditor()
{
    curveEditor->setVisible (false);
    buttonEditCurves->setButtonText (TRANS ("Edit curves"));
    curveEditorOpen = false;
    repaint();
}

//==============================================================================
void Mapper::updateEnablement (int mode)
{
    lastEnablementMode = mode;

    auto* d = device();
    const bool connected = d != nullptr && d->deviceMode == 1;
    const bool idle = connected && mode == editorIdle;
    const bool usable = connected && mode != editorLocked;

    buttonResetAll->setEnabled (idle);
    buttonResetCurrent->setEnabled (idle);
    mapperTabs->setEnabled (usable);
    curveEditor->updateEnablement (usable);
    buttonEditCurves->setEnabled (usable && ! firmwareHasNoCurves());

    const int count = getNumMappers();

    for (int slot = 0; slot < count; ++slot)
        if (auto* page = mapperPages[(size_t) slot])
            page->updateEnablement (idle);

    repaint();
}

void Mapper::updatePortName (int port)
{
    const int count = getNumMappers();

    for (int slot = 0; slot < count; ++slot)
    {
        if (auto* page = mapperPages[(size_t) slot])
        {
            page->updatePortName (port);
            repaint();
        }
    }
}

//==============================================================================
void Mapper::productLost()
{
    stopTimer();
    resetMappers (false, true, false);
    closeCurveEditor();
    updateEnablement (editorLocked);
}

void Mapper::refreshFromModel()
{
    // Every record of the preset may have changed (a preset file loaded, a preset read again).
    const int count = getNumMappers();

    for (int slot = 0; slot < count; ++slot)
        if (auto* page = mapperPages[(size_t) slot])
            page->loadFromRecord();

    repaint();
}

void Mapper::visibilityChanged()
{
    if (isShowing() && mapperTabs->getNumTabs() > 0)
    {
        selectedMapper = getShownSlot();

        if (juce::isPositiveAndBelow (selectedMapper, maxMappers))
            if (auto* page = mapperPages[(size_t) selectedMapper])
                page->validate();
    }

    repaint();
}

void Mapper::buttonClicked (juce::Button* button)
{
    if (button == buttonResetAll.get())
        resetMappers (true, false, false);
    else if (button == buttonResetCurrent.get())
        resetMappers (true, false, true);
    else if (button == buttonEditCurves.get())
        toggleCurveEditor();
}

//==============================================================================
void Mapper::paint (juce::Graphics& g)
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    g.fillAll (backgroundColour);
    g.setColour (coral);
    g.fillRect (0, scaled (h, 0.1239), w, 1);

    const juce::Rectangle<int> titleBox (scaled (w, 0.0175), scaled (h, 0.1239) - 16, 68, 33);
    g.setColour (backgroundColour);
    g.fillRect (titleBox);

    if (! curveEditorOpen)
    {
        g.setColour (coral);
        g.setFont (juce::Font (LookAndFeelCustom::getArialTypefaceName(), 14.5f, juce::Font::plain).withTypefaceStyle ("Regular"));
        g.drawText (TRANS ("Mappers"), scaled (w, 0.0125), scaled (h, 0.1272) - 15, 64, 30, juce::Justification::centred, true);
    }
}

void Mapper::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    const int bw = scaled (w, 0.2);
    const int bh = scaled (h, 0.0536);
    const int buttonTop = scaled (h, 0.0625) - bh / 2;

    buttonResetAll->setBounds (w / 2 - bw / 2, buttonTop, bw, bh);
    firmwareNotice->setBounds (0, scaled (h, 0.1183) - 12, w, 24);
    mapperTabs->setTabBarDepth (scaled (h, 0.06696428));
    mapperTabs->setBounds (0, scaled (h, 0.1607), w, scaled (h, 0.8393));
    buttonResetCurrent->setBounds (scaled (w, 0.27) - bw / 2, buttonTop, bw, bh);
    curveEditor->setBounds (0, scaled (h, 0.1071), w, scaled (h, 0.8929));
    buttonEditCurves->setBounds (scaled (w, 0.6312), buttonTop, bw, bh);

    for (auto* button : { buttonResetAll.get(), buttonResetCurrent.get(), buttonEditCurves.get() })
        LayoutRules::clampControlHeight (*button);
}
