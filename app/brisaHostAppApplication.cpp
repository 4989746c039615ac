#include "app/brisaHostAppApplication.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "device/CallAfterAtLeast.h"

brisaHostAppApplication::~brisaHostAppApplication()
{
    mainWindow = nullptr;
}

void brisaHostAppApplication::initialise (const juce::String&)
{
    mainWindow = std::make_unique<MainWindow> (getApplicationName());
}

void brisaHostAppApplication::shutdown()
{
    mainWindow = nullptr;
}

void brisaHostAppApplication::systemRequestedQuit()
{
    quit();
}

//==============================================================================
brisaHostAppApplication::MainWindow::MainWindow (const juce::String& name)
    : DocumentWindow (name,
                      juce::Desktop::getInstance().getDefaultLookAndFeel().findColour (juce::ResizableWindow::backgroundColourId),
                      DocumentWindow::allButtons)
{
    setUsingNativeTitleBar (true);

    if (auto* device = MidiController::getInstance())
    {
        device->baseContentHeight = 600.0f;
        device->baseContentWidth = 800.0f;
    }

    setContentOwned (new MainComponent(), true);
    setResizable (true, true);
    centreWithSize (getWidth(), getHeight());
    setResizeLimits (654, 490, 1680, 1260);
    getConstrainer()->setFixedAspectRatio (1.3333333333333333);

    if (auto* device = MidiController::getInstance())
    {
        device->baseContentHeight = (float) getHeight();
        device->baseContentWidth = (float) getWidth();
    }

    setVisible (true);
}

void brisaHostAppApplication::MainWindow::closeButtonPressed()
{
    // The tool is already on its way out: a second press sends nothing and prompts nothing.
    if (closing)
        return;

    closing = true;
    auto* device = MidiController::getInstance();
    juce::Component::SafePointer<MainComponent> main (dynamic_cast<MainComponent*> (getContentComponent()));

    if (main == nullptr)
    {
        juce::JUCEApplicationBase::quit();
        return;
    }

    if (device == nullptr || device->closeConnection() != SYSX_OK)
    {
        main->getPresets()->confirmSaveOnQuit();
        return;
    }

    // The close-connection request goes out first; the product gets half a second before the tool goes.
    callAfterAtLeast (500, [main]
    {
        if (main != nullptr)
            main->getPresets()->confirmSaveOnQuit();
    });
}
