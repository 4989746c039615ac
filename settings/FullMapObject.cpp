#include "settings/FullMapObject.h"
#include "settings/FullMap.h"
#include "settings/FullMapLayout.h"
#include "settings/FullMapMapperTexts.h"
#include "settings/FullMapRowTexts.h"
#include "app/LayoutRules.h"

#include <optional>

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

namespace
{
    const juce::Colour accent (0xffff7f50);
    const juce::Colour caption (0xffc0c0c0);
    const juce::Colour panel (0xff323e44);
    const juce::Colour mapperNumber (0xffeb663e);
    constexpr int mapperLine1 = 43, mapperLine2 = 62, mapperLabelHeight = 24;

    void style (juce::Label& label, float fontHeight, juce::Justification justification,
                std::optional<juce::Colour> textColour = {})
    {
        label.setFont (juce::Font (fontHeight));
        label.setJustificationType (justification);
        label.setEditable (false, false, false);

        if (textColour.has_value())
            label.setColour (juce::Label::textColourId, *textColour);
    }

    /** A simple padlock for builds without the tool's images: a body and a shackle, closed or open. */
    juce::Image drawPadlock (bool locked)
    {
        juce::Image image (juce::Image::ARGB, 64, 64, true);
        juce::Graphics g (image);
        g.setColour (locked ? juce::Colour (0xffeb663e) : juce::Colour (0xffa0a0a0));
        g.fillRoundedRectangle (10.0f, 28.0f, 44.0f, 32.0f, 4.0f);

        juce::Path shackle;
        const float right = locked ? 44.0f : 58.0f;
        shackle.startNewSubPath (20.0f, 28.0f);
        shackle.lineTo (20.0f, 18.0f);
        shackle.cubicTo (20.0f, 6.0f, right, 6.0f, right, 18.0f);
        shackle.lineTo (right, locked ? 28.0f : 22.0f);
        g.strokePath (shackle, juce::PathStrokeType (6.0f));
        return image;
    }

    juce::Image getPadlockImage (bool locked)
    {
       #if PELLION_HAS_RESOURCES
        auto image = locked ? juce::ImageCache::getFromMemory (BinaryData::locked_png, BinaryData::locked_pngSize)
                            : juce::ImageCache::getFromMemory (BinaryData::unlocked_png, BinaryData::unlocked_pngSize);

        if (image.isValid())
            return image;
       #endif

        return drawPadlock (locked);
    }
}

//==============================================================================
FullMapObject::MapperLabels::MapperLabels()
{
    const auto line1 = juce::Justification::centredLeft;
    style (number, 13.5f, line1, mapperNumber);
    style (source, 13.0f, line1, caption);
    style (destination, 13.0f, line1, caption);
    style (skip, 10.5f, juce::Justification::centred, caption);

    for (auto* value : { &inStatus, &inChannel, &inValue1, &inValue2, &outStatus, &outChannel, &outValue1, &outValue2 })
        style (*value, 13.0f, juce::Justification::centred);

    source.setText ("Src", juce::dontSendNotification);
    destination.setText ("Dest", juce::dontSendNotification);
}

std::array<juce::Label*, 12> FullMapObject::MapperLabels::all()
{
    return { &number, &source, &inStatus, &inChannel, &inValue1, &inValue2,
             &skip, &destination, &outStatus, &outChannel, &outValue1, &outValue2 };
}

//==============================================================================
FullMapObject::FullMapObject (FullMapList* owner, int port) : portIndex (port), list (owner)
{
    for (auto* group : { &mappersGroup, &inputFiltersGroup, &outputFiltersGroup })
        group->setColour (juce::GroupComponent::textColourId, accent);

    inputFiltersGroup.setColour (juce::GroupComponent::outlineColourId, juce::Colour (0xff8e989b));

    for (auto* label : { &inputChannelsCaption, &inputMessagesCaption, &outputChannelsCaption, &outputMessagesCaption,
                         &statusHeader, &channelHeader, &value1Header, &value2Header })
        style (*label, 14.0f, juce::Justification::centredLeft, caption);

    for (auto* channels : { &inputChannelList, &outputChannelList })
        style (*channels, 13.5f, juce::Justification::centred);

    for (auto* messages : { &inputMessageList, &outputMessageList })
        style (*messages, 13.5f, juce::Justification::centredTop);

    style (noMapperLabel, 13.5f, juce::Justification::centred);
    noMapperLabel.setColour (juce::Label::backgroundColourId, panel);

    for (auto* name : { &inputName, &outputName })
    {
        style (*name, 15.0f, juce::Justification::centred, juce::Colours::white);
        name->setColour (juce::Label::backgroundColourId, panel);
        name->setColour (juce::Label::outlineColourId, juce::Colour (0xfff0f8ff));
    }

    for (auto* label : { &sync24SourceLabel, &sync24OutputLabel, &trsLabel })
        style (*label, 13.0f, juce::Justification::centredTop, accent);

    sync24SourceLabel.setTooltip ("This input is configured as the MIDI source that will trigger Sync-24 signals\n");
    sync24OutputLabel.setTooltip ("This MIDI Output is configured as a Sync-24 Output\n");

    for (auto* button : { &inputHighlightButton, &outputHighlightButton })
    {
        button->setButtonText ({});
        button->setColour (juce::TextButton::buttonColourId, juce::Colour (0x00a45c94));
        button->addListener (this);
    }

    const std::initializer_list<juce::Component*> shownChildren {
        &mappersGroup, &inputFiltersGroup, &inputChannelsCaption, &inputName, &inputMessagesCaption,
        &inputChannelList, &inputMessageList, &statusHeader, &channelHeader, &value1Header, &value2Header,
        &noMapperLabel, &outputFiltersGroup, &outputChannelsCaption, &outputMessagesCaption, &outputChannelList,
        &outputMessageList, &outputName, &inputHighlightButton, &outputHighlightButton, &sync24SourceLabel,
        &sync24OutputLabel, &trsLabel
    };

    for (auto* child : shownChildren)
        addAndMakeVisible (child);

    for (auto* padlock : { &inputPadlock, &outputPadlock })
    {
        setPadlock (*padlock, false);
        addChildComponent (padlock);
    }

    setName ("FullMapObject");
    setSize (1120, FullMapLayout::minRowHeight);
}

FullMapObject::~FullMapObject()
{
    inputHighlightButton.removeListener (this);
    outputHighlightButton.removeListener (this);
}

//==============================================================================
MainComponent* FullMapObject::getMainComponent() const
{
    return list != nullptr && list->fullMap != nullptr ? list->fullMap->getMainComponent() : nullptr;
}

void FullMapObject::refreshAll()
{
    showPortName (inputName, inputHighlightButton, "\nIn");
    showPortName (outputName, outputHighlightButton, "\nOut");
    refreshReservationIcons();
    refreshTrsType();
    refreshInputFilters();
    refreshOutputFilters();
    refreshMappers();
    repaint();
}

void FullMapObject::refreshInputName()
{
    showPortName (inputName, inputHighlightButton, "\nIn");
    repaint();
}

void FullMapObject::refreshOutputName()
{
    showPortName (outputName, outputHighlightButton, "\nOut");
    repaint();
}

void FullMapObject::showPortName (juce::Label& name, juce::Button& highlightButton, const juce::String& direction)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    // The name as every editor shows it: absent wireless module marked, cable and instance of a
    // host-slot device appended, a custom name first.
    juce::String tooltip;
    name.setText (device->getPortName (portIndex, direction, &tooltip, true, false, true, true, true, true),
                  juce::dontSendNotification);
    highlightButton.setTooltip (tooltip + "\n\n" + TRANS ("Click to highlight routing"));
}

void FullMapObject::refreshInputFilters()
{
    showFilters (false, inputChannelList, inputMessageList);
}

void FullMapObject::refreshOutputFilters()
{
    showFilters (true, outputChannelList, outputMessageList);
}

void FullMapObject::showFilters (bool output, juce::Label& channels, juce::Label& messages)
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto texts = FullMapRowTexts::describeFilters (*device, portIndex, output);
    channels.setText (texts.channels, juce::dontSendNotification);
    messages.setText (texts.messages, juce::dontSendNotification);
}

bool FullMapObject::usesPortInMapper (int mapperIndex) const
{
    auto* device = MidiController::getInstance();
    return device != nullptr && FullMapRowTexts::usesPortInMapper (*device, mapperIndex, portIndex);
}

void FullMapObject::refreshMappers()
{
    auto* device = MidiController::getInstance();
    shownMappers.clearQuick();

    if (device != nullptr)
    {
        const int preset = device->currentPreset % MidiController::numPresetRows;

        for (int mapper = 0; mapper < juce::jmin (device->getNumMappers(), numMapperSlots); ++mapper)
        {
            if (! usesPortInMapper (mapper))
                continue;

            auto& labels = mapperLabels[(size_t) mapper];

            if (labels == nullptr)
            {
                labels = std::make_unique<MapperLabels>();

                for (auto* label : labels->all())
                    addChildComponent (label);
            }

            const auto texts = FullMapMapperTexts::describe (*device, mapper, device->mapperRecords[preset][mapper]);
            labels->number.setText (texts.number, juce::dontSendNotification);
            labels->inStatus.setText (texts.inStatus, juce::dontSendNotification);
            labels->inChannel.setText (texts.inChannel, juce::dontSendNotification);
            labels->inValue1.setText (texts.inValue1, juce::dontSendNotification);
            labels->inValue2.setText (texts.inValue2, juce::dontSendNotification);
            labels->outStatus.setText (texts.outStatus, juce::dontSendNotification);
            labels->outChannel.setText (texts.outChannel, juce::dontSendNotification);
            labels->outValue1.setText (texts.outValue1, juce::dontSendNotification);
            labels->outValue2.setText (texts.outValue2, juce::dontSendNotification);
            labels->skip.setText (texts.skip, juce::dontSendNotification);

            for (auto* label : labels->all())
                label->setVisible (label != &labels->skip || texts.skipShown);

            shownMappers.add (mapper);
        }
    }

    // Mappers that no longer take this port keep their labels, hidden, for the next time.
    for (int mapper = 0; mapper < numMapperSlots; ++mapper)
        if (mapperLabels[(size_t) mapper] != nullptr && ! shownMappers.contains (mapper))
            for (auto* label : mapperLabels[(size_t) mapper]->all())
                label->setVisible (false);

    shownMapperCount = shownMappers.size();

    const bool anyShown = shownMapperCount > 0;
    noMapperLabel.setVisible (! anyShown);

    for (auto* header : { &statusHeader, &channelHeader, &value1Header, &value2Header })
        header->setVisible (anyShown);

    layoutMapperLabels();
    mappersGroup.setSize (mappersGroup.getWidth(), FullMapLayout::getMapperBoxHeight (shownMapperCount));

    if (list != nullptr)
        list->setRowHeight (FullMapLayout::getRowHeight (shownMapperCount), portIndex);
    else
        setSize (getWidth(), FullMapLayout::getRowHeight (shownMapperCount));
}

FullMapObject::MapperLabels* FullMapObject::getShownMapperLabels (int mapperIndex) const
{
    return shownMappers.contains (mapperIndex) ? mapperLabels[(size_t) mapperIndex].get() : nullptr;
}

void FullMapObject::refreshReservationIcons()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const bool hostSlot = portIndex < device->getNumUsbHostPorts();

    if (hostSlot)
    {
        setPadlock (inputPadlock, FullMapRowTexts::isHostSlotReserved (*device, portIndex, false));
        setPadlock (outputPadlock, FullMapRowTexts::isHostSlotReserved (*device, portIndex, true));
    }

    inputPadlock.setVisible (hostSlot);
    outputPadlock.setVisible (hostSlot);
}

void FullMapObject::setPadlock (juce::ImageButton& padlock, bool locked)
{
    if (padlock.getProperties()["locked"].equals (locked) && padlock.getNormalImage().isValid())
        return;

    const auto image = getPadlockImage (locked);
    padlock.setImages (false, true, true,
                       image, 1.0f, juce::Colours::transparentBlack,
                       image, 1.0f, juce::Colours::transparentBlack,
                       image, 1.0f, juce::Colours::transparentBlack);
    padlock.getProperties().set ("locked", locked);
}

bool FullMapObject::isPadlockLocked (const juce::ImageButton& padlock)
{
    return (bool) padlock.getProperties()["locked"];
}

void FullMapObject::refreshTrsType()
{
    trsLabel.setVisible (false);
    sync24SourceLabel.setVisible (false);
    sync24OutputLabel.setVisible (false);

    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    const auto text = FullMapRowTexts::describeTrsType (*device, portIndex);

    if (text.isNotEmpty())
    {
        trsLabel.setText (text, juce::dontSendNotification);
        trsLabel.setVisible (true);
    }
}

void FullMapObject::setInputNameColour (juce::Colour colour)
{
    inputName.setColour (juce::Label::textColourId, colour);
}

void FullMapObject::setOutputNameColour (juce::Colour colour)
{
    outputName.setColour (juce::Label::textColourId, colour);
}

void FullMapObject::buttonClicked (juce::Button* button)
{
    if (list == nullptr)
        return;

    if (button == &inputHighlightButton)
        list->toggleInputHighlight (portIndex);
    else if (button == &outputHighlightButton)
        list->toggleOutputHighlight (portIndex);
}

//==============================================================================
void FullMapObject::paint (juce::Graphics& g)
{
    const int w = getWidth();
    auto R = [w] (double fraction) { return LayoutRules::scaled (w, fraction); };

    // The joints between the name and its input filter box, the input and mapper boxes, and the
    // output filter box and its name.
    g.setColour (accent);
    g.fillRect (R (0.0884) - R (0.0214), 91, R (0.0214), 2);
    g.fillRect (R (0.3161) - R (0.0214) / 2, 92, R (0.0214), 2);
    g.fillRect (R (0.9), 92, R (0.0214), 2);
}

void FullMapObject::resized()
{
    const int w = getWidth();
    auto R = [w] (double fraction) { return LayoutRules::scaled (w, fraction); };
    const int boxHeight = FullMapLayout::getMapperBoxHeight (shownMapperCount);

    mappersGroup.setBounds (R (0.4496) - R (0.2491) / 2, 8, R (0.2491), boxHeight);
    inputFiltersGroup.setBounds (R (0.1973) - R (0.2214) / 2, 8, R (0.2214), 160);
    inputChannelsCaption.setBounds (R (0.196) - 35, 26, 71, 24);
    inputName.setBounds (R (0.0063), 68, R (0.0598), 48);
    inputMessagesCaption.setBounds (R (0.196) - 35, 70, 71, 24);
    inputChannelList.setBounds (R (0.196) - R (0.2152) / 2, 44, R (0.2152), 28);
    inputMessageList.setBounds (R (0.1964) - R (0.2071) / 2, 98, R (0.2071), 64);
    statusHeader.setBounds (R (0.3777), 24, 48, 24);
    channelHeader.setBounds (R (0.4205), 24, 56, 24);
    value1Header.setBounds (R (0.4705), 24, 56, 24);
    value2Header.setBounds (R (0.5196), 24, 56, 24);
    noMapperLabel.setBounds (R (0.45) - R (0.2357) / 2, 27, R (0.2357), 52);
    outputFiltersGroup.setBounds (R (0.7911) - R (0.2214) / 2, 8, R (0.2214), 160);
    outputChannelsCaption.setBounds (R (0.7915) - 35, 26, 71, 24);
    outputMessagesCaption.setBounds (R (0.7915) - 35, 70, 71, 24);
    outputChannelList.setBounds (R (0.7906) - R (0.2152) / 2, 44, R (0.2152), 28);
    outputMessageList.setBounds (R (0.7902) - R (0.2071) / 2, 98, R (0.2071), 64);
    outputName.setBounds (R (0.9812) - R (0.0598), 68, R (0.0598), 48);
    inputHighlightButton.setBounds (R (0.0063), 68, R (0.0571), 48);
    outputHighlightButton.setBounds (R (0.9786) - R (0.0571), 68, R (0.0571), 48);
    sync24SourceLabel.setBounds (R (0.0054), 120, R (0.0634), 40);
    sync24OutputLabel.setBounds (R (0.983) - R (0.0634), 120, R (0.0634), 40);
    trsLabel.setBounds (R (0.983) - R (0.0634), 120, R (0.0634), 40);
    inputPadlock.setBounds (R (0.0786) - 7, 72, 14, 16);
    outputPadlock.setBounds (R (0.9107) - 7, 72, 14, 16);

    layoutMapperLabels();
}

void FullMapObject::layoutMapperLabels()
{
    const int w = getWidth();
    auto R = [w] (double fraction) { return LayoutRules::scaled (w, fraction); };

    for (int slot = 0; slot < shownMappers.size(); ++slot)
    {
        auto& labels = *mapperLabels[(size_t) shownMappers[slot]];
        const int y1 = mapperLine1 + FullMapLayout::mapperLineHeight * slot;
        const int y2 = mapperLine2 + FullMapLayout::mapperLineHeight * slot;

        labels.number.setBounds (R (0.32857144), y1, 48, mapperLabelHeight);
        labels.source.setBounds (R (0.35), y1, 48, mapperLabelHeight);
        labels.inStatus.setBounds (R (0.375), y1, 56, mapperLabelHeight);
        labels.inChannel.setBounds (R (0.4205357), y1, 56, mapperLabelHeight);
        labels.inValue1.setBounds (R (0.46785715), y1, 56, mapperLabelHeight);
        labels.inValue2.setBounds (R (0.51785713), y1, 56, mapperLabelHeight);
        labels.skip.setBounds (R (0.31964287), y2, 48, mapperLabelHeight);
        labels.destination.setBounds (R (0.35), y2, 48, mapperLabelHeight);
        labels.outStatus.setBounds (R (0.375), y2, 56, mapperLabelHeight);
        labels.outChannel.setBounds (R (0.4205357), y2, 56, mapperLabelHeight);
        labels.outValue1.setBounds (R (0.46785715), y2, 56, mapperLabelHeight);
        labels.outValue2.setBounds (R (0.51785713), y2, 56, mapperLabelHeight);
    }
}
