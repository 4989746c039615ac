#include "editors/MapperObject.h"
#include "editors/Mapper.h"
#include "editors/MapperFirmwareGates.h"
#include "editors/MapperRecordCodec.h"
#include "editors/MapperStatusRules.h"
#include "editors/MapperValidator.h"
#include "editors/UnavailablePortMenuItem.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"
#include "device/MidiController.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

namespace
{
    const juce::Colour backgroundColour (0xff323e44);
    const juce::Colour coral (0xffff7f50);
    const juce::Colour messageColour (0xffeb663e);
    const juce::Colour selectedInputColour (0xffeb663e);
    const juce::Colour unselectedInputColour (0xff000000);
    const juce::Colour groupOutline (0xffc4c4c4);

    constexpr int numValues = 128;
    constexpr int numChannels = 16;
    constexpr float statusFontHeight = 14.5f;

    MidiController* device()   { return MidiController::getInstance(); }

    float hostFirmware()
    {
        auto* d = device();
        return d != nullptr ? d->hostFirmwareVersion : 0.0f;
    }

    bool hasProduct()          { return hostFirmware() > 0.1f; }

    /** The list's position: its items have the ids position + 1. */
    int positionOf (const juce::ComboBox& list)       { return list.getSelectedId() - 1; }

    void choosePosition (juce::ComboBox& list, int position)
    {
        list.setSelectedId (position >= 0 ? position + 1 : 0, juce::dontSendNotification);
    }

    void fillList (juce::ComboBox& list, const juce::StringArray& items)
    {
        list.clear (juce::dontSendNotification);
        list.addItemList (items, 1);
    }

    juce::StringArray numbers (int first, int last, bool signedText = false)
    {
        juce::StringArray texts;

        for (int n = first; n <= last; ++n)
            texts.add ((signedText && n > 0 ? "+" : "") + juce::String (n));

        return texts;
    }

    juce::StringArray descending (int first, int last)
    {
        juce::StringArray texts;

        for (int n = first; n >= last; --n)
            texts.add ((n > 0 ? "+" : "") + juce::String (n));

        return texts;
    }

    std::unique_ptr<juce::Label> makeLabel (const juce::String& text, float height, juce::Justification justification)
    {
        auto label = std::make_unique<juce::Label> ("new label", text);
        label->setFont (juce::Font (height, juce::Font::plain).withTypefaceStyle ("Regular"));
        label->setJustificationType (justification);
        label->setEditable (false, false, false);
        label->setColour (juce::TextEditor::textColourId, juce::Colours::black);
        label->setColour (juce::TextEditor::backgroundColourId, juce::Colour (0x00000000));
        return label;
    }

    std::unique_ptr<juce::GroupComponent> makeGroup (const juce::String& title)
    {
        auto group = std::make_unique<juce::GroupComponent> ("new group", title);
        group->setColour (juce::GroupComponent::outlineColourId, groupOutline);
        group->setColour (juce::GroupComponent::textColourId, juce::Colours::white);
        return group;
    }

    template <typename Control>
    void applyState (Control& control, const MapperStatusRules::State& state)
    {
        if (state.enabled.has_value())
            control.setEnabled (*state.enabled);

        if (state.visible.has_value())
            control.setVisible (*state.visible);

        if constexpr (std::is_base_of_v<juce::Button, Control>)
        {
            if (state.ticked.has_value())
                control.setToggleState (*state.ticked, juce::dontSendNotification);
        }
        else
        {
            if (state.position.has_value())
                choosePosition (control, *state.position);
        }
    }
}

//==============================================================================
MapperObject::MapperObject (Mapper& owner, int index) : ownerMapper (owner), mapperIndex (index)
{
    buildControls();
    setName ("MapperObject");
    setSize (800, 316);
}

MapperObject::~MapperObject() = default;

juce::ComboBox* MapperObject::makeList (const juce::String& tooltip)
{
    auto* list = new juce::ComboBox ("new combo box");
    list->setTooltip (tooltip);
    list->setEditableText (false);
    list->setJustificationType (juce::Justification::centredLeft);
    list->setTextWhenNothingSelected ({});
    list->setTextWhenNoChoicesAvailable ({});
    list->addListener (this);
    addAndMakeVisible (list);
    return list;
}

juce::ToggleButton* MapperObject::makeToggle (const juce::String& caption, const juce::String& tooltip)
{
    auto* toggle = new juce::ToggleButton ("new toggle button");
    toggle->setButtonText (caption);
    toggle->setTooltip (tooltip);
    toggle->addListener (this);
    addAndMakeVisible (toggle);
    return toggle;
}

void MapperObject::buildControls()
{
    auto list = [this] (std::unique_ptr<juce::ComboBox>& field, const char* tooltip)
    {
        field.reset (makeList (TRANS (tooltip)));
    };

    auto toggle = [this] (std::unique_ptr<juce::ToggleButton>& field, const char* caption, const char* tooltip)
    {
        field.reset (makeToggle (TRANS (caption), TRANS (tooltip)));
    };

    auto rangeLabel = [this] (const char* text)
    {
        auto label = makeLabel (TRANS (text), 13.5f, juce::Justification::centred);
        addAndMakeVisible (*label);
        return label;
    };

    statusText = std::make_unique<juce::TextEditor> ("new text editor");
    statusText->setMultiLine (true, true);
    statusText->setReadOnly (true);
    statusText->setReturnKeyStartsNewLine (false);
    statusText->setScrollbarsShown (false);
    statusText->setCaretVisible (false);
    statusText->setPopupMenuEnabled (false);
    statusText->setColour (juce::TextEditor::textColourId, juce::Colours::white);
    statusText->setColour (juce::TextEditor::backgroundColourId, backgroundColour);
    statusText->setText ("\n");
    addAndMakeVisible (*statusText);

    value2Group = makeGroup (TRANS ("Value 2"));
    value1Group = makeGroup (TRANS ("Value 1"));
    channelGroup = makeGroup (TRANS ("Channel"));
    messageGroup = makeGroup (TRANS ("Message"));

    for (auto* group : { value2Group.get(), value1Group.get(), channelGroup.get(), messageGroup.get() })
        addAndMakeVisible (group);

    list (inStatusCombo, "Select the input message to remap");
    inStatusCombo->setTextWhenNothingSelected (TRANS ("Select..."));
    inStatusCombo->setTextWhenNoChoicesAvailable (TRANS ("Select"));
    list (inValue1MinCombo, "Select the input message minimum value 1 to remap");
    list (inValue1MaxCombo, "Select the input message maximum value 1 to remap");
    list (inChannelMinCombo, "Select the input message minimum channel to remap");
    list (inChannelMaxCombo, "Select the input message maximum channel to remap");
    list (inValue2MinCombo, "Select the input message minimum value 2 to remap");
    list (inValue2MaxCombo, "Select the input message maximum value 2 to remap");
    list (outStatusCombo, "Select the output message that will be sent when all mapper conditions are matched");
    outStatusCombo->setTextWhenNothingSelected (TRANS ("Select..."));
    outStatusCombo->setTextWhenNoChoicesAvailable (TRANS ("Select"));
    list (outValue1MinCombo, "Select the output message number that will be sent when all mapper conditions are matched");
    list (outChannelCombo, "Select the output message channel that will be sent when all mapper conditions are matched");
    outChannelCombo->setTextWhenNothingSelected (TRANS ("Select..."));
    outChannelCombo->setTextWhenNoChoicesAvailable (TRANS ("0"));
    outChannelCombo->addItemList (numbers (1, numChannels), 1);
    list (outValue2MinCombo, "Select the output message value 2 that will be sent when all mapper conditions are matched");
    list (outValue2MaxCombo, "Select the output message value 2 that will be sent when all mapper conditions are matched");

    toggle (disableInputsToggle, "Disable inputs", "Check to disable this mapper (All inputs will be disabled)");
    showInputsDisabled (true);

    for (int i = 0; i < 8; ++i)
        rangeLabels.add (rangeLabel (i % 2 == 0 ? "Min" : "Max").release());

    toggle (useInValue2Toggle, "Use input value 2", "Check if output value 1 is pulled from input value 2");
    toggle (useInValue1Toggle, "Use input value 1", "Check if output value 2 is pulled from input value 1");
    list (outValue1MaxCombo, "Select the output message number that will be sent when all mapper conditions are matched");
    outValue1MinLabel = rangeLabel ("Min");
    outValue1MaxLabel = rangeLabel ("Max");
    toggle (followValue1Toggle, "Follow", "Check if output value 1 follows input value\n");
    toggle (followValue2Toggle, "Follow", "Check if output value 2 follows input value");
    toggle (followChannelToggle, "Follow", "Check if output channel is following input channel");
    toggle (invertValue1Toggle, "Invert", "Check if output value 1 is inverted compared to input value\n");
    toggle (invertValue2Toggle, "Invert", "Check if output value 2 is inverted compared to input value\n");
    toggle (keepOriginalToggle, "Keep original", "Check if the orginal message must be kept");
    keepOriginalToggle->setColour (juce::ToggleButton::textColourId, juce::Colours::white);
    toggle (transposeChannelToggle, "Transpose channel", "Check if input channel should be transposed\n");
    toggle (compressValue1Toggle, "Compress/Expand",
            "Check if output value 1 compressed/expanded from input range to output range\n\n"
            "Uncheck if output value 1 is equal to input into the specified output range");
    toggle (compressValue2Toggle, "Compress/Expand",
            "Check if output value 2 compressed/expanded from input range to output range\n\n"
            "Uncheck if output value 2 is equal to input into the specified output range");
    list (skipCombo, "Select the percentage of randomly skipped notes");
    skipLabel = makeLabel (TRANS ("Random\nnotes skip"), 13.0f, juce::Justification::centredLeft);
    addAndMakeVisible (*skipLabel);
    toggle (curveValue1Toggle, "Curve", "Check this option to use velocity curves on Value 1");
    toggle (curveValue2Toggle, "Curve", "Check this option to use velocity curves on Value 2");

    for (auto* label : { &userCurve1Label, &userCurve2Label })
    {
        *label = makeLabel (TRANS ("User curve\n"), 13.5f, juce::Justification::centredLeft);
        addChildComponent (label->get());
    }

    const juce::StringArray curves { "User 1", "User 2", "User 3", "User 4" };
    list (userCurve1Combo, "Select the user velocity curve to use for Output value 1");
    list (userCurve2Combo, "Select the user velocity curve to use for Output value 2");

    for (auto* curveList : { userCurve1Combo.get(), userCurve2Combo.get() })
    {
        curveList->setTextWhenNothingSelected (TRANS ("Select"));
        curveList->addItemList (curves, 1);
        curveList->setVisible (false);
    }

   #if PELLION_HAS_RESOURCES
    for (auto& image : decorationImages)
        image = juce::ImageCache::getFromMemory (BinaryData::arrowDown_png, BinaryData::arrowDown_pngSize);
   #endif
}

//==============================================================================
MapperRecord& MapperObject::record() const
{
    auto& d = *device();
    return d.mapperRecords[d.currentPreset][mapperIndex];
}

MapperRecordCodec MapperObject::makeCodec() const
{
    auto* d = device();

    if (d == nullptr)
        return MapperRecordCodec (0.0f, {});

    return MapperRecordCodec (d->hostFirmwareVersion, { d->getNumUsbHostPorts(), d->getNumLocalPorts(), d->getNumUsbVirtualPorts() });
}

//==============================================================================
void MapperObject::rebuildChoices()
{
    buildInputPortList();
    fillStatusLists();
    applyFirmwareGates();

    skipCombo->setVisible (false);
    skipLabel->setVisible (false);
    juce::StringArray skips { TRANS ("None") };
    for (int percent = 1; percent <= 100; ++percent)
        skips.add (juce::String::formatted ("Skip %d%%", percent));
    fillList (*skipCombo, skips);

    fillValueLists();
}

void MapperObject::buildInputPortList()
{
    if (inputPortCombo != nullptr)
        removeChildComponent (inputPortCombo.get());

    inputPortCombo.reset (makeList (TRANS ("Select USB or MIDI ports where mapping is applied\n")));
    inputPortCombo->setTextWhenNothingSelected (TRANS ("Select USB / MIDI input to map"));
    inputPortCombo->setTextWhenNoChoicesAvailable (TRANS ("Select USB / MIDI input to map"));

    auto* d = device();

    if (d != nullptr)
    {
        const int a = d->getNumUsbHostPorts();
        const int b = d->getNumLocalPorts();
        const int c = d->getNumUsbVirtualPorts();
        const auto codec = makeCodec();

        inputPortCombo->addSectionHeading (d->productCode == productJorvek ? "USB-C Host inputs" : "USB-A Host inputs");
        inputPortCombo->addSeparator();

        for (int port = 0; port < a + b; ++port)
        {
            juce::String unusedTooltip;
            const auto name = d->getPortName (port, "In", &unusedTooltip, true, false, true, true, true, true);

            // A port the record has no bit for is listed, but can't be chosen.
            if (codec.isInputStorable (port))
                inputPortCombo->addItem (name, port + 1);
            else
                UnavailablePortMenuItem::addTo (*inputPortCombo, port + 1, name);

            setInputSelected (port, false);

            if (port == a - 1)
            {
                inputPortCombo->addSectionHeading ("USB-C inputs");
                inputPortCombo->addSeparator();
            }

            if (port == a + c - 1)
            {
                inputPortCombo->addSectionHeading ("MIDI inputs");
                inputPortCombo->addSeparator();
            }
        }
    }

    updateInputSelectionText();
    resized();
}

void MapperObject::fillStatusLists()
{
    juce::StringArray statuses;

    for (int position = 0; position < 7; ++position)
        statuses.add (MidiController::getStatusName ((juce::uint8) MapperRecordCodec::statusOfPosition (position)));

    fillList (*inStatusCombo, statuses);
    fillList (*outStatusCombo, statuses);

    const auto codec = makeCodec();

    // Ids are positions + 1; a separator goes before each entry that is not a status byte.
    const juce::StringArray inputExtras { "Notes transpose", "Global channel update" };

    for (int position = 7; position < codec.getNumInputStatusPositions(); ++position)
    {
        inStatusCombo->addSeparator();
        inStatusCombo->addItem (inputExtras[position - 7], position + 1);
    }

    if (codec.getNumOutputStatusPositions() > 7)
    {
        outStatusCombo->addSeparator();
        outStatusCombo->addItem ("Filter message", MapperRecordCodec::positionFilterMessage + 1);
    }
}

void MapperObject::applyFirmwareGates()
{
    using Gates = MapperFirmwareGates;
    const float firmware = hostFirmware();
    const bool product = hasProduct();

    auto gate = [&] (Gates::Feature feature, juce::Component& control, juce::ComboBox* curveList)
    {
        const auto tooltip = Gates::getTooltip (feature, firmware, product);

        if (auto* client = dynamic_cast<juce::SettableTooltipClient*> (&control); client != nullptr && tooltip.isNotEmpty())
            client->setTooltip (TRANS (tooltip));

        if (Gates::isOpen (feature, firmware))
            return;

        if (auto* toggle = dynamic_cast<juce::Button*> (&control))
            toggle->setToggleState (false, juce::dontSendNotification);
        else if (auto* list = dynamic_cast<juce::ComboBox*> (&control))
            choosePosition (*list, 0);

        control.setEnabled (false);

        if (curveList != nullptr)
        {
            choosePosition (*curveList, 0);
            curveList->setEnabled (false);
        }
    };

    gate (Gates::keepOriginal, *keepOriginalToggle, nullptr);
    gate (Gates::skip, *skipCombo, nullptr);
    gate (Gates::transposeChannel, *transposeChannelToggle, nullptr);
    gate (Gates::curveValue1, *curveValue1Toggle, userCurve1Combo.get());
    gate (Gates::compressValue1, *compressValue1Toggle, nullptr);
    gate (Gates::curveValue2, *curveValue2Toggle, userCurve2Combo.get());
    gate (Gates::compressValue2, *compressValue2Toggle, nullptr);
}

void MapperObject::fillValueLists()
{
    const auto values = numbers (0, numValues - 1);
    const auto channels = numbers (1, numChannels);

    auto fill = [] (juce::ComboBox& list, const juce::StringArray& items, int position, bool enabled)
    {
        fillList (list, items);
        choosePosition (list, position);
        list.setEnabled (enabled);
    };

    fill (*inValue1MinCombo, values, 0, true);
    fill (*inValue1MaxCombo, values, numValues - 1, true);
    fill (*inChannelMinCombo, channels, 0, false);
    fill (*inChannelMaxCombo, channels, numChannels - 1, false);
    fill (*inValue2MinCombo, values, 0, false);
    fill (*inValue2MaxCombo, values, numValues - 1, false);
    choosePosition (*outChannelCombo, -1);
    outChannelCombo->setEnabled (false);
    fill (*outValue1MinCombo, values, 0, false);
    fill (*outValue1MaxCombo, values, numValues - 1, false);
    fill (*outValue2MinCombo, values, 0, false);
    fill (*outValue2MaxCombo, values, numValues - 1, false);

    for (auto* follow : { followChannelToggle.get(), followValue1Toggle.get(), followValue2Toggle.get() })
        follow->setToggleState (true, juce::dontSendNotification);
}

//==============================================================================
void MapperObject::resetToDefault (bool allPresets)
{
    if (auto* d = device())
        makeCodec().resetSlot (d->mapperRecords, mapperIndex, d->currentPreset, allPresets);

    loadFromRecord();
}

int MapperObject::loadFromRecord()
{
    if (device() == nullptr)
        return 0;

    const auto codec = makeCodec();
    const auto& r = record();
    const auto choices = codec.load (r);

    updateOutputValueChoices (true);
    setTransposeChannel (false, true);
    outputChannelToBeChosen = false;

    choosePosition (*inStatusCombo, choices.inStatus);
    choosePosition (*outStatusCombo, choices.outStatus);
    choosePosition (*inChannelMinCombo, choices.inChannelMin);
    choosePosition (*inChannelMaxCombo, choices.inChannelMax);
    choosePosition (*inValue1MinCombo, choices.inValue1Min);
    choosePosition (*inValue1MaxCombo, choices.inValue1Max);
    choosePosition (*inValue2MinCombo, choices.inValue2Min);
    choosePosition (*inValue2MaxCombo, choices.inValue2Max);
    choosePosition (*outValue2MinCombo, choices.outValue2Min);
    choosePosition (*outValue2MaxCombo, choices.outValue2Max);
    choosePosition (*skipCombo, choices.skip);

    const std::pair<juce::ToggleButton*, bool> ticks[] = {
        { followChannelToggle.get(), choices.followChannel }, { followValue1Toggle.get(), choices.followValue1 },
        { followValue2Toggle.get(), choices.followValue2 }, { keepOriginalToggle.get(), choices.keepOriginal },
        { useInValue2Toggle.get(), choices.useInValue2 }, { useInValue1Toggle.get(), choices.useInValue1 },
        { invertValue1Toggle.get(), choices.invertValue1 }, { invertValue2Toggle.get(), choices.invertValue2 },
        { compressValue1Toggle.get(), choices.compressValue1 }, { compressValue2Toggle.get(), choices.compressValue2 }
    };

    for (auto [toggle, ticked] : ticks)
        toggle->setToggleState (ticked, juce::dontSendNotification);

    updateCurveValue1 (false, true);
    updateCurveValue2 (false, true);

    for (int port = 0; port < choices.inputSelected.size(); ++port)
        setInputSelected (port, choices.isInputSelected (port));

    showInputsDisabled (choices.disableInputs);
    updateControlsForStatus();
    updateValueLabels();

    // A record that arrives while the page may not be edited leaves it as locked as it was.
    if (! editingAllowed)
        updateEnablement (false);

    return validate();
}

int MapperObject::storeToRecord()
{
    if (device() == nullptr)
        return 0;

    updateControlsForStatus();
    updateValueLabels();

    auto& r = record();
    makeCodec().pack (getChoices(), r);

    if (positionOf (*outChannelCombo) >= 0)
        outputChannelToBeChosen = false;

    if (followChannelToggle->getToggleState())
        showFollowedChannelRange();
    else if (outputChannelToBeChosen)
        choosePosition (*outChannelCombo, -1);
    else if (transposeChannelToggle->getToggleState())
        choosePosition (*outChannelCombo, MapperRecordCodec::channelTransposePosition (r.cfg1));
    else
        choosePosition (*outChannelCombo, (int) ((r.cfg1 >> 24) & 0x0F));

    showInputsDisabled (MapperRecordCodec::hasNoInput (r));

    const int code = validate();

    if (code == MapperValidator::mapperAccepted)
        ownerMapper.scheduleMapperWrite();

    return code;
}

void MapperObject::showFollowedChannelRange()
{
    const auto cfg1 = record().cfg1;
    outChannelCombo->setText (juce::String::formatted ("%d-%d", (int) ((cfg1 >> 4) & 0x0F) + 1, (int) ((cfg1 >> 8) & 0x0F) + 1),
                              juce::dontSendNotification);
}

void MapperObject::showInputsDisabled (bool disabled)
{
    disableInputsToggle->setToggleState (disabled, juce::dontSendNotification);
    disableInputsToggle->setColour (juce::ToggleButton::textColourId, disabled ? juce::Colour (0xffff0000) : juce::Colours::white);
}

//==============================================================================
MapperChoices MapperObject::getChoices() const
{
    MapperChoices c;
    c.inStatus = positionOf (*inStatusCombo);
    c.inChannelMin = positionOf (*inChannelMinCombo);
    c.inChannelMax = positionOf (*inChannelMaxCombo);
    c.inValue1Min = positionOf (*inValue1MinCombo);
    c.inValue1Max = positionOf (*inValue1MaxCombo);
    c.inValue2Min = positionOf (*inValue2MinCombo);
    c.inValue2Max = positionOf (*inValue2MaxCombo);
    c.outStatus = positionOf (*outStatusCombo);
    c.outChannel = positionOf (*outChannelCombo);
    c.outValue1Min = positionOf (*outValue1MinCombo);
    c.outValue1Max = positionOf (*outValue1MaxCombo);
    c.outValue2Min = positionOf (*outValue2MinCombo);
    c.outValue2Max = positionOf (*outValue2MaxCombo);
    c.skip = positionOf (*skipCombo);
    c.userCurve1 = positionOf (*userCurve1Combo);
    c.userCurve2 = positionOf (*userCurve2Combo);

    c.keepOriginal = keepOriginalToggle->getToggleState();
    c.followChannel = followChannelToggle->getToggleState();
    c.transposeChannel = transposeChannelToggle->getToggleState();
    c.followValue1 = followValue1Toggle->getToggleState();
    c.followValue2 = followValue2Toggle->getToggleState();
    c.invertValue1 = invertValue1Toggle->getToggleState();
    c.invertValue2 = invertValue2Toggle->getToggleState();
    c.compressValue1 = compressValue1Toggle->getToggleState();
    c.compressValue2 = compressValue2Toggle->getToggleState();
    c.curveValue1 = curveValue1Toggle->getToggleState();
    c.curveValue2 = curveValue2Toggle->getToggleState();
    c.useInValue2 = useInValue2Toggle->getToggleState();
    c.useInValue1 = useInValue1Toggle->getToggleState();
    c.disableInputs = disableInputsToggle->getToggleState();

    // Enabled counts with every parent: a list on a disabled page is not asked for.
    c.inValue2MinEnabled = inValue2MinCombo->isEnabled();
    c.inValue2MaxEnabled = inValue2MaxCombo->isEnabled();
    c.outValue2MinEnabled = outValue2MinCombo->isEnabled();
    c.outValue2MaxEnabled = outValue2MaxCombo->isEnabled();

    if (auto* d = device())
    {
        const int ports = d->getNumUsbHostPorts() + d->getNumLocalPorts();
        c.inputSelected.resize (ports);

        for (int port = 0; port < ports; ++port)
            c.inputSelected.set (port, isInputSelected (port));
    }

    return c;
}

int MapperObject::validate()
{
    auto* d = device();

    if (d == nullptr)
        return 0;

    MapperValidator::Context context;
    context.hostFirmwareVersion = d->hostFirmwareVersion;
    context.numHostPorts = d->getNumUsbHostPorts();
    context.numLocalPorts = d->getNumLocalPorts();
    context.deviceMode = d->deviceMode;
    context.storedCfg1 = record().cfg1;
    context.channelFilters = d->filterChannels[d->currentPreset];
    context.statusFilters = d->filterStatus[d->currentPreset];
    context.numFilterEntries = MidiController::numFilterEntries;

    const auto result = MapperValidator (context).validate (getChoices());

    statusText->setText (result.text, false);
    statusText->applyColourToAllText (result.mapperOk ? juce::Colours::white : messageColour, true);
    return result.code;
}

bool MapperObject::hasEffect()
{
    auto* d = device();

    if (d == nullptr)
        return false;

    MapperValidator::Context context;
    context.hostFirmwareVersion = d->hostFirmwareVersion;
    context.storedCfg1 = record().cfg1;
    return MapperValidator (context).hasEffect (getChoices());
}

//==============================================================================
void MapperObject::updateControlsForStatus()
{
    using R = MapperStatusRules;
    const R rules (getChoices(), hostFirmware());

    const std::pair<juce::ComboBox*, R::Control> lists[] = {
        { inValue1MinCombo.get(), R::inValue1Min }, { inValue1MaxCombo.get(), R::inValue1Max },
        { inValue2MinCombo.get(), R::inValue2Min }, { inValue2MaxCombo.get(), R::inValue2Max },
        { outStatusCombo.get(), R::outStatus }, { outChannelCombo.get(), R::outChannel },
        { outValue1MinCombo.get(), R::outValue1Min }, { outValue1MaxCombo.get(), R::outValue1Max },
        { outValue2MinCombo.get(), R::outValue2Min }, { outValue2MaxCombo.get(), R::outValue2Max },
        { skipCombo.get(), R::skip }, { userCurve1Combo.get(), R::userCurve1 }, { userCurve2Combo.get(), R::userCurve2 }
    };

    const std::pair<juce::ToggleButton*, R::Control> toggles[] = {
        { keepOriginalToggle.get(), R::keepOriginal }, { useInValue2Toggle.get(), R::useInValue2 },
        { useInValue1Toggle.get(), R::useInValue1 }, { followChannelToggle.get(), R::followChannel },
        { followValue1Toggle.get(), R::followValue1 }, { followValue2Toggle.get(), R::followValue2 },
        { invertValue1Toggle.get(), R::invertValue1 }, { invertValue2Toggle.get(), R::invertValue2 },
        { compressValue1Toggle.get(), R::compressValue1 }, { compressValue2Toggle.get(), R::compressValue2 },
        { transposeChannelToggle.get(), R::transposeChannel }, { curveValue1Toggle.get(), R::curveValue1 },
        { curveValue2Toggle.get(), R::curveValue2 }
    };

    for (auto [list, control] : lists)
        applyState (*list, rules[control]);

    for (auto [toggle, control] : toggles)
        applyState (*toggle, rules[control]);

    skipLabel->setVisible (skipCombo->isVisible());

    if (rules.outStatusCleared)
        choosePosition (*outStatusCombo, -1);

    outStatusCombo->setTextWhenNothingSelected (TRANS (rules.outStatusPlaceholder));
}

void MapperObject::updateValueLabels()
{
    // Value 1 and value 2 of each input status, then what the output status adds.
    static const char* const inputNames[][2] = {
        { "Note", "Velocity" }, { "Note", "Velocity" }, { "Control", "Amount" }, { "Patch", "Not used" },
        { "Bend LSB", "Bend MSB" }, { "Pressure", "Not used" }, { "Note", "Pressure" }, { "Note -> Transpose", "Velocity" }
    };

    const int p = positionOf (*inStatusCombo);
    const int q = positionOf (*outStatusCombo);

    if (p == -1)
    {
        value1Group->setText ("Value 1");
        value2Group->setText ("Value 2");
    }
    else if (juce::isPositiveAndBelow (p, 8))
    {
        value1Group->setText (inputNames[p][0]);
        value2Group->setText (inputNames[p][1]);
    }

    if (juce::isPositiveAndBelow (q, 7))
    {
        value1Group->setText (value1Group->getText() + " -> " + inputNames[q][0]);
        value2Group->setText (value2Group->getText() + " -> " + inputNames[q][1]);
    }
}

void MapperObject::updateOutputValueChoices (bool fromRecord)
{
    const auto& r = record();
    const bool transpose = fromRecord ? (r.cfg1 & 0x0F) == MapperRecordCodec::positionNotesTranspose
                                      : positionOf (*inStatusCombo) == MapperRecordCodec::positionNotesTranspose;

    if (fromRecord && transpose)
        choosePosition (*inStatusCombo, MapperRecordCodec::positionNotesTranspose);

    const int storedMin = (int) ((r.outVal1Val2 >> 16) & 0xFF);
    const int storedMax = (int) ((r.outVal1Val2 >> 24) & 0xFF);

    if (transpose)
    {
        outValue1MinLabel->setText (TRANS ("Octave"), juce::dontSendNotification);
        outValue1MaxLabel->setText (TRANS ("Semitone"), juce::dontSendNotification);
        choosePosition (*outStatusCombo, -1);
        outStatusCombo->setTextWhenNothingSelected (TRANS ("Transposed Notes"));
        outStatusCombo->setEnabled (false);
        fillList (*outValue1MinCombo, numbers (-4, 4, true));
        fillList (*outValue1MaxCombo, numbers (-48, 48, true));
        choosePosition (*outValue1MinCombo, fromRecord ? storedMin : 4);
        choosePosition (*outValue1MaxCombo, fromRecord ? storedMax : 48);
    }
    else
    {
        outValue1MinLabel->setText (TRANS ("Min"), juce::dontSendNotification);
        outValue1MaxLabel->setText (TRANS ("Max"), juce::dontSendNotification);
        outStatusCombo->setTextWhenNothingSelected (TRANS ("Select..."));
        outStatusCombo->setEnabled (true);
        fillList (*outValue1MinCombo, numbers (0, numValues - 1));
        fillList (*outValue1MaxCombo, numbers (0, numValues - 1));
        choosePosition (*outValue1MinCombo, fromRecord ? storedMin : 0);
        choosePosition (*outValue1MaxCombo, fromRecord ? storedMax : numValues - 1);
    }
}

void MapperObject::setTransposeChannel (bool clicked, bool fromRecord)
{
    auto& cfg1 = record().cfg1;
    constexpr juce::uint32 channelBits = 0x0F000000u, transposeBit = 1u << 29;

    const bool transpose = fromRecord ? (cfg1 & transposeBit) != 0
                         : clicked    ? transposeChannelToggle->getToggleState()
                                      : transposeChannelToggle->getToggleState() && ! followChannelToggle->getToggleState();

    transposeChannelToggle->setToggleState (transpose, juce::dontSendNotification);
    outChannelCombo->setTextWhenNothingSelected (TRANS ("Select..."));
    outputChannelToBeChosen = clicked;

    if (transpose)
    {
        followChannelToggle->setToggleState (false, juce::dontSendNotification);
        fillList (*outChannelCombo, descending (15, -15));

        if (clicked)
            cfg1 &= ~channelBits;

        choosePosition (*outChannelCombo, fromRecord ? MapperRecordCodec::channelTransposePosition (cfg1) : -1);
    }
    else
    {
        fillList (*outChannelCombo, numbers (1, numChannels));

        if (clicked)
            cfg1 &= ~(channelBits | transposeBit);

        choosePosition (*outChannelCombo, fromRecord ? (int) ((cfg1 >> 24) & 0x0F) : -1);
    }
}

void MapperObject::updateCurveValue1 (bool clicked, bool fromRecord)   { updateCurve (1, clicked, fromRecord); }
void MapperObject::updateCurveValue2 (bool clicked, bool fromRecord)   { updateCurve (2, clicked, fromRecord); }

void MapperObject::updateCurve (int value, bool clicked, bool fromRecord)
{
    const bool first = value == 1;
    auto& curveToggle = first ? *curveValue1Toggle : *curveValue2Toggle;
    auto& curveList = first ? *userCurve1Combo : *userCurve2Combo;
    auto& curveLabel = first ? *userCurve1Label : *userCurve2Label;
    auto& followToggle = first ? *followValue1Toggle : *followValue2Toggle;
    auto& minList = first ? *outValue1MinCombo : *outValue2MinCombo;
    auto& maxList = first ? *outValue1MaxCombo : *outValue2MaxCombo;
    juce::Component& minLabel = first ? *outValue1MinLabel : *rangeLabels[6];
    juce::Component& maxLabel = first ? *outValue1MaxLabel : *rangeLabels[7];

    const auto cfg2 = record().cfg2;
    const int curveBit = first ? 16 : 20, followBit = first ? 1 : 2, curveShift = first ? 17 : 21;

    const bool on = fromRecord ? ((cfg2 >> curveBit) & 1u) != 0 && ((cfg2 >> followBit) & 1u) == 0
                                   && MapperFirmwareGates::isOpen (MapperFirmwareGates::curveValue1, hostFirmware())
                  : clicked && curveToggle.getToggleState();

    curveToggle.setToggleState (on, juce::dontSendNotification);
    choosePosition (curveList, (int) ((cfg2 >> curveShift) & 0x03));

    for (juce::Component* output : { (juce::Component*) &minList, (juce::Component*) &maxList, &minLabel, &maxLabel })
        output->setVisible (! on);

    curveLabel.setVisible (on);
    curveList.setVisible (on);

    if (on)
        followToggle.setToggleState (false, juce::dontSendNotification);

    // The curve on value 2 takes the place of following the input.
    if (! first)
        followToggle.setEnabled (! on);
}

//==============================================================================
int MapperObject::applyFollowValue1()
{
    if (followValue1Toggle->getToggleState())
    {
        const bool fromValue2 = useInValue2Toggle->getToggleState();
        choosePosition (*outValue1MinCombo, positionOf (fromValue2 ? *inValue2MinCombo : *inValue1MinCombo));
        choosePosition (*outValue1MaxCombo, positionOf (fromValue2 ? *inValue2MaxCombo : *inValue1MaxCombo));
    }

    return storeToRecord();
}

int MapperObject::applyFollowValue2()
{
    if (followValue2Toggle->getToggleState())
    {
        const bool fromValue1 = useInValue1Toggle->getToggleState();
        choosePosition (*outValue2MinCombo, positionOf (fromValue1 ? *inValue1MinCombo : *inValue2MinCombo));
        choosePosition (*outValue2MaxCombo, positionOf (fromValue1 ? *inValue1MaxCombo : *inValue2MaxCombo));
    }

    return storeToRecord();
}

void MapperObject::applyFollows (bool value2First)
{
    if (value2First)
    {
        applyFollowValue2();
        applyFollowValue1();
    }
    else
    {
        applyFollowValue1();
        applyFollowValue2();
    }
}

//==============================================================================
bool MapperObject::isInputSelected (int port) const
{
    if (inputPortCombo == nullptr)
        return false;

    for (juce::PopupMenu::MenuItemIterator it (*inputPortCombo->getRootMenu()); it.next();)
        if (it.getItem().itemID == port + 1)
            return it.getItem().colour == selectedInputColour;

    return false;
}

void MapperObject::setInputSelected (int port, bool selected)
{
    if (inputPortCombo == nullptr)
        return;

    for (juce::PopupMenu::MenuItemIterator it (*inputPortCombo->getRootMenu()); it.next();)
        if (it.getItem().itemID == port + 1)
            it.getItem().colour = selected ? selectedInputColour : unselectedInputColour;

    updateInputSelectionText();
}

void MapperObject::updateInputSelectionText()
{
    if (inputPortCombo == nullptr)
        return;

    int selected = 0;

    for (juce::PopupMenu::MenuItemIterator it (*inputPortCombo->getRootMenu()); it.next();)
        if (it.getItem().itemID != 0 && it.getItem().colour == selectedInputColour)
            ++selected;

    inputPortCombo->setTextWhenNothingSelected (selected == 0 ? TRANS ("Select USB / MIDI input to map")
                                              : selected == 1 ? juce::String::formatted ("%d selected input", selected)
                                                              : juce::String::formatted ("%d selected inputs", selected));
    inputPortCombo->setSelectedId (0, juce::dontSendNotification);
}

void MapperObject::renameInput (int port)
{
    auto* d = device();

    if (d == nullptr || inputPortCombo == nullptr || inputPortCombo->getNumItems() == 0)
        return;

    juce::String unusedTooltip;
    UnavailablePortMenuItem::renameItem (*inputPortCombo, port + 1,
                                         d->getPortName (port, "In", &unusedTooltip, true, false, true, true, true, true));
}

void MapperObject::updateHostPortName (int slot)
{
    if (auto* d = device())
        if (juce::isPositiveAndBelow (slot, d->getNumUsbHostPorts()))
            renameInput (slot);
}

void MapperObject::updatePortName (int port)
{
    if (auto* d = device(); d != nullptr && inputPortCombo != nullptr)
        if (juce::isPositiveAndBelow (port, juce::jmin (inputPortCombo->getNumItems(), d->getNumUsbHostPorts() + d->getNumLocalPorts())))
            renameInput (port);
}

//==============================================================================
void MapperObject::updateEnablement (bool allowed)
{
    editingAllowed = allowed;
    const float firmware = hostFirmware();
    using Gates = MapperFirmwareGates;

    for (juce::Component* control : { (juce::Component*) inputPortCombo.get(), (juce::Component*) inValue1MinCombo.get(),
                                      (juce::Component*) inValue1MaxCombo.get(), (juce::Component*) inChannelMinCombo.get(),
                                      (juce::Component*) inChannelMaxCombo.get(), (juce::Component*) followChannelToggle.get(),
                                      (juce::Component*) followValue1Toggle.get(), (juce::Component*) followValue2Toggle.get(),
                                      (juce::Component*) useInValue2Toggle.get(), (juce::Component*) useInValue1Toggle.get() })
        if (control != nullptr)
            control->setEnabled (allowed);

    keepOriginalToggle->setEnabled (allowed && Gates::isOpen (Gates::keepOriginal, firmware));
    transposeChannelToggle->setEnabled (allowed && Gates::isOpen (Gates::transposeChannel, firmware));
    compressValue1Toggle->setEnabled (allowed && Gates::isOpen (Gates::compressValue1, firmware));
    compressValue2Toggle->setEnabled (allowed && Gates::isOpen (Gates::compressValue2, firmware));

    for (juce::Component* curve : { (juce::Component*) curveValue1Toggle.get(), (juce::Component*) curveValue2Toggle.get(),
                                    (juce::Component*) userCurve1Combo.get(), (juce::Component*) userCurve2Combo.get() })
        curve->setEnabled (allowed && Gates::isOpen (Gates::curveValue1, firmware));

    if (! allowed)
    {
        for (auto* list : { inValue2MinCombo.get(), inValue2MaxCombo.get(), outChannelCombo.get(), outValue1MinCombo.get(),
                            outValue1MaxCombo.get(), outValue2MinCombo.get(), outValue2MaxCombo.get() })
            list->setEnabled (false);

        return;
    }

    updateControlsForStatus();
    updateValueLabels();
}

//==============================================================================
void MapperObject::disableAllInputs()
{
    auto& r = record();
    r.cfg3 = 0;
    r.cfg4 = 0;
    loadFromRecord();
    ownerMapper.scheduleMapperWrite();
}

void MapperObject::comboBoxChanged (juce::ComboBox* list)
{
    if (device() == nullptr)
        return;

    if (list == inputPortCombo.get())
    {
        const int port = list->getSelectedId() - 1;

        if (port >= 0 && makeCodec().isInputStorable (port))
            setInputSelected (port, ! isInputSelected (port));
        else
            updateInputSelectionText();

        storeToRecord();
    }
    else if (list == inStatusCombo.get())
    {
        updateOutputValueChoices (false);
        storeToRecord();
    }
    else if (list == inValue1MinCombo.get() || list == inValue1MaxCombo.get())
    {
        applyFollows (false);
    }
    else if (list == inValue2MinCombo.get() || list == inValue2MaxCombo.get())
    {
        applyFollows (true);
    }
    else
    {
        storeToRecord();
    }
}

void MapperObject::buttonClicked (juce::Button* button)
{
    if (device() == nullptr)
        return;

    if (button == disableInputsToggle.get())
    {
        disableAllInputs();
        validate();
    }
    else if (button == useInValue2Toggle.get() || button == invertValue1Toggle.get()
             || button == compressValue1Toggle.get() || button == compressValue2Toggle.get())
    {
        applyFollows (false);
    }
    else if (button == useInValue1Toggle.get() || button == invertValue2Toggle.get())
    {
        applyFollows (true);
    }
    else if (button == followValue1Toggle.get())
    {
        updateCurveValue1 (false, false);
        applyFollows (false);
    }
    else if (button == followValue2Toggle.get())
    {
        updateCurveValue2 (false, false);
        applyFollows (true);
    }
    else if (button == curveValue1Toggle.get())
    {
        updateCurveValue1 (true, false);
        applyFollows (false);
    }
    else if (button == curveValue2Toggle.get())
    {
        updateCurveValue2 (true, false);
        applyFollows (false);
    }
    else if (button == followChannelToggle.get())
    {
        setTransposeChannel (false, false);
        storeToRecord();
    }
    else if (button == transposeChannelToggle.get())
    {
        setTransposeChannel (true, false);
        storeToRecord();
    }
    else if (button == keepOriginalToggle.get())
    {
        storeToRecord();
    }
}

void MapperObject::visibilityChanged()
{
    if (isShowing())
        validate();
}

//==============================================================================
void MapperObject::paint (juce::Graphics& g)
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    g.fillAll (backgroundColour);

    // Arrows from each input list down to its output list.
    for (auto x : { 0.1125, 0.34, 0.585, 0.845 })
    {
        const auto& image = decorationImages[0];

        if (image.isValid())
            g.drawImageWithin (image, scaled (w, x), scaled (h, 0.5601), 16, 16,
                               juce::RectanglePlacement::centred | juce::RectanglePlacement::onlyReduceInSize);
    }

    // Rules under the titles, each title on a box that interrupts its rule.
    const int topRule = scaled (h, 0.0411);
    const int configRule = scaled (h, 0.25);
    g.setColour (coral);
    g.fillRect (0, topRule, w, 1);
    g.fillRect (0, configRule, w, 1);

    const auto drawTitle = [&] (const juce::String& title, int x, int ruleY, int width)
    {
        const juce::Rectangle<int> box (x, ruleY - 12, width, 24);
        g.setColour (backgroundColour);
        g.fillRect (box);
        g.setColour (coral);
        g.setFont (juce::Font (15.0f, juce::Font::plain).withTypefaceStyle ("Regular"));
        g.drawText (TRANS (title), box, juce::Justification::centred, true);
    };

    drawTitle ("Inputs", scaled (w, 0.0175), topRule, 68);
    drawTitle ("Mapper Status", scaled (w, 0.7365) - 60, topRule, 120);
    drawTitle ("Config", scaled (w, 0.0175), configRule, 68);
}

void MapperObject::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    const auto centred = [&] (juce::Component* c, double centreX, double top, double width, double height)
    {
        const int cw = scaled (w, width);
        c->setBounds (scaled (w, centreX) - cw / 2, scaled (h, top), cw, scaled (h, height));
    };

    disableInputsToggle->setBounds (scaled (w, 0.0275), scaled (h, 0.1139), scaled (w, 0.145), scaled (h, 0.076));

    if (inputPortCombo != nullptr)
        inputPortCombo->setBounds (disableInputsToggle->getRight() + 8, disableInputsToggle->getY(), scaled (w, 0.275),
                                   scaled (h, 0.07594936));

    statusText->setBounds (scaled (w, 0.48), scaled (h, 0.1598) - scaled (h, 0.1487) / 2, scaled (w, 0.5125), scaled (h, 0.1487));

    centred (messageGroup.get(), 0.125, 0.3101, 0.21, 0.6835);
    centred (channelGroup.get(), 0.3488, 0.3101, 0.2225, 0.6835);
    centred (value1Group.get(), 0.595, 0.3101, 0.255, 0.6835);
    centred (value2Group.get(), 0.855, 0.3101, 0.25, 0.6835);

    constexpr double inputRow = 0.4399, outputRow = 0.6614, rowHeight = 0.076;
    constexpr double inputCaptions = 0.3766, outputCaptions = 0.5981, captionHeight = 0.0633;

    centred (inStatusCombo.get(), 0.1237, inputRow, 0.18, rowHeight);
    centred (inChannelMinCombo.get(), 0.2963, inputRow, 0.09, rowHeight);
    centred (inChannelMaxCombo.get(), 0.4012, inputRow, 0.09, rowHeight);
    centred (inValue1MinCombo.get(), 0.535, inputRow, 0.1, rowHeight);
    centred (inValue1MaxCombo.get(), 0.6525, inputRow, 0.1, rowHeight);
    centred (inValue2MinCombo.get(), 0.7963, inputRow, 0.1, rowHeight);
    centred (inValue2MaxCombo.get(), 0.9125, inputRow, 0.1, rowHeight);

    centred (outStatusCombo.get(), 0.125, outputRow, 0.18, rowHeight);
    centred (outChannelCombo.get(), 0.3488, outputRow, 0.19, rowHeight);
    centred (outValue1MinCombo.get(), 0.535, outputRow, 0.1, rowHeight);
    centred (outValue1MaxCombo.get(), 0.6525, outputRow, 0.1, rowHeight);
    centred (outValue2MinCombo.get(), 0.7963, outputRow, 0.1, rowHeight);
    centred (outValue2MaxCombo.get(), 0.9125, outputRow, 0.1, rowHeight);

    // The user curves take the places of the output value lists they replace.
    centred (userCurve1Label.get(), 0.535, outputRow, 0.1, rowHeight);
    centred (userCurve1Combo.get(), 0.6525, outputRow, 0.1, rowHeight);
    centred (userCurve2Label.get(), 0.7963, outputRow, 0.1, rowHeight);
    centred (userCurve2Combo.get(), 0.9125, outputRow, 0.1, rowHeight);

    // "Min" and "Max" over the input channel, input value 1, input value 2 and output value 2 lists.
    const double captionCentres[] = { 0.2963, 0.4012, 0.535, 0.6525, 0.7963, 0.9125, 0.7963, 0.9125 };

    for (int i = 0; i < rangeLabels.size(); ++i)
        centred (rangeLabels[i], captionCentres[i], i < 6 ? inputCaptions : outputCaptions, i < 2 ? 0.09 : 0.1, captionHeight);

    centred (outValue1MinLabel.get(), 0.535, outputCaptions, 0.1, captionHeight);
    centred (outValue1MaxLabel.get(), 0.6525, outputCaptions, 0.1, captionHeight);

    const int rows[] = { scaled (h, 0.769), scaled (h, 0.8323), scaled (h, 0.8956) };
    const auto place = [&] (juce::Component* c, double left, int row, double width)
    {
        c->setBounds (scaled (w, left), rows[row], scaled (w, width), 18);
    };

    place (keepOriginalToggle.get(), 0.035, 0, 0.1625);
    place (followChannelToggle.get(), 0.2575, 0, 0.0775);
    place (transposeChannelToggle.get(), 0.2575, 1, 0.17);

    for (int value = 0; value < 2; ++value)
    {
        const double left = value == 0 ? 0.4888 : 0.7488;
        place (value == 0 ? followValue1Toggle.get() : followValue2Toggle.get(), left, 0, 0.0775);
        place (value == 0 ? invertValue1Toggle.get() : invertValue2Toggle.get(), left + 0.0775, 0, 0.0725);
        place (value == 0 ? curveValue1Toggle.get() : curveValue2Toggle.get(), left + 0.15, 0, 0.0725);
        place (value == 0 ? useInValue2Toggle.get() : useInValue1Toggle.get(), left, 1, 0.2);
        place (value == 0 ? compressValue1Toggle.get() : compressValue2Toggle.get(), left, 2, 0.2);
    }

    skipLabel->setBounds (scaled (w, 0.035), scaled (h, 0.8323), scaled (w, 0.09), scaled (h, 0.1));
    skipCombo->setBounds (scaled (w, 0.125), scaled (h, 0.845), scaled (w, 0.095), scaled (h, rowHeight));

    for (auto* c : getChildren())
        if (dynamic_cast<juce::ComboBox*> (c) != nullptr || c == disableInputsToggle.get())
            LayoutRules::clampControlHeight (*c);

    // The status text follows the window's size, within readable limits.
    if (auto* d = device(); d != nullptr && d->baseContentHeight > 1.0f)
    {
        if (auto* main = ownerMapper.findParentComponentOfClass<MainComponent>())
        {
            const float height = juce::jlimit (11.0f, statusFontHeight, statusFontHeight * (float) main->getHeight() / d->baseContentHeight);
            statusText->applyFontToAllText (juce::Font (height), true);
        }
    }
}
