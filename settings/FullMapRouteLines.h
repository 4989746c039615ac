#pragma once

#include "device/MidiController.h"

#include <vector>

/** The routing of the current preset as the full-settings window draws it: one line from an input
    row to each output row it is routed to, and which input or output the user highlighted.

    With nothing highlighted every line is faint and thin and every port name white. Highlighting
    an input draws its lines at full strength and colours its name; highlighting an output does the
    same for the lines that end at it. At most one input or one output is highlighted at a time.

    Only routes the router table holds are drawn: an input needs a row of the table and an output
    a bit of that row's word, so the ports of the largest products beyond them have no lines.
*/
class FullMapRouteLines
{
public:
    static constexpr juce::uint32 lineColour = 0xffffa500;
    static constexpr juce::uint32 highlightedNameColour = 0xffeb663e;
    static constexpr juce::uint32 plainNameColour = 0xffffffff;
    static constexpr float faintOpacity = 0.15f;
    static constexpr float faintWidth = 1.0f;
    static constexpr float highlightedWidth = 2.0f;
    static constexpr int numOutputBits = 32;

    struct Line
    {
        int input, output;
        bool highlighted;

        float getOpacity() const noexcept  { return highlighted ? 1.0f : faintOpacity; }
        float getWidth() const noexcept    { return highlighted ? highlightedWidth : faintWidth; }
    };

    /** Clicking an input's name: highlights it, or clears the highlight when it already was; any
        output highlight goes. */
    void toggleInput (int port);
    /** The same for an output. */
    void toggleOutput (int port);
    void clearHighlight();

    int getHighlightedInput() const noexcept   { return highlightedInput; }
    int getHighlightedOutput() const noexcept  { return highlightedOutput; }

    /** The line from this input to this output is drawn at full strength. */
    bool isHighlighted (int input, int output) const noexcept;

    /** The text colours (ARGB) of a row's input and output names. */
    juce::uint32 getInputNameColour (int port) const noexcept;
    juce::uint32 getOutputNameColour (int port) const noexcept;

    /** The lines between the first numPorts ports, in the current preset, inputs in port order. */
    std::vector<Line> getLines (const MidiController& device, int numPorts) const;

private:
    int highlightedInput = -1, highlightedOutput = -1;
};
