#include "app/Upgrader.h"
#include "app/MainComponent.h"
#include "app/HexFileParser.h"
#include "device/MidiController.h"

Upgrader::Upgrader (juce::Component* ownerComponent) : owner (ownerComponent)
{
    setName ("Upgrader");

    loadFirmwareButton = std::make_unique<juce::TextButton> ("Load firmware");
    loadFirmwareButton->setTooltip (TRANS ("Click to load a firmware file from your disk"));

    startUpgradeButton = std::make_unique<juce::TextButton> ("Start upgrade");
    startUpgradeButton->setTooltip (TRANS ("Click to start upgrading firmware from a previoulsy loaded file"));

    manualUpdateToggle = std::make_unique<juce::ToggleButton> ("Manual update");
    manualUpdateToggle->setName ("manualUpdate");
    manualUpdateToggle->setTooltip (TRANS ("Check this box to enable upgrading the connected device with a firmware file\n\n"
                                           "The software automatically checks for new firmware, but you may want to use a firmware file provided by Kelmora, as a beta tester"));

    restoreFirmwareButton = std::make_unique<juce::TextButton> ("Restore official firmware");
    restoreFirmwareButton->setTooltip (TRANS ("Click to restore official firmware"));

    manualUpdateGroup = std::make_unique<juce::GroupComponent> ("new group", "Manual update");
    manualUpdateGroup->setColour (juce::GroupComponent::outlineColourId, juce::Colour (0xff8e989b));
    manualUpdateGroup->setColour (juce::GroupComponent::textColourId, juce::Colour (0xffff7f50));

    for (juce::Component* child : { (juce::Component*) loadFirmwareButton.get(), (juce::Component*) startUpgradeButton.get(),
                                    (juce::Component*) manualUpdateToggle.get(), (juce::Component*) restoreFirmwareButton.get(),
                                    (juce::Component*) manualUpdateGroup.get() })
        addAndMakeVisible (child);

    for (juce::Button* button : { (juce::Button*) loadFirmwareButton.get(), (juce::Button*) startUpgradeButton.get(),
                                  (juce::Button*) manualUpdateToggle.get(), (juce::Button*) restoreFirmwareButton.get() })
        button->addListener (this);

    setSize (800, 448);
    updateEnablement (editorLocked);
}

Upgrader::~Upgrader() = default;

MainComponent* Upgrader::getMainComponent() const
{
    return dynamic_cast<MainComponent*> (owner);
}

void Upgrader::prepareReader (HexFileParser& parser)
{
    parser.owner = this;

    // The mismatch box queues with every other box of the application.
    if (auto* main = getMainComponent())
    {
        juce::Component::SafePointer<MainComponent> safeMain (main);

        parser.showMismatchBox = [safeMain] (std::function<void (int)> onResult)
        {
            if (auto* m = safeMain.getComponent())
                m->boxPresenter.show (HexFileParser::makeMismatchBoxOptions(), std::move (onResult));
        };
    }

    juce::Component::SafePointer<Upgrader> safeThis (this);

    parser.enableStartUpgrade = [safeThis] (juce::Component&)
    {
        if (auto* tab = safeThis.getComponent())
            tab->startUpgradeButton->setEnabled (true);
    };
}

void Upgrader::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff323e44));
}

void Upgrader::resized()
{
    const int w = getWidth(), h = getHeight();
    auto r = [] (double v) { return juce::roundToInt (v); };

    loadFirmwareButton->setBounds (w / 2 - r (0.1875 * w) - 20, r (0.2143 * h), r (0.1875 * w), r (0.0536 * h));
    startUpgradeButton->setBounds (w / 2 + 20, r (0.2143 * h), r (0.1875 * w), r (0.0536 * h));
    manualUpdateToggle->setBounds (w / 2 - 61, r (0.1161 * h) - 12, 123, 24);
    restoreFirmwareButton->setBounds (w / 2 - r (0.28 * w) / 2, r (0.3929 * h), r (0.28 * w), r (0.0536 * h));
    manualUpdateGroup->setBounds (r (0.24 * w), r (0.0357 * h), r (0.52 * w), r (0.2812 * h));

    for (auto* button : { loadFirmwareButton.get(), startUpgradeButton.get(), restoreFirmwareButton.get() })
        button->setSize (button->getWidth(), juce::jlimit (18, 24, button->getHeight()));
}

void Upgrader::buttonClicked (juce::Button* button)
{
    if (button == loadFirmwareButton.get())
    {
        chooseFirmwareFile();
    }
    else if (button == startUpgradeButton.get())
    {
        if (auto* main = getMainComponent(); main != nullptr && ! programmingRuns())
        {
            main->upgradeRequested = true;
            main->startFirmwareUpgrade();
        }
    }
    else if (button == manualUpdateToggle.get())
    {
        // The box only shows or hides what the editor mode allows.
        updateUpgradeButtons (editorMode);
    }
    else if (button == restoreFirmwareButton.get())
    {
        restoreOfficialFirmware();
    }
}

void Upgrader::updateUpgradeButtons (int mode)
{
    editorMode = mode;

    auto* device = MidiController::getInstance();
    const bool manual = manualUpdateToggle->getToggleState();
    const bool locked = mode == editorLocked || programmingRuns();

    loadFirmwareButton->setEnabled (manual && ! locked);
    startUpgradeButton->setEnabled (manual && ! locked && device != nullptr && device->firmwareImageSize > 0);
}

bool Upgrader::programmingRuns()
{
    auto* device = MidiController::getInstance();
    return device != nullptr && device->isProgrammingFirmware();
}

void Upgrader::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();
    updateRestoreButton (device != nullptr && device->productCode != productNone && mode == editorIdle);
    updateUpgradeButtons (mode);
}

void Upgrader::updateRestoreButton (bool enable)
{
    auto* device = MidiController::getInstance();
    const bool deviceBeta = device != nullptr && device->deviceFirmwareBeta != 0;
    const bool hostBeta = device != nullptr && device->hostFirmwareBeta != 0;

    if (enable && deviceBeta)
        restoreFirmwareButton->setButtonText ("Restore official Device firmware");
    else if (enable && hostBeta)
        restoreFirmwareButton->setButtonText ("Restore official Host firmware");
    else
        restoreFirmwareButton->setButtonText ("Restore official firmware");

    restoreFirmwareButton->setEnabled (enable && (deviceBeta || hostBeta));
}

void Upgrader::chooseFirmwareFile()
{
    // Desktop platforms grant file access at once; the chooser opens either way.
    fileChooser = std::make_unique<juce::FileChooser> ("Choose a firmware Hex file...",
                                                       juce::File::getCurrentWorkingDirectory(), "*.hex", true);

    juce::Component::SafePointer<Upgrader> safeThis (this);
    fileChooser->launchAsync (juce::FileBrowserComponent::openMode | juce::FileBrowserComponent::canSelectFiles
                                  | juce::FileBrowserComponent::filenameBoxIsReadOnly,
                              [safeThis] (const juce::FileChooser& chooser)
                              {
                                  if (safeThis != nullptr && ! chooser.getURLResults().isEmpty())
                                      safeThis->loadFirmwareFile (chooser.getURLResults().getFirst().toString (false));
                              });
}

void Upgrader::loadFirmwareFile (const juce::String& urlText)
{
    // A chooser that closes while an image is being programmed replaces nothing.
    if (urlText.isEmpty() || programmingRuns())
        return;

    auto* device = MidiController::getInstance();
    HexFileParser parser;
    prepareReader (parser);
    const auto result = parser.loadFile (urlText);

    if (result.isEmpty())
    {
        if (device != nullptr)
            device->postAsyncMessage (statusText, "Firmware file successfully loaded");

        startUpgradeButton->setEnabled (true);
        return;
    }

    startUpgradeButton->setEnabled (false);

    if (! result.startsWith ("Error 9") && device != nullptr)
    {
        device->postAsyncMessage (statusText, "Error while parsing firmware file : " + result);
        device->showAlert ("Error while parsing firmware file : " + result, false);
    }
}

void Upgrader::loadFirmwareText (const juce::String& hexText)
{
    if (programmingRuns())
        return;

    auto* device = MidiController::getInstance();
    HexFileParser parser;
    prepareReader (parser);
    const auto result = parser.parseText (hexText);

    startUpgradeButton->setEnabled (false);

    if (result.isEmpty())
    {
        if (device != nullptr)
            device->postAsyncMessage (statusText, "Firmware file successfully loaded");

        if (auto* main = getMainComponent())
        {
            main->upgradeRequested = true;
            main->startFirmwareUpgrade();
        }

        return;
    }

    if (device != nullptr)
        device->postAsyncMessage (statusText, "Error while parsing firmware file : " + result);
}

void Upgrader::restoreOfficialFirmware()
{
    auto* main = getMainComponent();
    auto* device = MidiController::getInstance();

    if (main == nullptr || device == nullptr || programmingRuns())
        return;

    main->restoreRequested = true;

    if (device->hostFirmwareBeta != 0 || (device->deviceFirmwareBeta != 0 && device->isDeviceCore()))
    {
        main->startFileDownload (device->productCode, main->getCatalogueAddress(), 0);
        return;
    }

    if (device->deviceFirmwareBeta == 0)
        return;

    device->postAsyncMessage (statusText, "Switching to Sv device...");

    if (device->productCode >= 1 && device->productCode <= 6)
    {
        device->setProductCode (device->productCode + 6);
        device->requestIdentityLater();
    }
}

void Upgrader::productLost()
{
    updateRestoreButton (false);
    loadFirmwareButton->setEnabled (false);
    startUpgradeButton->setEnabled (false);
}
