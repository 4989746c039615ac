#include "settings/Settings.h"
#include "settings/UsbProductName.h"
#include "device/MidiController.h"
#include "app/MainComponent.h"

Settings::Settings (MainComponent* owner) : mainComponent (owner)
{
    setName ("Settings");
    resetSlots();

    for (auto* combo : { &inputPortCombo, &outputPortCombo, &productCombo })
        addAndMakeVisible (combo);

    autoDetectToggle.setToggleState (true, juce::dontSendNotification);
    addAndMakeVisible (autoDetectToggle);
}

void Settings::resized()
{
    auto area = getLocalBounds().reduced (10);
    auto row = area.removeFromTop (24);
    productCombo.setBounds (row.removeFromLeft (250));
    row.removeFromLeft (10);
    autoDetectToggle.setBounds (row.removeFromLeft (120));
    area.removeFromTop (8);
    row = area.removeFromTop (24);
    inputPortCombo.setBounds (row.removeFromLeft (250));
    row.removeFromLeft (10);
    outputPortCombo.setBounds (row.removeFromLeft (250));
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

void Settings::updateEnablement (int mode) { lastEnablementMode = mode; }

void Settings::applyConnectionMode (bool fixedProductList)
{
    auto* device = MidiController::getInstance();

    if (autoDetectToggle.getToggleState())
    {
        productCombo.setEnabled (false);
        productCombo.setTextWhenNothingSelected ("Auto");
        productCombo.setTextWhenNoChoicesAvailable ("Auto");
        productCombo.setTooltip ("In case of multiple devices are connected to the software, you can select here which device to connect to");
        inputPortCombo.setTextWhenNothingSelected ("No MIDI input found");
        outputPortCombo.setTextWhenNothingSelected ("No MIDI output found");
        inputPortCombo.setTooltip ("This list is not selectable in automatic mode, it should not be modified");
        outputPortCombo.setTooltip ("This list is not selectable in automatic mode, it should not be modified");

        // Programming must not be disturbed: no close-connection request and no new search until it ends.
        if (device != nullptr && device->isProgrammingFirmware())
            return;

        // A product restarting into its bootloader for an upgrade is not told to close: the
        // request would go into the reboot and its status text would hide the restart's.
        if (device != nullptr && device->upgradeInProgress == 0)
            device->closeConnection();

        juce::Component::SafePointer<MainComponent> safeOwner (mainComponent);
        juce::Timer::callAfterDelay (400, [safeOwner]
        {
            if (auto* main = safeOwner.getComponent())
                main->restartDeviceSearch();
        });
        return;
    }

    if (mainComponent != nullptr)
        mainComponent->stopTimer();

    productCombo.setEnabled (true);
    productCombo.setTextWhenNothingSelected ("Please select the product");
    productCombo.setTooltip ("Please select the product you want to connect to");
    inputPortCombo.setTextWhenNothingSelected ("Please select input port");
    outputPortCombo.setTextWhenNothingSelected ("Please select output port");
    inputPortCombo.setTooltip ("Please select input port 1 of the product you want to connect to");
    outputPortCombo.setTooltip ("Please select output port 1 of the product you want to connect to");

    if (fixedProductList)
    {
        productCombo.clear (juce::dontSendNotification);
        productCombo.addItem ("Kelmora Calder Pro", productCalderDevice);
        productCombo.addItem ("Kelmora Dorvin BC", productDorvinDevice);
        productCombo.addItem ("Kelmora Jorvek Pro", productJorvekDevice);
        productCombo.setSelectedItemIndex (-1, juce::dontSendNotification);
    }

    const bool productChosen = productCombo.getSelectedItemIndex() >= 0;
    inputPortCombo.setEnabled (productChosen);
    outputPortCombo.setEnabled (productChosen);

    if (device != nullptr)
        device->manualConnect = productChosen ? 1 : 0;

    scanMidiPorts();
}

void Settings::buildDeviceTabs() {}

void Settings::resetDeviceSettings()
{
    auto* device = MidiController::getInstance();
    if (device == nullptr)
        return;

    device->resetPresetNames();

    for (int preset = 0; preset < MidiController::numPresetRows; ++preset)
    {
        device->powerDown[preset] = 0;
        device->trsType[preset] = -1;
        device->sync24[preset] = 0;
    }

    dumpPanel.clearDump();
    dumpPanel.setCopyEnabled (false);
}

void Settings::setUsbNameEditorText (const juce::String& text)
{
    usbNameEditor.setText (text, true);
}

void Settings::productLost()
{
    resetDeviceSettings();
    updateEnablement (editorBusy);
    dumpPanel.clearDump();
}

void Settings::refreshFromModel()
{
    if (auto* trs = getTrsPanel())          trs->refresh();
    if (auto* sync24 = getSync24Panel())    sync24->refresh();
    if (auto* powerDown = getPowerDownPanel()) powerDown->refresh();
}
