#include "routing/UsbPortsReservation.h"
#include "routing/RouterListCommon.h"
#include "routing/RouterCommon.h"
#include "routing/PreviousDevices.h"
#include "app/MainComponent.h"
#include "device/ProductTables.h"

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour lineColour (0xffff7f50);
    const juce::Colour noticeColour (0xff8e989b);
    const juce::Colour messageColour (0xffff0000);

    juce::Font regularFont (float height)
    {
        return juce::Font (height, juce::Font::plain).withTypefaceStyle ("Regular");
    }

    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, float fontHeight)
    {
        auto label = std::make_unique<juce::Label> ("new label", text);
        label->setFont (regularFont (fontHeight));
        label->setJustificationType (juce::Justification::centred);
        label->setEditable (false, false, false);
        return label;
    }

    std::unique_ptr<juce::TextButton> makeButton (const juce::String& text, const juce::String& tooltip)
    {
        auto button = std::make_unique<juce::TextButton> ("new button");
        button->setButtonText (text);
        button->setTooltip (tooltip);
        button->setColour (juce::TextButton::buttonColourId, lineColour);
        return button;
    }

    constexpr PortReservation emptyEntry { -1, 0x007F };

    bool isReserved (PortReservation entry)
    {
        return entry.vidPid != -1 && (entry.cable & 0xFF) != 0x7F;
    }
}

UsbPortsReservation::UsbPortsReservation (RouterListCommon* gridThatOwnsIt, int kind)
    : grid (gridThatOwnsIt), routerKind (kind)
{
    setName ("UsbPortsReservation");

    titleLabel = makeLabel (TRANS ("USB Host Ports reservation"), 15.0f);
    titleLabel->setColour (juce::Label::backgroundColourId, backgroundColour);
    inputsLabel = makeLabel (TRANS ("Inputs"), 14.5f);
    outputsLabel = makeLabel (TRANS ("Outputs"), 14.5f);
    messageLabel = makeLabel ("-", 13.0f);
    messageLabel->setColour (juce::Label::backgroundColourId, backgroundColour);
    messageLabel->setColour (juce::Label::textColourId, messageColour);

    for (auto* label : { titleLabel.get(), inputsLabel.get(), outputsLabel.get(), messageLabel.get() })
        addAndMakeVisible (*label);

    resetAllButton = makeButton (TRANS ("Reset all"), TRANS ("Click to reset all USB ports reservation"));
    autoReserveButton = makeButton (TRANS ("Auto reserve"), TRANS ("Click to automatically reserve all connected devices"));
    showAllToggle = std::make_unique<juce::ToggleButton> ("Show All");
    showAllToggle->setButtonText (TRANS ("Show all"));
    showAllToggle->setTooltip (TRANS ("Check this box to show all reserved ports"));

    for (auto* button : { (juce::Button*) resetAllButton.get(), (juce::Button*) autoReserveButton.get(), (juce::Button*) showAllToggle.get() })
    {
        button->addListener (this);
        addAndMakeVisible (*button);
    }

    auto setUpDeviceCombo = [this] (juce::ComboBox& combo, const juce::String& tooltip)
    {
        combo.setTooltip (tooltip);
        combo.setEditableText (false);
        combo.setJustificationType (juce::Justification::centredLeft);
        combo.setTextWhenNothingSelected (TRANS ("Select device"));
        combo.setTextWhenNoChoicesAvailable (TRANS ("(no choices)"));
        combo.addItem (TRANS ("Not reserved"), 1);
        combo.addListener (this);
        addAndMakeVisible (combo);
    };

    auto makeCableCombo = [this] (const juce::String& tooltip)
    {
        auto combo = std::make_unique<juce::ComboBox> ("new combo box");
        combo->setTooltip (tooltip);
        combo->setEditableText (false);
        combo->setJustificationType (juce::Justification::centredLeft);
        combo->setTextWhenNothingSelected (TRANS ("CN"));
        combo->setTextWhenNoChoicesAvailable (TRANS ("(no choices)"));

        for (int cable = 1; cable <= 16; ++cable)
            combo->addItem (juce::String (cable), cable);

        combo->addListener (this);
        combo->setEnabled (false);
        addAndMakeVisible (*combo);
        return combo;
    };

    auto makeNumberLabel = [this] (int number, const juce::String& tooltip)
    {
        auto label = makeLabel (juce::String::formatted ("%d", number), 12.5f);
        label->setTooltip (tooltip);
        label->setColour (juce::Label::textColourId, noticeColour);
        addAndMakeVisible (*label);
        return label;
    };

    for (int i = 0; i < rowCount; ++i)
    {
        inputNumberLabels[i] = makeNumberLabel (i + 1, TRANS ("Internal reserved input port number"));
        inputDeviceCombos[i] = std::make_unique<ComboBoxUsbPortReservation> (this);
        setUpDeviceCombo (*inputDeviceCombos[i], TRANS ("Select the USB device for which this input port will be reserved"));
        inputCableCombos[i] = makeCableCombo (TRANS ("Select the USB device Cable Number (CN) for which this input port will be reserved"));

        outputNumberLabels[i] = makeNumberLabel (i + 1, TRANS ("Internal reserved output port number"));
        outputDeviceCombos[i] = std::make_unique<ComboBoxUsbPortReservation> (this);
        setUpDeviceCombo (*outputDeviceCombos[i], TRANS ("Select the USB device for which this output port will be reserved"));
        outputCableCombos[i] = makeCableCombo (TRANS ("Select the USB device Cable Number (CN) for which this output port will be reserved"));
    }

    unconnectedLabel = makeLabel (TRANS ("Unconnected ports"), 14.0f);
    unconnectedLabel->setColour (juce::Label::backgroundColourId, backgroundColour);
    addAndMakeVisible (*unconnectedLabel);

    setSize (360, 280);
}

UsbPortsReservation::~UsbPortsReservation() = default;

//==============================================================================
int UsbPortsReservation::getHostPorts() const
{
    auto* device = MidiController::getInstance();
    return device != nullptr ? device->getNumUsbHostPorts() : 0;
}

int UsbPortsReservation::getRowsShown() const
{
    auto* device = MidiController::getInstance();
    return device != nullptr ? ReservationTable::getRowCount (*device) : 0;
}

bool UsbPortsReservation::isOpen() const
{
    return table.isStaging();
}

juce::PropertiesFile* UsbPortsReservation::getPropertiesFile() const
{
    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        if (auto* main = tab->getMainComponent())
            return main->propertiesFile.get();

    return nullptr;
}

void UsbPortsReservation::setApplyButtonText (const juce::String& text)
{
    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        tab->setPortReservationButtonText (text);
}

void UsbPortsReservation::enableApplyWhenConsistent()
{
    const bool consistent = checkInputReservations() && checkOutputReservations();

    if (auto* tab = grid != nullptr ? grid->getTab() : nullptr)
        tab->buttonPortReservation->setEnabled (consistent);
}

//==============================================================================
void UsbPortsReservation::setOpen (bool shouldBeOpen)
{
    table.setStaging (shouldBeOpen);

    if (! shouldBeOpen)
        return;

    // The rows are built from the table whenever the view opens: what changed while it was
    // closed shows, and the edits a failed check kept come back.
    messageLabel->setText ({}, juce::dontSendNotification);

    const int rows = getRowsShown();

    for (int entry = 0; entry < 2 * rows; ++entry)
        showReservation (entry);

    choicesStale = false;
}

void UsbPortsReservation::applyReservations()
{
    if (auto* device = MidiController::getInstance())
        if (table.commit (*device) && grid != nullptr)
            grid->refreshFullMap();
}

void UsbPortsReservation::productLost()
{
    table.discard();
    choicesStale = true;
}

//==============================================================================
void UsbPortsReservation::markReservationChanged (int entry)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! juce::isPositiveAndBelow (entry, 2 * device->getNumUsbHostPorts()))
        return;

    setApplyButtonText (TRANS ("Apply ports reservation"));

    // What the full-settings window shows changes only once the edits are in the model.
    if (! table.isStaging() && grid != nullptr)
        grid->refreshFullMap();
}

void UsbPortsReservation::updatePadlock (int entry)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || grid == nullptr)
        return;

    const int rows = getRowsShown();
    const bool reserved = isReserved (table.get (*device, entry));

    if (entry < rows)
        grid->setInputLockImage (entry, reserved);
    else
        grid->setOutputLockImage (entry - rows, reserved);
}

void UsbPortsReservation::showReservation (int entry)
{
    auto* device = MidiController::getInstance();
    const int rows = getRowsShown();

    if (device == nullptr || entry < 0)
        return;

    const bool inputs = entry < rows;
    const int row = inputs ? entry : entry - rows;

    // Product codes without host ports have no rows at all.
    if (row >= rowCount)
        return;

    updatePadlock (entry);

    if (! isOpen())
    {
        choicesStale = true;
        return;
    }

    showRow (inputs, row, table.get (*device, entry));
    checkInputReservations();
    checkOutputReservations();
}

void UsbPortsReservation::showRow (bool inputs, int row, PortReservation entry)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    fillDeviceChoices (inputs, row);

    auto& deviceCombo = inputs ? *inputDeviceCombos[row] : *outputDeviceCombos[row];
    auto& cableCombo = inputs ? *inputCableCombos[row] : *outputCableCombos[row];
    const int cable = entry.cable & 0xFF;
    const auto instance = (juce::uint8) (device->hostFirmwareVersion > 3.35f ? entry.cable >> 8 : 0);

    if (entry.vidPid == -1)
    {
        deviceCombo.setSelectedItemIndex (0, juce::dontSendNotification);
        cableCombo.setSelectedItemIndex (-1, juce::dontSendNotification);
        cableCombo.setEnabled (false);
    }
    else
    {
        deviceCombo.selectDevice (entry.vidPid, instance);
        cableCombo.setEnabled (true);
        cableCombo.setSelectedItemIndex (cable < cableCombo.getNumItems() ? cable : -1, juce::dontSendNotification);
    }

    updateRowState (inputs, row);
}

void UsbPortsReservation::resetAllReservations (bool queue)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    setApplyButtonText ({});
    messageLabel->setText ({}, juce::dontSendNotification);

    const auto changed = table.resetAll (*device, queue);
    const int rows = getRowsShown();

    for (int entry = 0; entry < 2 * rows; ++entry)
    {
        showReservation (entry);

        if (queue && changed.contains (entry))
            markReservationChanged (entry);
    }
}

void UsbPortsReservation::autoReserve()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! ProductTables::isHostCode (device->productCode))
        return;

    for (int entry = 0; entry < 2 * device->getNumUsbHostPorts(); ++entry)
    {
        const auto& record = device->usbHostDevices[entry];
        auto value = emptyEntry;

        if (record.deviceHandle != -1 && record.vidPid != -1)
        {
            const int instance = device->hostFirmwareVersion > 3.35f && record.deviceInstance != 0xFF ? record.deviceInstance : 0;
            value = { record.vidPid, (juce::uint16) (record.cableIndex | (instance << 8)) };
        }

        const bool changed = value != table.get (*device, entry);

        if (changed)
            table.set (*device, entry, value, true);

        showReservation (entry);

        if (changed)
            markReservationChanged (entry);
    }

    enableApplyWhenConsistent();
}

//==============================================================================
ReservationRow UsbPortsReservation::getInputRow (int row) const
{
    return { inputDeviceCombos[row]->getSelectedItemIndex(), inputDeviceCombos[row]->getSelectedVidPid(),
             inputDeviceCombos[row]->getSelectedInstance(), inputCableCombos[row]->getSelectedItemIndex() };
}

ReservationRow UsbPortsReservation::getOutputRow (int row) const
{
    return { outputDeviceCombos[row]->getSelectedItemIndex(), outputDeviceCombos[row]->getSelectedVidPid(),
             outputDeviceCombos[row]->getSelectedInstance(), outputCableCombos[row]->getSelectedItemIndex() };
}

bool UsbPortsReservation::checkInputReservations()
{
    auto* device = MidiController::getInstance();
    ReservationRow rows[rowCount];
    const int count = juce::jmin (getHostPorts(), (int) rowCount);

    for (int i = 0; i < count; ++i)
        rows[i] = getInputRow (i);

    const auto message = ReservationChecks::check (rows, count, true, device != nullptr && device->hostFirmwareVersion > 3.35f);
    messageLabel->setText (message, juce::dontSendNotification);
    return message.isEmpty();
}

bool UsbPortsReservation::checkOutputReservations()
{
    auto* device = MidiController::getInstance();
    ReservationRow rows[rowCount];
    const int count = juce::jmin (getHostPorts(), (int) rowCount);

    for (int i = 0; i < count; ++i)
        rows[i] = getOutputRow (i);

    const auto message = ReservationChecks::check (rows, count, false, device != nullptr && device->hostFirmwareVersion > 3.35f);
    messageLabel->setText (message, juce::dontSendNotification);
    return message.isEmpty();
}

//==============================================================================
void UsbPortsReservation::fillInputDeviceChoices (int row)   { fillDeviceChoices (true, row); }
void UsbPortsReservation::fillOutputDeviceChoices (int row)  { fillDeviceChoices (false, row); }

void UsbPortsReservation::scheduleDeviceChoicesRefill()
{
    choicesStale = true;

    if (isOpen())
    {
        fillInputDeviceChoices (-1);
        fillOutputDeviceChoices (-1);
        choicesStale = false;
    }
}

void UsbPortsReservation::fillDeviceChoices (bool inputs, int row)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! ProductTables::isHostCode (device->productCode))
        return;

    // Rows nobody sees are built when the view opens.
    if (! isOpen())
    {
        choicesStale = true;
        return;
    }

    const int a = device->getNumUsbHostPorts();
    const PreviousDevices previous (getPropertiesFile());
    const int first = row < 0 ? 0 : row;
    const int last = row < 0 ? juce::jmin (a, (int) rowCount) - 1 : juce::jmin (row, (int) rowCount - 1);

    for (int k = first; k <= last; ++k)
    {
        auto& deviceCombo = inputs ? *inputDeviceCombos[k] : *outputDeviceCombos[k];
        auto& cableCombo = inputs ? *inputCableCombos[k] : *outputCableCombos[k];

        DeviceChoiceList::Choice current;
        current.vidPid = deviceCombo.getSelectedVidPid();
        current.instance = deviceCombo.getSelectedInstance();
        current.cableId = cableCombo.getSelectedId();

        const auto state = deviceCombo.choices.build (*device, previous, inputs, k, current, table.get (*device, inputs ? k : a + k));
        deviceCombo.showChoices (state.selectedIndex);

        if (state.cableId >= 0)
        {
            if (state.cableId == 0)
                cableCombo.setSelectedItemIndex (-1, juce::dontSendNotification);
            else
                cableCombo.setSelectedId (state.cableId, juce::dontSendNotification);
        }

        if (state.usableCables >= 0)
            for (int cable = 1; cable <= 16; ++cable)
                cableCombo.setItemEnabled (cable, cable - 1 < state.usableCables);

        if (state.cablesDisabled)
            cableCombo.setEnabled (false);
    }
}

void UsbPortsReservation::updateInputRowState (int row)   { updateRowState (true, row); }
void UsbPortsReservation::updateOutputRowState (int row)  { updateRowState (false, row); }

void UsbPortsReservation::updateRowState (bool inputs, int row)
{
    if (! juce::isPositiveAndBelow (row, (int) rowCount))
        return;

    auto& deviceCombo = inputs ? *inputDeviceCombos[row] : *outputDeviceCombos[row];
    auto& cableCombo = inputs ? *inputCableCombos[row] : *outputCableCombos[row];
    cableCombo.setEnabled (deviceCombo.getSelectedItemIndex() > 0);
    updatePadlock (inputs ? row : getRowsShown() + row);
}

void UsbPortsReservation::storeInputRow (int row)   { storeRow (true, row); }
void UsbPortsReservation::storeOutputRow (int row)  { storeRow (false, row); }

void UsbPortsReservation::storeRow (bool inputs, int row)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const int entry = inputs ? row : device->getNumUsbHostPorts() + row;
    const auto chosen = inputs ? getInputRow (row) : getOutputRow (row);
    table.set (*device, entry, chosen.toEntry (table.get (*device, entry), device->hostFirmwareVersion > 3.35f), true);
    markReservationChanged (entry);
    updatePadlock (entry);
}

//==============================================================================
void UsbPortsReservation::comboBoxChanged (juce::ComboBox* combo)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr || ! ProductTables::isHostCode (device->productCode))
        return;

    const int a = juce::jmin (device->getNumUsbHostPorts(), (int) rowCount);

    for (int i = 0; i < a; ++i)
    {
        for (int direction = 0; direction < 2; ++direction)
        {
            const bool inputs = direction == 0;
            auto* deviceCombo = inputs ? inputDeviceCombos[i].get() : outputDeviceCombos[i].get();
            auto* cableCombo = inputs ? inputCableCombos[i].get() : outputCableCombos[i].get();

            if (combo == deviceCombo)
            {
                // The last item forgets the remembered devices.
                if (deviceCombo->getSelectedItemIndex() + 1 == deviceCombo->getNumItems())
                {
                    clearPreviousDevices();
                    showReservation (inputs ? i : device->getNumUsbHostPorts() + i);
                    fillDeviceChoices (inputs, -1);
                    fillDeviceChoices (! inputs, -1);
                    return;
                }

                fillDeviceChoices (inputs, i);
                updateRowState (inputs, i);
                enableApplyWhenConsistent();
                storeRow (inputs, i);
                return;
            }

            if (combo == cableCombo)
            {
                updateRowState (inputs, i);
                enableApplyWhenConsistent();
                storeRow (inputs, i);
                return;
            }
        }
    }
}

void UsbPortsReservation::buttonClicked (juce::Button* button)
{
    if (button == resetAllButton.get())
    {
        resetAllReservations (true);
        enableApplyWhenConsistent();
    }
    else if (button == autoReserveButton.get())
    {
        autoReserve();
    }
    else if (button == showAllToggle.get())
    {
        if (grid != nullptr)
            grid->rebuildGrid();
    }
}

//==============================================================================
bool UsbPortsReservation::storePreviousDevice (const juce::String& vidPidText, const juce::String& name,
                                               int inputCableCount, int outputCableCount)
{
    return PreviousDevices (getPropertiesFile()).store (vidPidText, name, inputCableCount, outputCableCount);
}

bool UsbPortsReservation::findPreviousDevice (const juce::String& vidPidText, juce::String& name,
                                              int& inputCableCount, int& outputCableCount)
{
    return PreviousDevices (getPropertiesFile()).find (vidPidText, name, inputCableCount, outputCableCount);
}

juce::StringArray UsbPortsReservation::listPreviousDevices()
{
    return PreviousDevices (getPropertiesFile()).list();
}

void UsbPortsReservation::clearPreviousDevices()
{
    PreviousDevices (getPropertiesFile()).clear();
}

//==============================================================================
void UsbPortsReservation::updateForProduct()
{
    auto* device = MidiController::getInstance();
    const int a = getHostPorts();

    for (int i = 0; i < rowCount; ++i)
    {
        const bool used = i < a;

        for (auto* c : { (juce::Component*) inputDeviceCombos[i].get(), (juce::Component*) inputCableCombos[i].get(),
                         (juce::Component*) outputDeviceCombos[i].get(), (juce::Component*) outputCableCombos[i].get() })
            c->setVisible (used);

        if (! used)
        {
            inputNumberLabels[i]->setVisible (false);
            outputNumberLabels[i]->setVisible (false);
        }
    }

    const bool jorvek = device != nullptr && device->productCode == productJorvek;
    titleLabel->setText (TRANS (jorvek ? "USB-C Host Ports reservation" : "USB-A Host Ports reservation"), juce::dontSendNotification);

    if (choicesStale && isOpen())
    {
        fillInputDeviceChoices (-1);
        fillOutputDeviceChoices (-1);
        choicesStale = false;
    }

    resized();
}

void UsbPortsReservation::placeInputRow (bool show, int row, int y)
{
    const int w = getWidth();
    auto r = [w] (double p) { return juce::roundToInt (w * p); };

    for (auto* c : { (juce::Component*) inputDeviceCombos[row].get(), (juce::Component*) inputCableCombos[row].get(),
                     (juce::Component*) inputNumberLabels[row].get() })
        c->setVisible (show);

    if (show)
    {
        inputDeviceCombos[row]->setBounds (r (0.0167), y, r (0.3028), 19);
        inputCableCombos[row]->setBounds (r (0.3278), y, r (0.12), 19);
        inputNumberLabels[row]->setBounds (r (0.418), y, r (0.11), 19);
    }
}

void UsbPortsReservation::placeOutputRow (bool show, int row, int y)
{
    const int w = getWidth();
    auto r = [w] (double p) { return juce::roundToInt (w * p); };

    for (auto* c : { (juce::Component*) outputDeviceCombos[row].get(), (juce::Component*) outputCableCombos[row].get(),
                     (juce::Component*) outputNumberLabels[row].get() })
        c->setVisible (show);

    if (show)
    {
        outputDeviceCombos[row]->setBounds (r (0.5111), y, r (0.3139), 19);
        outputCableCombos[row]->setBounds (r (0.8333), y, r (0.12), 19);
        outputNumberLabels[row]->setBounds (r (0.92), y, r (0.11), 19);
    }
}

void UsbPortsReservation::resized()
{
    const int w = getWidth(), h = getHeight();
    auto r = [w] (double p) { return juce::roundToInt (w * p); };

    titleLabel->setBounds (r (0.5) - 92, 2, 184, 24);
    inputsLabel->setBounds (r (0.025), 47, r (0.1639), 21);
    outputsLabel->setBounds (r (0.7833), 47, r (0.2), 21);
    messageLabel->setBounds (0, h - 23, w, 23);
    resetAllButton->setBounds (r (0.3639) - r (0.2444) / 2, 32, r (0.2444), 21);
    autoReserveButton->setBounds (r (0.6333) - r (0.2444) / 2, 32, r (0.2444), 21);
    showAllToggle->setBounds (r (0.5) - 37, 58, 74, 18);

    int bottom = showAllToggle->getBottom() + 8;
    int placedInputs = 0, placedOutputs = 0;
    auto* device = MidiController::getInstance();
    const int a = device != nullptr && ProductTables::isHostCode (device->productCode)
                      ? juce::jmin (device->getNumUsbHostPorts(), (int) rowCount) : 0;
    const bool showAll = showAllToggle->getToggleState();

    for (int s = 1; s <= a && grid != nullptr; ++s)
    {
        const auto& anchor = *grid->hostInputsLabel;

        auto rowY = [&anchor] (const juce::Component& button)
        {
            return (button.getY() + button.getHeight() / 2) - anchor.getHeight() / 2 - anchor.getY() + 48;
        };

        auto* input = grid->inputButtons[s - 1].get();

        if (input != nullptr && input->isVisible())
        {
            const int y = rowY (*input);
            bottom = juce::jmax (bottom, y);
            placeInputRow (true, s - 1, y);
            ++placedInputs;

            if (input->getButtonText().isNotEmpty())
                inputNumberLabels[s - 1]->setTooltip (input->getButtonText()
                                                      + juce::String::formatted (" is attached to internal input port %d/%d", s, a));
        }
        else
        {
            inputNumberLabels[s - 1]->setTooltip (juce::String::formatted ("No device attached to internal input port %d/%d", s, a));

            if (! showAll)
                placeInputRow (false, s - 1, 0);
        }

        auto* output = grid->outputToggles[s - 1].get();

        if (output != nullptr && output->isVisible())
        {
            const int y = rowY (*output);
            bottom = juce::jmax (bottom, y);
            placeOutputRow (true, s - 1, y);
            ++placedOutputs;

            if (output->getButtonText().isNotEmpty())
                outputNumberLabels[s - 1]->setTooltip (output->getButtonText()
                                                       + juce::String::formatted (" is attached to internal output port %d/%d", s, a));
        }
        else
        {
            outputNumberLabels[s - 1]->setTooltip (juce::String::formatted ("No device attached to internal output port %d/%d", s, a));

            if (! showAll)
                placeOutputRow (false, s - 1, 0);
        }
    }

    if (placedInputs + placedOutputs > 0)
        bottom += 32;

    autoReserveButton->setEnabled (placedInputs + placedOutputs > 0);
    unconnectedLabel->setBounds (0, bottom, w, 23);

    if (placedInputs < a || placedOutputs < a)
    {
        unconnectedLabel->setVisible (showAll);
        showAllToggle->setEnabled (true);
    }
    else
    {
        unconnectedLabel->setVisible (false);
        showAllToggle->setToggleState (false, juce::sendNotification);
        showAllToggle->setEnabled (false);
    }
}

int UsbPortsReservation::layoutRows (int top)
{
    if (grid == nullptr || ! grid->isReservationViewOpen() || ! showAllToggle->getToggleState())
        return 0;

    int yIn = top + unconnectedLabel->getHeight();
    int yOut = yIn;
    bool placed = false;

    for (int k = 0; k < juce::jmin (getHostPorts(), (int) rowCount); ++k)
    {
        auto* input = grid->inputButtons[k].get();

        if (input != nullptr && input->isVisible())
        {
            placeInputRow (false, k, 0);
        }
        else
        {
            placeInputRow (true, k, yIn);
            yIn += 32;
            placed = true;
        }

        auto* output = grid->outputToggles[k].get();

        if (output != nullptr && output->isVisible())
        {
            placeOutputRow (false, k, 0);
        }
        else
        {
            placeOutputRow (true, k, yOut);
            yOut += 32;
            placed = true;
        }
    }

    if (! placed)
    {
        unconnectedLabel->setVisible (false);
        return 0;
    }

    unconnectedLabel->setVisible (true);
    return juce::jmax (yIn, yOut) + messageLabel->getHeight() - top;
}

void UsbPortsReservation::paint (juce::Graphics& g)
{
    if (grid == nullptr || ! grid->isReservationViewOpen())
        return;

    const int w = getWidth(), h = getHeight();
    auto r = [w] (double p) { return juce::roundToInt (w * p); };

    g.fillAll (backgroundColour);
    g.setColour (lineColour);
    g.fillRect (r (0.0333), 14, r (0.9333), 1);

    if (h >= 96)
        g.fillRect (r (0.497), 84, 1, h - 95);
}
