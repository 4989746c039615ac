#include "settings/Settings.h"
#include "settings/SettingsLook.h"
#include "settings/DeviceSettingTabs.h"
#include "settings/UsbProductName.h"
#include "device/MidiController.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"
#include "device/CallAfterAtLeast.h"

namespace
{
    const juce::Colour warningColour (0xfffe0000);

    /** The height of a list or toggle of the page, held between 18 and 24 pixels. */
    void clampHeight (juce::Component& control, int minHeight = LayoutRules::minControlHeight)
    {
        control.setSize (control.getWidth(), juce::jlimit (minHeight, LayoutRules::maxControlHeight, control.getHeight()));
    }
}

Settings::Settings (MainComponent* owner) : mainComponent (owner)
{
    setName ("Settings");
    resetSlots();

    SettingsLook::styleGroup (midiSettingsGroup, TRANS ("MIDI Settings"));

    SettingsLook::styleList (inputPortCombo, {}, TRANS ("No MIDI input found"), TRANS ("This list is not selectable, it should not be modified"));
    SettingsLook::styleList (outputPortCombo, {}, TRANS ("No MIDI Output found"), TRANS ("This list is not selectable, it should not be modified"));
    SettingsLook::styleLabel (midiInputLabel, "MIDI Input", TRANS ("MIDI Input\n"), 15.0f);
    SettingsLook::styleLabel (midiOutputLabel, "MIDI Output", TRANS ("MIDI Output\n"), 15.0f);

    SettingsLook::styleList (productCombo, TRANS ("Auto"), TRANS ("Auto"),
                             TRANS ("In case of multiple devices are connected to the software, you can select here which device to connect to"));
    SettingsLook::styleLabel (productLabel, "Product", TRANS ("Product"), 15.9f);

    SettingsLook::styleButton (rescanButton, "Refresh", TRANS ("Rescan MIDI"), {});

    autoDetectToggle.setName ("new toggle button");
    autoDetectToggle.setButtonText (TRANS ("Auto detect"));
    autoDetectToggle.setTooltip (TRANS ("Select here if you want to connect manually to the device.\n\n"
                                        "This should be left to automatic mode unless you are using special routing on MacOS"));
    autoDetectToggle.setToggleState (true, juce::dontSendNotification);

    SettingsLook::styleButton (connectButton, "Connect", "Connect", TRANS ("Click to connect to the selected product"));

    deviceTabs.setTabBarDepth (28);

    SettingsLook::styleLabel (usbNameLabel, "new label", TRANS ("USB String name"), 15.0f);
    SettingsLook::styleButton (applyButton, "Apply", "Apply", TRANS ("Click to update USB product name."));
    usbNameEditor.setName ("new component");
    SettingsLook::styleLabel (statusLabel, "new label", {}, 13.0f);
    statusLabel.setFont (statusLabel.getFont().withExtraKerningFactor (-0.02f));
    statusLabel.setColour (juce::Label::textColourId, juce::Colour (0xffff0000));
    SettingsLook::styleButton (resetButton, "Reset", "Reset", TRANS ("Click to reset  USB product name to its default value"));

    for (auto* list : { &inputPortCombo, &outputPortCombo, &productCombo })
        list->addListener (this);

    for (juce::Button* button : { (juce::Button*) &rescanButton, (juce::Button*) &autoDetectToggle, (juce::Button*) &connectButton,
                                  (juce::Button*) &applyButton, (juce::Button*) &resetButton })
        button->addListener (this);

    for (juce::Component* child : { (juce::Component*) &midiSettingsGroup, (juce::Component*) &inputPortCombo,
                                    (juce::Component*) &outputPortCombo, (juce::Component*) &midiInputLabel,
                                    (juce::Component*) &midiOutputLabel, (juce::Component*) &productCombo,
                                    (juce::Component*) &productLabel, (juce::Component*) &autoDetectToggle,
                                    (juce::Component*) &connectButton, (juce::Component*) &deviceTabs,
                                    (juce::Component*) &usbNameLabel, (juce::Component*) &applyButton,
                                    (juce::Component*) &usbNameEditor, (juce::Component*) &statusLabel,
                                    (juce::Component*) &resetButton })
        addAndMakeVisible (child);

    addChildComponent (rescanButton);

    // Until the first search has run, the lists already say what automatic mode looks for.
    showAutomaticModeTexts();

    setSize (800, 448);

    buildDeviceTabs();
    resetDeviceSettings();
    updateEnablement (editorBusy);
}

Settings::~Settings()
{
    deviceTabs.clearTabs();
}

//==============================================================================
void Settings::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void Settings::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    const int listX = scaled (w, 0.7275) - scaled (w, 0.245) / 2;
    const int listWidth = scaled (w, 0.245);
    const int rowHeight = scaled (h, 0.0536);
    const int labelX = scaled (w, 0.4938);

    midiSettingsGroup.setBounds (w / 2 - scaled (w, 0.82) / 2, scaled (h, 0.0312), scaled (w, 0.82), scaled (h, 0.4062));
    inputPortCombo.setBounds (listX, scaled (h, 0.2188), listWidth, rowHeight);
    outputPortCombo.setBounds (listX, scaled (h, 0.3214), listWidth, rowHeight);
    midiInputLabel.setBounds (labelX, scaled (h, 0.2188), 93, rowHeight);
    midiOutputLabel.setBounds (labelX, scaled (h, 0.3214), 91, rowHeight);
    productCombo.setBounds (listX, scaled (h, 0.1161), listWidth, rowHeight);
    productLabel.setBounds (labelX, scaled (h, 0.1161), 83, rowHeight);
    rescanButton.setBounds (scaled (w, 0.85), scaled (h, 0.0714), scaled (w, 0.1237), rowHeight);
    autoDetectToggle.setBounds (scaled (w, 0.14), scaled (h, 0.1161), scaled (w, 0.15), rowHeight);
    connectButton.setBounds (scaled (w, 0.2988), scaled (h, 0.1205), scaled (w, 0.08), scaled (h, 0.0469));
    deviceTabs.setBounds (0, h - scaled (h, 0.5134), w, scaled (h, 0.5134));
    usbNameLabel.setBounds (scaled (w, 0.1375), scaled (h, 0.2188), scaled (w, 0.135), rowHeight);
    applyButton.setBounds (scaled (w, 0.38), scaled (h, 0.2277), scaled (w, 0.06), scaled (h, 0.0357));
    usbNameEditor.setBounds (scaled (w, 0.1425), scaled (h, 0.3036), scaled (w, 0.2975), scaled (h, 0.0469));
    statusLabel.setBounds (scaled (w, 0.17), scaled (h, 0.3705), scaled (w, 0.255), rowHeight);
    resetButton.setBounds (scaled (w, 0.3063), scaled (h, 0.2277), scaled (w, 0.06), scaled (h, 0.0357));

    for (juce::Component* control : { (juce::Component*) &inputPortCombo, (juce::Component*) &outputPortCombo,
                                      (juce::Component*) &productCombo, (juce::Component*) &autoDetectToggle,
                                      (juce::Component*) &connectButton, (juce::Component*) &usbNameEditor })
        clampHeight (*control);

    clampHeight (applyButton, 16);
    clampHeight (resetButton, 16);
}

//==============================================================================
bool Settings::isNotFirstPort (const juce::String& name)
{
    for (auto* prefix : { "IN", "OUT", "Port " })
        for (int n = 2; n <= 16; ++n)
            if (name.contains (prefix + juce::String (n)))
                return true;

    return false;
}

int Settings::productCodeFromPortName (const juce::String& name)
{
    if (name.contains ("Pellion Upg") || name.contains ("Saffrel Upg"))
        return productUpgradeMode;

    struct Pattern { const char* text; bool testWithoutModel; int code; };
    static const Pattern patterns[] = {
        { "Calder-Pro", true, productCalderDevice }, { "[CL]", false, productCalderDevice },
        { "Dorvin-BC",  true, productDorvinDevice }, { "[DR]", false, productDorvinDevice },
        { "Jorvek-Pro", true, productJorvekDevice }, { "[JK]", false, productJorvekDevice },
        { "Norrim-Pro", true, productNorrimDevice }, { "[NM]", false, productNorrimDevice },
    };

    for (const auto& pattern : patterns)
    {
        if (! name.contains (pattern.text))
            continue;

        auto tested = pattern.testWithoutModel ? name.replace (pattern.text, "") : name;
        return isNotFirstPort (tested) ? (int) productNone : pattern.code;
    }

    return productNone;
}

juce::String Settings::productEntryText (int code, int slot)
{
    static const char* const names[] = { "Dorvin BC", "Calder Pro", "Gavrel Pro", "Jorvek Pro", "Lissar Pro", "Norrim Pro",
                                         "Dorvin-BC", "Calder-Pro", "Gavrel-Pro", "Jorvek-Pro", "Lissar-Pro", "Norrim-Pro",
                                         "Pellion Upg" };

    if (code < 1 || code > 13)
        return {};

    return juce::String::formatted ("#%d Kelmora ", slot + 1) + names[code - 1];
}

void Settings::resetSlots()
{
    for (int s = 0; s < numPortSlots; ++s)
    {
        inputSlotCodes[s] = outputSlotCodes[s] = productNone;
        inputSlotIndices[s] = outputSlotIndices[s] = 255;
        inputSlotIdentifiers[s].clear();
        outputSlotIdentifiers[s].clear();
    }
}

void Settings::setSelectedPorts (int inputIndex, int outputIndex, const juce::String& inputId, const juce::String& outputId)
{
    if (mainComponent != nullptr)
    {
        mainComponent->selectedInputIndex = inputIndex;
        mainComponent->selectedOutputIndex = outputIndex;
    }

    if (auto* device = MidiController::getInstance())
    {
        device->inputIdentifier = inputId;
        device->outputIdentifier = outputId;
    }
}

int Settings::scanMidiPorts()
{
    auto& ports = MidiPortSystem::get();
    return scanPorts (ports.getAvailableInputs(), ports.getAvailableOutputs());
}

int Settings::scanPorts (const juce::Array<juce::MidiDeviceInfo>& inputs, const juce::Array<juce::MidiDeviceInfo>& outputs)
{
    resetSlots();
    const int rememberedPosition = productCombo.getSelectedItemIndex();
    const bool automatic = autoDetectToggle.getToggleState();

    auto keepPorts = [automatic] (const juce::Array<juce::MidiDeviceInfo>& devices, juce::ComboBox& list,
                                  int* codes, int* indices, juce::String* identifiers)
    {
        list.clear (juce::dontSendNotification);
        int listed = 0, kept = 0;

        for (const auto& info : devices)
        {
            if (automatic)
            {
                const int code = productCodeFromPortName (info.name);
                codes[kept] = code;

                if (code == productNone)
                    continue;
            }

            indices[kept] = listed;
            identifiers[kept] = info.identifier;
            ++kept;

            if (info.name.isNotEmpty())
                list.addItem (info.name, listed + 1);

            ++listed;

            if (kept == numPortSlots)
                break;
        }

        return kept;
    };

    const int keptInputs = keepPorts (inputs, inputPortCombo, inputSlotCodes, inputSlotIndices, inputSlotIdentifiers);
    const int keptOutputs = keepPorts (outputs, outputPortCombo, outputSlotCodes, outputSlotIndices, outputSlotIdentifiers);

    if (! automatic)
    {
        if (productCombo.getNumItems() == 0)
        {
            productCombo.clear (juce::dontSendNotification);
            productCombo.addItem ("Kelmora Calder Pro", productCalderDevice);
            productCombo.addItem ("Kelmora Dorvin BC", productDorvinDevice);
            productCombo.addItem ("Kelmora Jorvek Pro", productJorvekDevice);
        }

        if (productCombo.getSelectedItemIndex() >= 0)
            return productCombo.getSelectedId();

        setSelectedPorts (255, 255, {}, {});
        return productNone;
    }

    productCombo.clear (juce::dontSendNotification);
    int chosenSlot = -1;

    for (int s = 0; s < keptInputs; ++s)
    {
        if (inputSlotCodes[s] != outputSlotCodes[s])
            continue;

        productCombo.addItem (productEntryText (inputSlotCodes[s], s), s + 1);

        if (chosenSlot < 0 && inputSlotCodes[s] == productUpgradeMode)
            chosenSlot = s;
    }

    if (keptInputs == 0 || keptOutputs == 0)
    {
        setSelectedPorts (255, 255, {}, {});
        return productNone;
    }

    if (chosenSlot < 0)
        chosenSlot = juce::jmax (0, rememberedPosition);

    if (chosenSlot >= numPortSlots)
    {
        setSelectedPorts (255, 255, {}, {});
        return productNone;
    }

    setSelectedPorts (inputSlotIndices[chosenSlot], outputSlotIndices[chosenSlot],
                      inputSlotIdentifiers[chosenSlot], outputSlotIdentifiers[chosenSlot]);

    if (chosenSlot < productCombo.getNumItems())
        productCombo.setSelectedItemIndex (chosenSlot, juce::dontSendNotification);

    inputPortCombo.setSelectedItemIndex (inputSlotIndices[chosenSlot], juce::dontSendNotification);
    outputPortCombo.setSelectedItemIndex (outputSlotIndices[chosenSlot], juce::dontSendNotification);

    return inputSlotCodes[chosenSlot];
}

//==============================================================================
void Settings::showAutomaticModeTexts()
{
    productCombo.setTextWhenNothingSelected ("Auto");
    productCombo.setTooltip ("In case of multiple devices are connected to the software, you can select here which device to connect to");
    inputPortCombo.setTextWhenNothingSelected ("No MIDI input found");
    outputPortCombo.setTextWhenNothingSelected ("No MIDI output found");
    inputPortCombo.setTooltip ("This list is not selectable in automatic mode, it should not be modified");
    outputPortCombo.setTooltip ("This list is not selectable in automatic mode, it should not be modified");
}

void Settings::fillFixedProductList()
{
    productCombo.clear (juce::dontSendNotification);
    productCombo.addItem ("Kelmora Calder Pro", productCalderDevice);
    productCombo.addItem ("Kelmora Dorvin BC", productDorvinDevice);
    productCombo.addItem ("Kelmora Jorvek Pro", productJorvekDevice);
}

bool Settings::bothPortsChosen() const
{
    return inputPortCombo.getSelectedItemIndex() >= 0 && outputPortCombo.getSelectedItemIndex() >= 0;
}

void Settings::applyConnectionMode (bool refillProducts)
{
    auto* device = MidiController::getInstance();

    if (autoDetectToggle.getToggleState())
    {
        connectButton.setEnabled (false);
        rescanButton.setEnabled (false);
        productCombo.setEnabled (false);
        showAutomaticModeTexts();

        // The products chosen by hand are no positions of the automatic list: the search that
        // follows starts from the first product it finds.
        if (refillProducts)
            productCombo.clear (juce::dontSendNotification);

        // Programming must not be disturbed: no close-connection request and no new search until it ends.
        if (device != nullptr && device->isProgrammingFirmware())
            return;

        // A product restarting into its bootloader for an upgrade is not told to close: the
        // request would go into the reboot and its status text would hide the restart's.
        if (device != nullptr && device->upgradeInProgress == 0)
            device->closeConnection();

        juce::Component::SafePointer<MainComponent> safeOwner (mainComponent);
        callAfterAtLeast (searchRestartDelayMs, [safeOwner]
        {
            if (auto* main = safeOwner.getComponent())
                main->restartDeviceSearch();
        });
        return;
    }

    if (mainComponent != nullptr)
        mainComponent->stopTimer();

    rescanButton.setEnabled (true);
    productCombo.setEnabled (true);
    productCombo.setTextWhenNothingSelected ("Please select the product");
    productCombo.setTooltip ("Please select the product you want to connect to");
    inputPortCombo.setTextWhenNothingSelected ("Please select input port");
    outputPortCombo.setTextWhenNothingSelected ("Please select output port");
    inputPortCombo.setTooltip ("Please select input port 1 of the product you want to connect to");
    outputPortCombo.setTooltip ("Please select output port 1 of the product you want to connect to");

    if (refillProducts)
    {
        fillFixedProductList();
        productCombo.setSelectedItemIndex (-1, juce::dontSendNotification);
    }

    const bool productChosen = productCombo.getSelectedItemIndex() >= 0;
    inputPortCombo.setEnabled (productChosen);
    outputPortCombo.setEnabled (productChosen);
    connectButton.setEnabled (productChosen && bothPortsChosen());

    if (device != nullptr)
        device->manualConnect = productChosen ? 1 : 0;

    scanMidiPorts();
}

void Settings::switchToAutoDetect()
{
    if (autoDetectToggle.getToggleState())
        return;

    autoDetectToggle.setToggleState (true, juce::dontSendNotification);
    applyConnectionMode (true);
}

int Settings::findSlotOfListPosition (const int (&slotIndices)[numPortSlots], int position)
{
    if (! juce::isPositiveAndBelow (position, numPortSlots))
        return -1;

    const int slot = slotIndices[position];
    return juce::isPositiveAndBelow (slot, numPortSlots) ? slot : -1;
}

void Settings::takeChosenPort (bool input)
{
    auto& list = input ? inputPortCombo : outputPortCombo;
    const int slot = findSlotOfListPosition (input ? inputSlotIndices : outputSlotIndices, list.getSelectedItemIndex());

    if (slot < 0)
        return;

    if (mainComponent != nullptr)
        (input ? mainComponent->selectedInputIndex : mainComponent->selectedOutputIndex) = slot;

    if (auto* device = MidiController::getInstance())
        (input ? device->inputIdentifier : device->outputIdentifier) = (input ? inputSlotIdentifiers : outputSlotIdentifiers)[slot];
}

void Settings::connect()
{
    auto* device = MidiController::getInstance();
    const int product = productCombo.getSelectedId();

    // Without a product there is nothing to address the identity request to.
    if (device == nullptr || product == 0)
        return;

    if (mainComponent != nullptr)
        mainComponent->connectionState = product;

    device->upgradeInProgress = 0;
    device->setProductCode (product);

    takeChosenPort (true);
    takeChosenPort (false);

    if (device->openInput (device->inputIdentifier) < 0)
        return;

    if (device->openOutput (device->outputIdentifier) < 0)
        return;

    device->requestIdentity();
}

//==============================================================================
void Settings::comboBoxChanged (juce::ComboBox* list)
{
    if (list == &inputPortCombo || list == &outputPortCombo)
    {
        connectButton.setEnabled (bothPortsChosen() && ! autoDetectToggle.getToggleState());
        takeChosenPort (list == &inputPortCombo);
    }
    else if (list == &productCombo)
    {
        applyConnectionMode (false);
    }
}

void Settings::buttonClicked (juce::Button* button)
{
    if (button == &rescanButton || button == &autoDetectToggle)
        applyConnectionMode (true);
    else if (button == &connectButton)
        connect();
    else if (button == &applyButton)
        applyUsbProductName (false);
    else if (button == &resetButton)
        applyUsbProductName (true);
}

//==============================================================================
void Settings::addDeviceTab (const juce::String& name, juce::Component& panel)
{
    deviceTabs.addTab (TRANS (name), SettingsLook::tabColour, &panel, false);
}

void Settings::buildDeviceTabs()
{
    auto* device = MidiController::getInstance();
    const int product = device != nullptr ? device->productCode : (int) productNone;

    deviceTabs.clearTabs();
    presetsPanel = nullptr;
    buttonPanel = nullptr;
    trsTypesPanel = nullptr;
    sync24Panel = nullptr;
    powerDownPanel = nullptr;
    dumpPanel = nullptr;

    // The USB name group starts from the product's default name.
    if (device == nullptr || ! UsbProductName::isSupported (*device))
    {
        usbNameEditor.setEnabled (false);
        applyButton.setEnabled (false);
        resetButton.setEnabled (false);
    }

    setUsbNameEditorText (device != nullptr ? getDefaultUsbProductName (*device) : juce::String());
    statusLabel.setVisible (false);

    for (auto tab : DeviceSettingTabs::getTabs (product))
    {
        const auto name = DeviceSettingTabs::getTabName (tab);

        switch (tab)
        {
            case DeviceSettingTabs::presetsTab:
                presetsPanel = std::make_unique<SettingsPresets>();
                presetsPanel->fillChoices();
                addDeviceTab (name, *presetsPanel);
                break;

            case DeviceSettingTabs::buttonTab:
                buttonPanel = std::make_unique<SettingsButton>();
                addDeviceTab (name, *buttonPanel);
                break;

            case DeviceSettingTabs::trsTypesTab:
                trsTypesPanel = std::make_unique<SettingsTRSTypes> (this);
                trsTypesPanel->fillOutputs();
                addDeviceTab (name, *trsTypesPanel);
                break;

            case DeviceSettingTabs::sync24Tab:
                sync24Panel = std::make_unique<SettingsSync24>();
                sync24Panel->fillInputs();
                addDeviceTab (name, *sync24Panel);
                break;

            case DeviceSettingTabs::powerTab:
                powerDownPanel = std::make_unique<SettingsPowerDown>();
                powerDownPanel->fillTimes();
                addDeviceTab (name, *powerDownPanel);
                break;

            case DeviceSettingTabs::deviceTab:
                dumpPanel = std::make_unique<SettingsDumpDevDesc> (this);
                addDeviceTab (name, *dumpPanel);

                if (auto* tabButton = deviceTabs.getTabbedButtonBar().getTabButton (deviceTabs.getNumTabs() - 1))
                    tabButton->setEnabled (device != nullptr && DeviceSettingTabs::isDeviceTabEnabled (*device));
                break;

            default:
                break;
        }
    }
}

void Settings::resetDeviceSettings()
{
    auto* device = MidiController::getInstance();

    if (buttonPanel != nullptr)
        buttonPanel->refresh();

    if (presetsPanel != nullptr)
    {
        if (device != nullptr)
            device->resetPresetNames();

        presetsPanel->refresh();
    }

    if (powerDownPanel != nullptr)
        powerDownPanel->resetPowerDown();

    if (trsTypesPanel != nullptr)
        trsTypesPanel->resetTypes();

    if (sync24Panel != nullptr)
        sync24Panel->resetSync24();

    if (dumpPanel != nullptr)
        dumpPanel->resetDump();

    setUsbNameEditorText (device != nullptr ? getDefaultUsbProductName (*device) : juce::String());
    refreshFullMap();
}

void Settings::updateEnablement (int mode)
{
    lastEnablementMode = mode;

    auto* device = MidiController::getInstance();
    const bool connected = device != nullptr && device->deviceMode == 1;

    productCombo.setEnabled (connected);
    rescanButton.setEnabled (connected);
    connectButton.setEnabled (connected && bothPortsChosen() && ! autoDetectToggle.getToggleState());
    autoDetectToggle.setEnabled (true);

    if (device != nullptr)
    {
        const auto state = UsbProductName::getEditorState (*device, mode);
        usbNameEditor.setEnabled (state.enabled);
        usbNameEditor.setAlpha (state.alpha);
        usbNameEditor.editor.setTooltip (state.tooltip);

        if (UsbProductName::isSupported (*device))
        {
            updateUsbNameButtons (usbNameEditor.getText());
        }
        else
        {
            applyButton.setEnabled (false);
            resetButton.setEnabled (false);
        }
    }

    if (buttonPanel != nullptr)    buttonPanel->updateEnablement (mode);
    if (presetsPanel != nullptr)   presetsPanel->updateEnablement (mode);
    if (trsTypesPanel != nullptr)  trsTypesPanel->updateEnablement (mode);
    if (sync24Panel != nullptr)    sync24Panel->updateEnablement (mode);
    if (dumpPanel != nullptr)      dumpPanel->updateEnablement (mode);
    if (powerDownPanel != nullptr) powerDownPanel->updateEnablement (mode);
}

void Settings::refreshFullMap()
{
    if (mainComponent != nullptr)
        if (auto* fullMap = mainComponent->getFullMap())
            fullMap->refresh();
}

//==============================================================================
bool Settings::updateUsbNameButtons (const juce::String& text)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return false;

    const auto buttons = UsbProductName::getButtons (*device, text);

    if (buttons.warning.isNotEmpty())
        showWarning (buttons.warning);

    applyButton.setEnabled (buttons.applyEnabled);
    resetButton.setEnabled (buttons.resetEnabled);
    return buttons.applyEnabled;
}

void Settings::applyUsbProductName (bool reset)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    statusLabel.setVisible (false);

    if (reset)
        setUsbNameEditorText (getDefaultUsbProductName (*device));

    if (! UsbProductName::store (*device, usbNameEditor.getText()))
        return;

    device->postAsyncMessage (infoAlert, UsbProductName::reconnectNotice);
    updateUsbNameButtons (usbNameEditor.getText());
}

void Settings::loadUsbProductName()
{
    if (auto* device = MidiController::getInstance())
        setUsbNameEditorText (getCurrentUsbProductName (*device));
}

void Settings::setUsbNameEditorText (const juce::String& text)
{
    usbNameEditor.setTextAndCheck (text);
}

void Settings::showStatusMessage (const juce::String& text, juce::Colour colour)
{
    statusLabel.setText (text, juce::dontSendNotification);
    statusLabel.setColour (juce::Label::textColourId, colour);
    statusLabel.setVisible (text.isNotEmpty());
}

void Settings::showWarning (const juce::String& text)
{
    showStatusMessage (text, warningColour);

    // Each warning stays its full time: an earlier warning's end does not clear a later one.
    const int warning = ++warningCount;
    juce::Component::SafePointer<Settings> safeThis (this);

    callAfterAtLeast (warningMs, [safeThis, warning]
    {
        if (auto* page = safeThis.getComponent())
            if (page->warningCount == warning)
                page->showStatusMessage ({}, warningColour);
    });
}

//==============================================================================
void Settings::productLost()
{
    resetDeviceSettings();
    updateEnablement (editorBusy);

    if (dumpPanel != nullptr)
        dumpPanel->clearDump();
}

void Settings::refreshFromModel()
{
    if (presetsPanel != nullptr)   presetsPanel->refresh();
    if (buttonPanel != nullptr)    buttonPanel->refresh();
    if (trsTypesPanel != nullptr)  trsTypesPanel->refresh();
    if (sync24Panel != nullptr)    sync24Panel->refresh();
    if (powerDownPanel != nullptr) powerDownPanel->refresh();
}
