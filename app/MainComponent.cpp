#include "app/MainComponent.h"
#include "device/MidiController.h"

MainComponent::MainComponent()
{
    filter = std::make_unique<Filter> (this);
    mapper = std::make_unique<Mapper> (this);
    router = std::make_unique<RouterMidi> (this);
    upgrader = std::make_unique<Upgrader> (this);
    settings = std::make_unique<Settings> (this);
    presets = std::make_unique<Presets> (this);

    if (auto* device = MidiController::getInstance())
    {
        device->mainComponent = this;
        device->userInterface = this;
        device->upgradeStep = 0;
    }

    setSize (800, 600);
}

MainComponent::~MainComponent()
{
    MidiController::deleteInstance();
}

void MainComponent::setStatusText (const juce::String& text)  { statusLabel.setText (text, juce::dontSendNotification); }
void MainComponent::setInfoText (const juce::String& text)    { infoLabel.setText (text, juce::dontSendNotification); }

void MainComponent::showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed)
{
    juce::NativeMessageBox::showMessageBoxAsync (warningIcon ? juce::MessageBoxIconType::WarningIcon
                                                             : juce::MessageBoxIconType::InfoIcon,
                                                 "Info", text, this,
                                                 juce::ModalCallbackFunction::create ([onClosed] (int)
                                                 {
                                                     if (onClosed)
                                                         onClosed();
                                                 }));
}

void MainComponent::reportSettingsError (int) {}
void MainComponent::reportUpgradeResult (int) {}
void MainComponent::setEditorsEnabled (bool) {}
void MainComponent::setFactoryResetEnabled (bool) {}
juce::String MainComponent::getDeviceProperty (const juce::String&, const juce::String&) { return {}; }
void MainComponent::startFileDownload (int, const juce::String&, int) {}
juce::String MainComponent::getCatalogueAddress() { return {}; }
void MainComponent::startFirmwareUpgrade() {}
void MainComponent::startDeviceReport() {}
