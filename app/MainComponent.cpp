#include "app/MainComponent.h"
#include "device/MidiController.h"
#include "editors/Lfo.h"
#include "app/AsyncMessageCallBacks.h"
#include "app/AppUpdateOffer.h"
#include "app/FirmwareUpdateOffer.h"
#include "app/AppVersionCheckThread.h"
#include "app/FileDownloadThread.h"
#include "app/SendDevicesToKelmoraServerThread.h"
#include "app/DeviceReport.h"
#include "app/InstallerDownload.h"
#include "app/WebEndpoints.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);
    const juce::Colour tabColour (0xffd3d3d3);

    constexpr int monitorIntervalMs = 1000;
    constexpr int tabBarDepth = 30;

    std::unique_ptr<juce::Label> makeLabel (const juce::String& name, const juce::String& text, float height,
                                            juce::Justification justification)
    {
        auto label = std::make_unique<juce::Label> (name, text);
        label->setFont (juce::Font (height, juce::Font::plain).withTypefaceStyle ("Regular"));
        label->setJustificationType (justification);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }
}

juce::PropertiesFile::Options MainComponent::getPropertiesOptions()
{
    juce::PropertiesFile::Options options;
    options.applicationName = "Pellion Tools";
    options.filenameSuffix = ".pvProperties";
    options.folderName = "Kelmora Pro";
    options.osxLibrarySubFolder = "Application Support";
    options.commonToAllUsers = false;
    options.ignoreCaseOfKeyNames = false;
    options.doNotSave = false;
    options.millisecondsBeforeSaving = 3000;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return options;
}

//==============================================================================
MainComponent::MainComponent()
{
    showAsyncBox = [] (const juce::MessageBoxOptions& options, std::function<void (int)> callback)
    {
        juce::AlertWindow::showAsync (options, std::move (callback));
    };

    propertiesFile = std::make_unique<juce::PropertiesFile> (getPropertiesOptions());
    upgradeRequested = false;
    restoreRequested = false;

    statusLabel = makeLabel ("status", "-\n", 15.0f, juce::Justification::centred);
    addAndMakeVisible (*statusLabel);

    infoLabel = makeLabel ("usbInfoLabel", "Information: -\n", 14.5f, juce::Justification::topLeft);
    infoLabel->setFont (infoLabel->getFont().withExtraKerningFactor (-0.023f));
    addAndMakeVisible (*infoLabel);

    versionLabel = makeLabel ("new label", "Version", 13.0f, juce::Justification::centredLeft);
    addAndMakeVisible (*versionLabel);

    tabs = std::make_unique<juce::TabbedComponent> (juce::TabbedButtonBar::TabsAtTop);
    tabs->setTabBarDepth (tabBarDepth);
    addAndMakeVisible (*tabs);
    tabs->addTab (TRANS ("MIDI Filter"), tabColour, new Filter (this), true);
    tabs->addTab (TRANS ("MIDI Mapper"), tabColour, new Mapper (this), true);
    tabs->addTab (TRANS ("MIDI Router"), tabColour, new RouterMidi (this), true);
    tabs->addTab (TRANS ("MIDI LFO"), tabColour, new Lfo (this), true);
    tabs->addTab (TRANS ("Audio Router"), tabColour, nullptr, false);
    tabs->addTab (TRANS ("Firmware"), tabColour, new Upgrader (this), true);
    tabs->addTab (TRANS ("Settings"), tabColour, new Settings (this), true);
    tabs->setCurrentTabIndex (2, true);

    buttonReset = std::make_unique<juce::TextButton> ("buttonReset");
    buttonReset->setTooltip (TRANS ("This will reset the entire product settings to their default values "));
    buttonReset->setButtonText (TRANS ("Reset all to factory defaults"));
    buttonReset->addListener (this);
    buttonReset->setColour (juce::TextButton::buttonColourId, buttonColour);
    addAndMakeVisible (*buttonReset);

    buttonViewFullSettings = std::make_unique<juce::TextButton> ("buttonViewFullSettings");
    buttonViewFullSettings->setTooltip (TRANS ("This will show a summary of all settings"));
    buttonViewFullSettings->setButtonText (TRANS ("View full settings"));
    buttonViewFullSettings->addListener (this);
    buttonViewFullSettings->setColour (juce::TextButton::buttonColourId, buttonColour);
    addAndMakeVisible (*buttonViewFullSettings);

    presets = std::make_unique<Presets> (this);
    addAndMakeVisible (*presets);

   #if PELLION_HAS_RESOURCES
    logo = juce::ImageCache::getFromMemory (BinaryData::kelmoraLogo_png, BinaryData::kelmoraLogo_pngSize);
   #endif

    tabs->removeTab (4);
    tabs->removeTab (3);

    lookAndFeel.ownerComponent = this;
    juce::LookAndFeel::setDefaultLookAndFeel (&lookAndFeel);

    auto* device = MidiController::getInstance();

    if (device != nullptr)
    {
        device->mainComponent = this;
        device->userInterface = this;
        device->events = &deviceEvents;
    }

    presets->resetPresetList();
    setEditorsEnabled (false);

    fullSettingsShown = false;
    fullMapWindow = nullptr;
    setSize (800, 600);

    if (device != nullptr)
        device->upgradeStep = 0;

    versionLabel->setText (TRANS ("Version") + " " + applicationVersion(), juce::dontSendNotification);

    restartDeviceSearch();
    startVersionCheck (getVersionListAddress());
}

MainComponent::~MainComponent()
{
    stopTimer();

    // Nothing on the device side reaches the editors while they are taken down.
    if (auto* device = MidiController::getInstance())
        device->events = nullptr;

    installerDownload = nullptr;
    fileDownloadThread = nullptr;
    appVersionCheckThread = nullptr;
    reportThread = nullptr;

    if (propertiesFile != nullptr)
    {
        propertiesFile->saveIfNeeded();
        propertiesFile = nullptr;
    }

    fullMapWindow = nullptr;

    statusLabel = nullptr;
    infoLabel = nullptr;
    versionLabel = nullptr;
    tabs = nullptr;
    buttonReset = nullptr;
    buttonViewFullSettings = nullptr;
    presets = nullptr;

    if (auto* device = MidiController::getInstance())
    {
        device->mainComponent = nullptr;
        device->userInterface = nullptr;
    }

    MidiController::deleteInstance();

    // Nothing may keep drawing with this component's look and feel once it is gone.
    juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
}

juce::String MainComponent::applicationVersion() const
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        return app->getApplicationVersion();

    return PELLION_APP_VERSION;
}

//==============================================================================
void MainComponent::paint (juce::Graphics& g)
{
    const int w = getWidth(), h = getHeight();
    auto r = [] (double v) { return juce::roundToInt (v); };

    g.fillAll (backgroundColour);
    g.setColour (juce::Colours::black);

    if (logo.isValid())
        g.drawImageWithin (logo, r (w * 0.875) - r (w * 0.15) / 2, h - r (h * 0.1067), r (w * 0.15), r (h * 0.1067),
                           juce::RectanglePlacement::centred, false);

    layoutTabButtons();
}

void MainComponent::resized()
{
    const int w = getWidth(), h = getHeight();
    auto r = [] (double v) { return juce::roundToInt (v); };

    statusLabel->setBounds (w / 2 - 228, h - 24, 456, 24);
    infoLabel->setBounds (14, r (h * 0.7667), r (w * 0.3125), r (h * 0.1933));
    versionLabel->setBounds (14, h - 24, 120, 24);
    tabs->setBounds (0, 0, w, r (h * 0.75));
    buttonReset->setBounds (w / 2 - r (w * 0.25) / 2, r (h * 0.8483), r (w * 0.25), r (h * 0.04));
    buttonViewFullSettings->setBounds (w / 2 - r (w * 0.25) / 2, r (h * 0.7733), r (w * 0.25), r (h * 0.04));
    presets->setBounds (r (w * 0.8762) - r (w * 0.195) / 2, r (h * 0.7667), r (w * 0.195), r (h * 0.125));

    for (auto* button : { buttonReset.get(), buttonViewFullSettings.get() })
        button->setSize (button->getWidth(), juce::jlimit (18, 24, button->getHeight()));

    layoutTabButtons();
}

void MainComponent::layoutTabButtons()
{
    if (tabs == nullptr || tabs->getNumTabs() == 0)
        return;

    auto& bar = tabs->getTabbedButtonBar();
    const int tabWidth = tabs->getWidth() / tabs->getNumTabs();

    for (int i = 0; i < bar.getNumTabs(); ++i)
        if (auto* button = bar.getTabButton (i))
            button->setBounds (i * tabWidth, button->getY(), tabWidth, button->getHeight());
}

//==============================================================================
Filter* MainComponent::getFilter()
{
    return tabs != nullptr ? dynamic_cast<Filter*> (tabs->getTabContentComponent (0)) : nullptr;
}

Mapper* MainComponent::getMapper()
{
    return tabs != nullptr ? dynamic_cast<Mapper*> (tabs->getTabContentComponent (1)) : nullptr;
}

RouterMidi* MainComponent::getRouter()
{
    return tabs != nullptr ? dynamic_cast<RouterMidi*> (tabs->getTabContentComponent (2)) : nullptr;
}

Upgrader* MainComponent::getUpgrader()
{
    if (tabs != nullptr)
        for (int i = 3; i < tabs->getNumTabs(); ++i)
            if (auto* content = tabs->getTabContentComponent (i))
                if (content->getName() == "Upgrader")
                    return dynamic_cast<Upgrader*> (content);

    return nullptr;
}

Settings* MainComponent::getSettings()
{
    if (tabs != nullptr)
        for (int i = 3; i < tabs->getNumTabs(); ++i)
            if (auto* content = tabs->getTabContentComponent (i))
                if (content->getName() == "Settings")
                    return dynamic_cast<Settings*> (content);

    return nullptr;
}

FullMap* MainComponent::getFullMap()
{
    return fullMapWindow != nullptr ? fullMapWindow->fullMap : nullptr;
}

//==============================================================================
juce::String MainComponent::getDeviceProperty (const juce::String& serial, const juce::String& key)
{
    if (propertiesFile == nullptr || ! propertiesFile->isValidFile())
        return {};

    return propertiesFile->getValue (serial + "::" + key);
}

bool MainComponent::removeDeviceProperty (const juce::String& serial, const juce::String& key)
{
    if (propertiesFile == nullptr || ! propertiesFile->isValidFile())
        return false;

    const auto fullKey = serial + "::" + key;

    if (! propertiesFile->containsKey (fullKey))
        return false;

    propertiesFile->removeValue (fullKey);
    propertiesFile->setNeedsToBeSaved (true);
    propertiesFile->save();
    return true;
}

bool MainComponent::setDeviceProperty (const juce::String& serial, const juce::String& key, const juce::String& value)
{
    if (propertiesFile == nullptr || ! propertiesFile->isValidFile())
        return false;

    removeDeviceProperty (serial, key);
    propertiesFile->setValue (serial + "::" + key, value);
    propertiesFile->setNeedsToBeSaved (true);
    return true;
}

//==============================================================================
void MainComponent::restartDeviceSearch()
{
    connectionState = 0;
    selectedInputIndex = 255;
    selectedOutputIndex = 255;

    if (auto* device = MidiController::getInstance())
    {
        device->inputIdentifier.clear();
        device->outputIdentifier.clear();
    }

    if (auto* settings = getSettings())
        settings->scanMidiPorts();

    startTimer (monitorIntervalMs);
}

bool MainComponent::openPortsAndRequestIdentity()
{
    auto* device = MidiController::getInstance();

    if (device != nullptr && device->openInput (device->inputIdentifier) == 1)
    {
        if (device->openOutput (device->outputIdentifier) == 1)
        {
            device->requestIdentity();
            return true;
        }
    }

    // Half-opened ports are closed again, so that the next tick tries the whole road anew.
    if (device != nullptr)
    {
        device->closeInput();
        device->closeOutput();
    }

    setStatusText ("Error: cannot open the MIDI ports of the device");
    return false;
}

void MainComponent::timerCallback()
{
    auto* device = MidiController::getInstance();
    auto* settings = getSettings();

    if (device == nullptr || settings == nullptr)
        return;

    if (device->waitingForReply != 0)
    {
        startTimer (monitorIntervalMs);
        return;
    }

    const int previousInput = selectedInputIndex;
    const int previousOutput = selectedOutputIndex;
    bool lost = false;

    if (connectionState == productUpgradeMode)
    {
        lost = settings->scanMidiPorts() != productUpgradeMode;
    }
    else if (connectionState == 0)
    {
        lastScanCode = settings->scanMidiPorts();

        if (lastScanCode == productNone)
        {
            setStatusText ("Searching USB connected device...");
        }
        else if (lastScanCode == productUpgradeMode)
        {
            connectionState = productUpgradeMode;
            device->upgradeInProgress = 0;
            setStatusText ("Kelmora Saffrel Bootloader found");

            if (! openPortsAndRequestIdentity())
                connectionState = 0;
        }
        else
        {
            connectionState = lastScanCode;
            device->upgradeInProgress = 0;
            device->setProductCode (lastScanCode);

            if (! openPortsAndRequestIdentity())
                connectionState = 0;
        }
    }
    else if (connectionState > 0)
    {
        if (device->getFirstPendingKind() == 0xFF)
        {
            const int result = settings->scanMidiPorts();
            lost = result != lastScanCode || selectedInputIndex != previousInput || selectedOutputIndex != previousOutput;
        }
    }

    if (lost)
    {
        int delay = 10;

        if (device->manualConnect == 1)
        {
            device->manualConnect = 0;

            if (device->closeConnection() == SYSX_OK)
                delay = 400;
        }

        juce::Component::SafePointer<MainComponent> safeThis (this);
        juce::Timer::callAfterDelay (delay, [safeThis]
        {
            if (auto* main = safeThis.getComponent())
                main->onDeviceDisconnected();
        });
    }

    startTimer (monitorIntervalMs);

    if (lost)
        return;

    // Keep-alive: these two products power down after a quiet while unless they hear from the tool.
    if (device->hostFirmwareVersion >= 3.75f
         && (device->productCode == productJorvek || device->productCode == productNorrim)
         && (device->powerDown[device->currentPreset & 0x0F] & 0x3FC) != 0
         && device->getFirstPendingKind() == 0xFF
         && device->midiOutput != nullptr)
    {
        device->midiOutput->sendMessageNow (juce::MidiMessage (0xFE, 0.0));
    }
}

void MainComponent::onDeviceDisconnected()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    // A product lost while programming paused between two steps ends the upgrade.
    if (device->isProgrammingFirmware())
        reportUpgradeResult (SYSX_REPLY_TIMEOUT);

    device->waitingForReply = 0;
    device->stopTimer();

    // An image accepted for the lost product is not accepted for whatever comes next.
    device->firmwareImageAcceptance = {};

    connectionState = 0;
    setInfoText ("Information: No device connected");
    lastScanCode = -1;

    for (int p = 0; p < 16; ++p)
    {
        presets->presetFilePaths[p].clear();
        presets->presetFileNames[p].clear();
    }

    device->closeInput();
    device->closeOutput();
    device->resetDeviceState();

    if (auto* filter = getFilter())
    {
        for (int p = 0; p < MidiController::numPresetRows; ++p)
        {
            for (int e = 0; e < MidiController::numFilterEntries; ++e)
            {
                device->filterChannels[p][e] = 0;
                device->filterStatus[p][e] = 0;
            }
        }

        if (filter->getSelectedEntry() >= 0)
            filter->showPortFilters (filter->getSelectedEntry());

        filter->clearPortSelection();

        if (auto* fullMap = getFullMap())
            fullMap->refresh();

        filter->updateEnablement (editorLocked);
    }

    if (auto* router = getRouter())
    {
        router->resetRouter (false, true);
        router->disableRouterButtons();

        if (auto* list = router->getRouterList())
            list->updateEnablement (0, 0);
    }

    if (auto* settings = getSettings())
    {
        settings->resetDeviceSettings();
        settings->updateEnablement (editorBusy);
        settings->getDumpPanel()->clearDump();
    }

    if (auto* upgrader = getUpgrader())
    {
        upgrader->updateRestoreButton (false);
        upgrader->loadFirmwareButton->setEnabled (false);
        upgrader->startUpgradeButton->setEnabled (false);
    }

    if (auto* mapper = getMapper())
    {
        mapper->resetMappers (false, true, false);
        mapper->closeCurveEditor();
        mapper->updateEnablement (editorLocked);
    }

    presets->presetSelector.setSelectedItemIndex (-1, juce::dontSendNotification);
    presets->resetPresetList();

    buttonReset->setEnabled (false);
    buttonViewFullSettings->setEnabled (false);
    presets->saveButton.setEnabled (false);
    presets->loadButton.setEnabled (false);
    presets->presetSelector.setEnabled (false);

    if (auto* fullMap = getFullMap())
        fullMap->refresh();
}

//==============================================================================
void MainComponent::setStatusText (const juce::String& text)
{
    if (statusLabel != nullptr)
        statusLabel->setText (text, juce::dontSendNotification);
}

void MainComponent::setInfoText (const juce::String& text)
{
    if (infoLabel != nullptr)
        infoLabel->setText (text, juce::dontSendNotification);
}

void MainComponent::reportSettingsError (int code)
{
    if (code == SYSX_OK || code == SYSX_NOTHING_TO_SEND)
        return;

    setStatusText (juce::String::formatted ("Error while reading/writing settings errorCode: %Xh", (unsigned) code));

    auto* device = MidiController::getInstance();

    if (device != nullptr && device->deviceMode == 1 && device->serialText.isNotEmpty())
        buttonReset->setEnabled (true);
}

void MainComponent::setFactoryResetEnabled (bool enabled)
{
    buttonReset->setEnabled (enabled);
}

void MainComponent::setEditorsEnabled (bool enabled)
{
    buttonReset->setEnabled (enabled);
    buttonViewFullSettings->setEnabled (enabled);

    if (enabled)
        presets->checkPresetModified (presets->presetSelector.getText());
    else
        presets->saveButton.setEnabled (false);

    presets->loadButton.setEnabled (enabled);

    auto* device = MidiController::getInstance();
    presets->presetSelector.setEnabled (enabled && device != nullptr && device->hostFirmwareVersion >= 1.05f
                                        && device->isProductKnown());
}

void MainComponent::buttonClicked (juce::Button* button)
{
    if (button == buttonReset.get())
    {
        if (auto* device = MidiController::getInstance())
        {
            device->resetEditorsToDefaults();

            if (device->buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_FACTORY_RESET) == SYSX_OK)
                device->sendCommand (4.0f);
        }
    }
    else if (button == buttonViewFullSettings.get())
    {
        showFullSettings();
    }
}

void MainComponent::showFullSettings()
{
    if (fullMapWindow != nullptr && fullMapWindow->getContentComponent() != nullptr)
    {
        fullMapWindow->setVisible (! fullMapWindow->isVisible());
        return;
    }

    auto window = std::make_unique<FullMapWindow> ("", juce::LookAndFeel::getDefaultLookAndFeel()
                                                           .findColour (juce::ResizableWindow::backgroundColourId), this);
    window->setUsingNativeTitleBar (true);
    window->setResizable (true, true);
    window->centreWithSize (window->getWidth(), window->getHeight());
    window->setResizeLimits (980, 525, 1680, 900);
    window->updateTitle();

    auto content = std::make_unique<FullMap> (this);
    window->fullMap = content.get();
    window->setContentOwned (content.release(), true);

    fullMapWindow = std::move (window);

    auto area = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr
                    ? juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea
                    : juce::Rectangle<int> (0, 0, 1120, 620);
    auto bounds = juce::Rectangle<int> (1120, 620).withCentre (area.getCentre()).translated (100, 100);
    fullMapWindow->setBounds (bounds);
    fullMapWindow->setOpaque (true);
    fullMapWindow->setVisible (true);
    fullSettingsShown = true;
}

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

//==============================================================================
void MainComponent::postCallBacksMessage (int type, const juce::String& text, const FirmwareVersionInfo& firmware,
                                          const AppVersionInfo& app)
{
    AsyncMessageCallBacks::post (*this, type, text, firmware, app);
}

void MainComponent::handleMessage (const juce::Message& message)
{
    const juce::MessageManagerLock lock;
    auto* callBack = dynamic_cast<const AsyncMessageCallBacks*> (&message);

    if (callBack == nullptr)
        return;

    // Nothing a firmware worker brings may touch the image, the core or the status line while
    // an image is being programmed.
    if (isFirmwareMessage (callBack->type) && programmingRuns())
        return;

    switch (callBack->type)
    {
        case firmwareOffer:
            showFirmwareUpdateDialog (callBack->firmwareInfo);
            break;

        case firmwareFile:
            if (auto* device = MidiController::getInstance())
                device->postAsyncMessage (statusText, "-");

            if (auto* upgrader = getUpgrader())
                upgrader->loadFirmwareText (callBack->text);
            break;

        case appVersionOffer:
            showAppUpdateDialog (callBack->appInfo);
            break;

        case firmwareFileFailed:
            setStatusText (callBack->text);
            break;

        case reportAccepted:
            if (auto* device = MidiController::getInstance())
                DeviceReport::recordAccepted (*device, callBack->text, callBack->acceptedDevices);
            break;

        default:
            break;
    }
}

juce::String MainComponent::getVersionListAddress()
{
    return WebEndpoints::getAddress (WebEndpoints::versionList, propertiesFile.get());
}

juce::String MainComponent::getCatalogueAddress()
{
    return WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, propertiesFile.get());
}

juce::String MainComponent::getReportAddress()
{
    return WebEndpoints::getAddress (WebEndpoints::deviceReport, propertiesFile.get());
}

void MainComponent::startVersionCheck (const juce::String& url)
{
    appVersionCheckThread = nullptr;
    appVersionCheckThread = std::make_unique<AppVersionCheckThread> (*this, url);
    appVersionCheckThread->startThread();
}

void MainComponent::showAppUpdateDialog (AppVersionInfo info)
{
    const auto decision = AppUpdateOffer::decide (info, applicationVersion());

    if (decision.markAsBeta)
        versionLabel->setText (TRANS ("Version") + " " + applicationVersion() + AppUpdateOffer::betaSuffix,
                               juce::dontSendNotification);

    if (! decision.offer)
        return;

    auto options = juce::MessageBoxOptions()
                       .withIconType (juce::MessageBoxIconType::InfoIcon)
                       .withTitle (AppUpdateOffer::title)
                       .withMessage (decision.message)
                       .withButton (AppUpdateOffer::declineButton)
                       .withButton (AppUpdateOffer::acceptButton)
                       .withAssociatedComponent (this);

    juce::Component::SafePointer<MainComponent> safeThis (this);
    showAsyncBox (options, [safeThis, info] (int result)
    {
        if (result == 0 && safeThis != nullptr)
            safeThis->downloadAppUpdate (info.url);
    });
}

void MainComponent::downloadAppUpdate (const juce::String& url)
{
    installerDownload = std::make_unique<InstallerDownload> (url);

    auto showError = [this]
    {
        showAsyncBox (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::WarningIcon)
                          .withTitle (InstallerDownload::errorTitle)
                          .withMessage (InstallerDownload::errorMessage)
                          .withButton (TRANS ("OK"))
                          .withAssociatedComponent (this),
                      nullptr);
    };

    switch (installerDownload->getState())
    {
        case InstallerDownload::State::ignored:
            installerDownload = nullptr;
            return;

        case InstallerDownload::State::refused:
            installerDownload = nullptr;
            showError();
            return;

        default:
            break;
    }

    juce::Component::SafePointer<MainComponent> safeThis (this);
    installerDownload->pollOnMessageThread ([safeThis, showError] (InstallerDownload::State state)
    {
        auto* main = safeThis.getComponent();

        if (main == nullptr)
            return;

        if (state == InstallerDownload::State::finished)
            main->showAsyncBox (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::InfoIcon)
                                    .withTitle (InstallerDownload::doneTitle)
                                    .withMessage (InstallerDownload::doneMessage)
                                    .withButton (TRANS ("OK"))
                                    .withAssociatedComponent (main),
                                nullptr);
        else
            showError();
    });
}

void MainComponent::startFileDownload (int productCode, const juce::String& address, int mode)
{
    fileDownloadThread = nullptr;
    fileDownloadThread = std::make_unique<FileDownloadThread> (*this, productCode, address, mode);
    fileDownloadThread->startThread();
}

bool MainComponent::programmingRuns() const
{
    auto* device = MidiController::getInstance();
    return device != nullptr && device->isProgrammingFirmware();
}

bool MainComponent::isFirmwareMessage (int type)
{
    return type == firmwareOffer || type == firmwareFile || type == firmwareFileFailed;
}

void MainComponent::showFirmwareUpdateDialog (FirmwareVersionInfo info)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || programmingRuns())
        return;

    const auto decision = FirmwareUpdateOffer::decide (info, FirmwareUpdateOffer::DeviceState::fromDevice (*device, restoreRequested));
    decision.applyBetaFlag (*device);

    if (auto* upgrader = getUpgrader())
        upgrader->updateRestoreButton (true);

    device->postDeviceInfo();

    if (! decision.offer)
    {
        if (decision.switchToHostCore)
            device->switchToHostCore();

        return;
    }

    restoreRequested = false;

    auto options = juce::MessageBoxOptions()
                       .withIconType (juce::MessageBoxIconType::InfoIcon)
                       .withTitle (decision.title)
                       .withMessage (decision.message)
                       .withButton (FirmwareUpdateOffer::declineButton)
                       .withButton (FirmwareUpdateOffer::acceptButton)
                       .withAssociatedComponent (this);

    juce::Component::SafePointer<MainComponent> safeThis (this);
    showAsyncBox (options, [safeThis, info] (int result)
    {
        auto* main = safeThis.getComponent();
        auto* current = MidiController::getInstance();

        // An answer given while an image is being programmed neither downloads nor switches cores.
        if (main == nullptr || current == nullptr || main->programmingRuns())
            return;

        if (result == 0)
        {
            current->postAsyncMessage (statusText, FirmwareUpdateOffer::downloadingStatus);
            main->startFileDownload (current->productCode, info.url, FileDownloadThread::firmwareFileMode);
        }
        else if (FirmwareUpdateOffer::switchesToHostCoreOnDecline (current->productCode, current->deviceMode))
        {
            current->switchToHostCore();
        }
    });
}

void MainComponent::startDeviceReport()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    reportThread = nullptr;
    reportThread = std::make_unique<SendDevicesToKelmoraServerThread> (*this, getReportAddress(),
                                                                      DeviceReport::takeSnapshot (*device, applicationVersion()));
    reportThread->startThread();
}

//==============================================================================
void MainComponent::startFirmwareUpgrade()
{
    auto* device = MidiController::getInstance();
    auto* settings = getSettings();

    // One upgrade at a time: nothing restarts or replaces the programming that runs.
    if (device == nullptr || settings == nullptr || device->isProgrammingFirmware())
        return;

    auto refuse = [this] (const juce::String& text)
    {
        showAsyncBox (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::WarningIcon)
                          .withTitle ("Error")
                          .withMessage (text)
                          .withButton (TRANS ("OK"))
                          .withAssociatedComponent (this),
                      nullptr);
        setStatusText ("Error: " + text);
    };

    auto hasPort = [] (juce::ComboBox& list, int index)
    {
        return index >= 0 && index < list.getNumItems() && list.getItemText (index).isNotEmpty();
    };

    if (device->productCode == productNone)
        return refuse ("Please select a product");

    if (! hasPort (settings->inputPortCombo, selectedInputIndex))
        return refuse ("Please select MIDI input");

    if (! hasPort (settings->outputPortCombo, selectedOutputIndex))
        return refuse ("Please select MIDI output");

    if (device->firmwareImageSize == 0)
        return refuse ("Please select a firmware");

    // An image of another core is refused before anything is restarted or erased.
    if (! device->imageFitsConnectedCore())
    {
        upgradeRequested = false;
        refuse ("The firmware does not match the connected product");

        if (auto* upgrader = getUpgrader())
            upgrader->updateEnablement (editorIdle);

        return;
    }

    if (device->openInput (device->inputIdentifier) != 1 || device->openOutput (device->outputIdentifier) != 1)
        return;

    // A catalogue or firmware download still under way would only answer into the upgrade.
    if (fileDownloadThread != nullptr)
        fileDownloadThread->signalThreadShouldExit();

    if (device->deviceMode != 0)
    {
        device->waitingForReply = 0;
        device->stopTimer();
        device->pendingRequests.clearAll();
        device->upgradeInProgress = 1;
        device->postAsyncMessage (statusText, "Restarting in Bootloader mode...");

        if (device->buildCommand (SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER) == SYSX_OK)
        {
            device->sendCommand (0.0f);

            // The product re-enumerates as its bootloader meanwhile; the search then finds its upgrade port.
            const auto end = juce::Time::getMillisecondCounter() + 2000;
            while (juce::Time::getMillisecondCounter() < end)
                juce::Thread::sleep (10);

            restartDeviceSearch();
        }
    }
    else
    {
        if (auto* filter = getFilter())   filter->updateEnablement (editorLocked);
        if (auto* mapper = getMapper())   mapper->updateEnablement (editorLocked);
        if (auto* router = getRouter())   router->updateEnablement (editorLocked);
        settings->updateEnablement (editorBusy);

        if (auto* upgrader = getUpgrader())
            upgrader->updateEnablement (editorLocked);

        setEditorsEnabled (false);
        device->upgradeStep = 0;
        device->continueFirmwareUpgrade();
    }

    if (! settings->autoDetectToggle.getToggleState())
    {
        settings->autoDetectToggle.setToggleState (true, juce::dontSendNotification);
        settings->applyConnectionMode (true);
    }
}

void MainComponent::reportUpgradeResult (int code)
{
    auto* device = MidiController::getInstance();

    if (device != nullptr)
    {
        // The upgrade is over: a reply timeout still armed for a refused step would later
        // replace this result with a timeout, and a pending step must not go out.
        device->endFirmwareProgramming();
        device->waitingForReply = 0;
        device->stopTimer();

        if (code == 0)
        {
            setStatusText ("Firmware upgrade finished with SUCCESS, please disconnect the device");
            device->firmwareImageSize = 0;
        }
        else if (device->deviceMode == 0)
        {
            setStatusText (juce::String::formatted ("Firmware upgrade finished errorCode: %Xh, please disconnect the device", (unsigned) code));
        }
        else
        {
            setStatusText (juce::String::formatted ("Communication error: errorCode: %Xh, please disconnect the device", (unsigned) code));
        }
    }

    if (auto* upgrader = getUpgrader())
        upgrader->updateEnablement (editorIdle);

    // An upgrade of a product connected by hand returned the tab to automatic mode, but left the
    // monitor stopped while programming ran: it watches the connected bootloader from now on.
    auto* settings = getSettings();

    if (settings != nullptr && settings->autoDetectToggle.getToggleState() && ! isTimerRunning())
    {
        if (device != nullptr && device->deviceMode == 0)
        {
            connectionState = productUpgradeMode;
            startTimer (monitorIntervalMs);
        }
        else
        {
            restartDeviceSearch();
        }
    }
}
