#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "device/MidiController.h"

#include <array>

class FullMapList;
class MainComponent;

/** One row of the full-settings window: everything the current preset does with one port.

    From left to right: the input name (a click highlights its routing) with a padlock for a
    USB-host slot, the input's filters, the mappers that take this port as input, the gap in which
    the list draws the routing lines, the output's filters, and the output name with its padlock
    and, for a TRS jack, its type. The row draws no background, so the lines show through.
*/
class FullMapObject : public juce::Component,
                      public juce::Button::Listener
{
public:
    static constexpr int numMapperSlots = MidiController::numMapperSlots;

    /** The twelve labels that summarise one mapper on two lines. */
    struct MapperLabels
    {
        juce::Label number, source, inStatus, inChannel, inValue1, inValue2;
        juce::Label skip, destination, outStatus, outChannel, outValue1, outValue2;

        MapperLabels();
        /** Every label, line 1 then line 2. */
        std::array<juce::Label*, 12> all();
    };

    FullMapObject (FullMapList* owner, int port);
    ~FullMapObject() override;

    void paint (juce::Graphics&) override;
    void resized() override;
    void buttonClicked (juce::Button*) override;

    /** Fills every text of the row: names, padlocks, TRS type, filters and mappers. */
    void refreshAll();
    void refreshInputName();
    void refreshOutputName();
    void refreshInputFilters();
    void refreshOutputFilters();
    /** Shows a summary of each mapper that takes this port as input, and sets the row's height. */
    void refreshMappers();
    void refreshReservationIcons();
    void refreshTrsType();

    void setInputNameColour (juce::Colour);
    void setOutputNameColour (juce::Colour);

    bool usesPortInMapper (int mapperIndex) const;
    MainComponent* getMainComponent() const;

    /** The labels of a mapper shown in this row, or null. */
    MapperLabels* getShownMapperLabels (int mapperIndex) const;
    /** The mappers shown, in display order. */
    const juce::Array<int>& getShownMappers() const noexcept  { return shownMappers; }

    const int portIndex;
    int shownMapperCount = 0;
    FullMapList* const list;

    juce::GroupComponent mappersGroup { "new group", TRANS ("Active mappers") };
    juce::GroupComponent inputFiltersGroup { "new group", TRANS ("Active input filters") };
    juce::Label inputChannelsCaption { "new label", TRANS ("Channels") };
    juce::Label inputName { "new label" };
    juce::Label inputMessagesCaption { "new label", TRANS ("Messages") };
    juce::Label inputChannelList { "new label" };
    juce::Label inputMessageList { "new label" };
    juce::Label statusHeader { "new label", TRANS ("Status") };
    juce::Label channelHeader { "new label", TRANS ("Channel") };
    juce::Label value1Header { "new label", TRANS ("Value 1") };
    juce::Label value2Header { "new label", TRANS ("Value 2") };
    juce::Label noMapperLabel { "new label", TRANS ("No active mapper for this input") };
    juce::GroupComponent outputFiltersGroup { "new group", TRANS ("Active output filters") };
    juce::Label outputChannelsCaption { "new label", TRANS ("Channels") };
    juce::Label outputMessagesCaption { "new label", TRANS ("Messages") };
    juce::Label outputChannelList { "new label" };
    juce::Label outputMessageList { "new label" };
    juce::Label outputName { "new label" };
    juce::TextButton inputHighlightButton { "new button" };
    juce::TextButton outputHighlightButton { "new button" };
    juce::Label sync24SourceLabel { "new label", "SYNC-24\nSource\n" };
    juce::Label sync24OutputLabel { "new label", "SYNC-24\nOut\n" };
    juce::Label trsLabel { "new label", "TRS Type" };
    juce::ImageButton inputPadlock { "new button" };
    juce::ImageButton outputPadlock { "new button" };

    /** The padlock shows the closed (reserved) picture. */
    static bool isPadlockLocked (const juce::ImageButton&);

private:
    void showPortName (juce::Label& name, juce::Button& highlightButton, const juce::String& direction);
    void showFilters (bool output, juce::Label& channels, juce::Label& messages);
    void setPadlock (juce::ImageButton&, bool locked);
    void layoutMapperLabels();

    /** Per mapper index, its labels once the mapper was shown in this row (hidden when it no longer is). */
    std::array<std::unique_ptr<MapperLabels>, numMapperSlots> mapperLabels;
    juce::Array<int> shownMappers;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FullMapObject)
};
