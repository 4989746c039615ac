#pragma once

#include <juce_core/juce_core.h>

/** Where the rows of the full-settings window sit: the local ports first, in port order (USB-C
    virtual ports, the wireless-module port, the MIDI ports), then the USB-host slots. Each row is
    at least 180 high and grows from its third mapper on; the routing lines run in the gap
    between the mapper box and the output filter box.
*/
class FullMapLayout
{
public:
    static constexpr int minRowHeight = 180;
    static constexpr int mapperLineHeight = 44;
    /** A routing line ends this far below the top of its output row, at the output filter box's joint. */
    static constexpr int lineEndOffset = 90;

    /** The display position of a port's row: the local ports (numHostPorts and above) first,
        then the USB-host slots. */
    static int getRowPosition (int port, int numHostPorts, int numLocalPorts);

    /** The height of the "Active mappers" box for a number of shown mappers, and of the row around it. */
    static int getMapperBoxHeight (int shownMappers);
    static int getRowHeight (int shownMappers);

    /** The top of each row, in port order, for rows of these heights (in port order); the rows
        after the first numHostPorts are the local ports. */
    static juce::Array<int> getRowTops (const juce::Array<int>& rowHeights, int numHostPorts);

    /** The x where every routing line starts and ends, for a list of this width. */
    static int getLineStartX (int width);
    static int getLineEndX (int width);
};
