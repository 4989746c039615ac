#include "app/MainComponent.h"
#include "app/AsyncMessageCallBacks.h"
#include "app/LayoutRules.h"
#include "device/MidiController.h"
#include "editors/Lfo.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour buttonColour (0xffff7f50);
    const juce::Colour tabColour (0xffd3d3d3);

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
    propertiesFile = std::make_unique<juce::PropertiesFile> (getPropertiesOptions());

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

    for (EditorPanel* panel : { (EditorPanel*) getFilter(), (EditorPanel*) getRouter(), (EditorPanel*) getSettings(),
                                (EditorPanel*) getUpgrader(), (EditorPanel*) getMapper(), (EditorPanel*) presets.get() })
        editorPanels.add (panel);

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

    showVersion();

    restartDeviceSearch();
    startVersionCheck (getVersionListAddress());
}

MainComponent::~MainComponent()
{
    connectionMonitor.stop();

    // Nothing on the device side reaches the editors while they are taken down.
    if (auto* device = MidiController::getInstance())
        device->events = nullptr;

    webUpdates.stopWorkers();

    if (propertiesFile != nullptr)
    {
        propertiesFile->saveIfNeeded();
        propertiesFile = nullptr;
    }

    fullMapWindow = nullptr;

    statusLabel = nullptr;
    infoLabel = nullptr;
    versionLabel = nullptr;
    editorPanels.clear();
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

void MainComponent::showVersion (const juce::String& suffix)
{
    versionLabel->setText (TRANS ("Version") + " " + applicationVersion() + suffix, juce::dontSendNotification);
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
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    g.fillAll (backgroundColour);
    g.setColour (juce::Colours::black);

    if (logo.isValid())
        g.drawImageWithin (logo, scaled (w, 0.875) - scaled (w, 0.15) / 2, h - scaled (h, 0.1067), scaled (w, 0.15), scaled (h, 0.1067),
                           juce::RectanglePlacement::centred, false);

    layoutTabButtons();
}

void MainComponent::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    statusLabel->setBounds (w / 2 - 228, h - 24, 456, 24);
    infoLabel->setBounds (14, scaled (h, 0.7667), scaled (w, 0.3125), scaled (h, 0.1933));
    versionLabel->setBounds (14, h - 24, 120, 24);
    tabs->setBounds (0, 0, w, scaled (h, 0.75));
    buttonReset->setBounds (w / 2 - scaled (w, 0.25) / 2, scaled (h, 0.8483), scaled (w, 0.25), scaled (h, 0.04));
    buttonViewFullSettings->setBounds (w / 2 - scaled (w, 0.25) / 2, scaled (h, 0.7733), scaled (w, 0.25), scaled (h, 0.04));
    presets->setBounds (scaled (w, 0.8762) - scaled (w, 0.195) / 2, scaled (h, 0.7667), scaled (w, 0.195), scaled (h, 0.125));

    for (auto* button : { buttonReset.get(), buttonViewFullSettings.get() })
        LayoutRules::clampControlHeight (*button);

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

template <typename Page>
Page* MainComponent::findPage (const juce::String& name)
{
    if (tabs != nullptr)
        for (int i = 3; i < tabs->getNumTabs(); ++i)
            if (auto* content = tabs->getTabContentComponent (i))
                if (content->getName() == name)
                    return dynamic_cast<Page*> (content);

    return nullptr;
}

Upgrader* MainComponent::getUpgrader()
{
    return findPage<Upgrader> ("Upgrader");
}

Settings* MainComponent::getSettings()
{
    return findPage<Settings> ("Settings");
}

FullMap* MainComponent::getFullMap()
{
    return fullMapWindow != nullptr ? fullMapWindow->fullMap : nullptr;
}

void MainComponent::flushEditorEdits()
{
    for (auto* editor : editorPanels)
        editor->flushEdits();
}

void MainComponent::refreshEditorsShowing (juce::uint32 kinds)
{
    auto refreshWhenShowing = [kinds] (EditorPanel* editor, std::initializer_list<int> shownKinds)
    {
        if (editor != nullptr)
            for (int kind : shownKinds)
                if ((kinds >> kind & 1) != 0)
                    return editor->refreshFromModel();
    };

    refreshWhenShowing (getRouter(),   { kindRouter, kindUsbDevicePorts, kindPortReservation });
    refreshWhenShowing (getFilter(),   { kindChannelFilter, kindMessageFilter });
    refreshWhenShowing (getMapper(),   { kindMapper, kindVelocityCurve });
    refreshWhenShowing (getSettings(), { kindPresetSetting, kindTrsType, kindSync24, kindPowerDown, kindUsbProductName });

    if (auto* fullMap = getFullMap())
        fullMap->refresh();
}

void MainComponent::lockAllEditors (bool upgraderToo)
{
    if (auto* settings = getSettings()) settings->setEditorMode (editorBusy);
    if (auto* router = getRouter())     router->setEditorMode (editorLocked);
    if (auto* filter = getFilter())     filter->setEditorMode (editorLocked);
    if (auto* mapper = getMapper())     mapper->setEditorMode (editorLocked);

    if (upgraderToo)
        if (auto* upgrader = getUpgrader())
            upgrader->setEditorMode (editorLocked);

    setEditorsEnabled (false);
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
void MainComponent::onDeviceDisconnected()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    firmwareUpgrade.productLost();

    device->waitingForReply = 0;
    device->stopTimer();

    connectionMonitor.forgetProduct();
    setInfoText ("Information: No device connected");

    device->closeInput();
    device->closeOutput();
    device->resetDeviceState();

    for (auto* editor : getEditorPanels())
        editor->productLost();

    buttonReset->setEnabled (false);
    buttonViewFullSettings->setEnabled (false);

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
    presets->setControlsEnabled (enabled);
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
        // The preset's file name may have changed while the window was hidden.
        fullMapWindow->updateTitle();
        fullMapWindow->setVisible (! fullMapWindow->isVisible());
        return;
    }

    fullMapWindow = std::make_unique<FullMapWindow> ("", juce::LookAndFeel::getDefaultLookAndFeel()
                                                             .findColour (juce::ResizableWindow::backgroundColourId), this);

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
    boxPresenter.showDeviceAlert (warningIcon, text, std::move (onClosed));
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
    webUpdates.handleWorkerMessage (message);
}
