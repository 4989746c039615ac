#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class Lfo;

/** One page of the LFO tab: the controls of one low-frequency oscillator (enable and sync mode;
    trigger input, message and channel; waveform, frequency, amplitude and offset; the generated
    message, channel and number; a preview and the outputs).

    The product takes no LFO settings from this tool: the page reads no device data, and its
    controls change nothing.
*/
class LfoObject : public juce::Component,
                  public juce::ComboBox::Listener,
                  public juce::Button::Listener,
                  public juce::Slider::Listener
{
public:
    static constexpr int numChildren = 36;

    LfoObject (Lfo& owner, int lfoIndex);
    ~LfoObject() override;

    void visibilityChanged() override {}
    void paint (juce::Graphics&) override;
    void resized() override;

    void comboBoxChanged (juce::ComboBox*) override {}
    void buttonClicked (juce::Button*) override {}
    void sliderValueChanged (juce::Slider*) override {}

    /** The children in the order they are built and stacked (0 to 35). */
    juce::Component* getChild (int index) const  { return children[index]; }

    Lfo& owner;
    const int lfoIndex;

private:
    juce::OwnedArray<juce::Component> children;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (LfoObject)
};
