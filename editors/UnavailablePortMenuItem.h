#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A port a list shows but that cannot be chosen on this product: its item is greyed out and
    says why in its tooltip, "Not available on this product". */
class UnavailablePortMenuItem : public juce::PopupMenu::CustomComponent,
                                public juce::SettableTooltipClient
{
public:
    static constexpr const char* tooltipText = "Not available on this product";

    explicit UnavailablePortMenuItem (const juce::String& portName);

    /** Adds the port to the list as a disabled item that carries the tooltip. */
    static void addTo (juce::ComboBox& list, int itemId, const juce::String& portName);
    /** Gives the list's item with that id another text, whether or not it is such an item; a chosen
        item shows its new text at once. Nothing happens when the list has no such item. */
    static void renameItem (juce::ComboBox& list, int itemId, const juce::String& newText);
    /** The tooltip of the list's item with that id when it is such an item; empty otherwise. */
    static juce::String getTooltipOfItem (const juce::ComboBox& list, int itemId);

    void getIdealSize (int& idealWidth, int& idealHeight) override;
    void paint (juce::Graphics&) override;

private:
    juce::String text;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (UnavailablePortMenuItem)
};
