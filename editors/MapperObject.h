#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "editors/MapperChoices.h"

class Mapper;
class MapperRecordCodec;
struct MapperRecord;

/** One page of the "MIDI Mapper" tab: the mapper record of one slot of the current preset.

    It offers the input ports (several can be chosen), the input message (status, channel range,
    value ranges), the output message (status, channel or channel transpose, value ranges or
    follow, invert, compress/expand and user curves), "Keep original", a random note skip, and a
    status text that says what is missing or may not work. Every change is packed into the record
    and checked; a record that passes is written by the tab a second after the last change.

    The page keeps no copy of the record: it reads the device model at every load and writes it
    at every change.
*/
class MapperObject : public juce::Component,
                     public juce::ComboBox::Listener,
                     public juce::Button::Listener
{
public:
    MapperObject (Mapper& owner, int index);
    ~MapperObject() override;

    void visibilityChanged() override;
    void paint (juce::Graphics&) override;
    void resized() override;
    void comboBoxChanged (juce::ComboBox*) override;
    void buttonClicked (juce::Button*) override;

    //==============================================================================
    /** Rebuilds the input port list, the status lists and the firmware gates for the device object's
        product and firmware. */
    void rebuildChoices();
    /** Puts the default record into this slot of the current preset (or of every preset), then loads it. */
    void resetToDefault (bool allPresets);
    /** Shows the record; returns the check's code (0: the record may be written). */
    int loadFromRecord();
    /** Packs the page into the record and checks it; schedules the write when it passes. */
    int storeToRecord();
    /** Checks the page and shows the result in the status text; returns its code. */
    int validate();
    bool hasEffect();
    /** Enables the page for editing (product connected and the tab idle), or disables it. */
    void updateEnablement (bool allowed);
    /** The product reported the device on host record slot: an input slot renames its entry. */
    void updateHostPortName (int slot);
    /** The user renamed input port: its entry takes the new name. */
    void updatePortName (int port);

    //==============================================================================
    /** Input port n (entry n of the input list) is chosen. */
    bool isInputSelected (int port) const;
    void setInputSelected (int port, bool selected);

    /** The page's choices as they stand. */
    MapperChoices getChoices() const;

    Mapper& ownerMapper;
    const int mapperIndex;

    //==============================================================================
    // The controls, in the order they are built.
    std::unique_ptr<juce::ComboBox> inputPortCombo;
    std::unique_ptr<juce::TextEditor> statusText;
    std::unique_ptr<juce::GroupComponent> value2Group, value1Group, channelGroup, messageGroup;
    std::unique_ptr<juce::ComboBox> inStatusCombo, inValue1MinCombo, inValue1MaxCombo, inChannelMinCombo, inChannelMaxCombo,
                                    inValue2MinCombo, inValue2MaxCombo, outStatusCombo, outValue1MinCombo, outChannelCombo,
                                    outValue2MinCombo, outValue2MaxCombo;
    std::unique_ptr<juce::ToggleButton> disableInputsToggle;
    juce::OwnedArray<juce::Label> rangeLabels;
    std::unique_ptr<juce::ToggleButton> useInValue2Toggle, useInValue1Toggle;
    std::unique_ptr<juce::ComboBox> outValue1MaxCombo;
    std::unique_ptr<juce::Label> outValue1MinLabel, outValue1MaxLabel;
    std::unique_ptr<juce::ToggleButton> followValue1Toggle, followValue2Toggle, followChannelToggle, invertValue1Toggle,
                                        invertValue2Toggle, keepOriginalToggle, transposeChannelToggle, compressValue1Toggle,
                                        compressValue2Toggle;
    std::unique_ptr<juce::ComboBox> skipCombo;
    std::unique_ptr<juce::Label> skipLabel;
    std::unique_ptr<juce::ToggleButton> curveValue1Toggle, curveValue2Toggle;
    std::unique_ptr<juce::Label> userCurve1Label, userCurve2Label;
    std::unique_ptr<juce::ComboBox> userCurve1Combo, userCurve2Combo;

private:
    MapperRecord& record() const;
    MapperRecordCodec makeCodec() const;
    void buildControls();
    void buildInputPortList();
    void fillStatusLists();
    void applyFirmwareGates();
    void fillValueLists();

    void updateControlsForStatus();
    void updateValueLabels();
    void updateOutputValueChoices (bool fromRecord);
    void setTransposeChannel (bool clicked, bool fromRecord);
    void updateCurveValue1 (bool clicked, bool fromRecord);
    void updateCurveValue2 (bool clicked, bool fromRecord);
    void updateCurve (int value, bool clicked, bool fromRecord);
    int applyFollowValue1();
    int applyFollowValue2();
    /** Both follows, value 1 first or value 2 first; each packs and checks the page. */
    void applyFollows (bool value2First);
    void updateInputSelectionText();
    void showInputsDisabled (bool disabled);
    void showFollowedChannelRange();
    void renameInput (int port);
    void disableAllInputs();

    juce::ComboBox* makeList (const juce::String& tooltip);
    juce::ToggleButton* makeToggle (const juce::String& caption, const juce::String& tooltip);

    bool editingAllowed = false;
    /** "Transpose channel" was clicked: the output channel waits to be chosen anew. */
    bool outputChannelToBeChosen = false;
    juce::Image decorationImages[4];

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MapperObject)
};
