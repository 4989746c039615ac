#include "routing/ReservationChecks.h"

PortReservation ReservationRow::toEntry (PortReservation previous, bool instanceCounts) const
{
    if (deviceIndex < 1)
        return { -1, 0x007F };

    if (vidPid == -1)
        return { -1, previous.cable };

    if (cableIndex < 0)
        return { vidPid, 0x007F };

    const int instanceByte = instanceCounts && instance != 255 ? instance : 0;
    return { vidPid, (juce::uint16) ((cableIndex & 0xFF) | (instanceByte << 8)) };
}

juce::String ReservationChecks::check (const ReservationRow* rows, int numRows, bool inputs, bool instanceCounts)
{
    for (int i = 0; i < numRows; ++i)
    {
        const auto& row = rows[i];

        if (! row.namesDevice())
            continue;

        if (row.cableIndex < 0)
            return juce::String::formatted (inputs ? "Select a Cable number for reserved input port %d"
                                                   : "Select a Cable number for reserved output port %d", i + 1);

        for (int k = 0; k < numRows; ++k)
        {
            const auto& other = rows[k];

            if (k != i && other.namesDevice() && other.vidPid == row.vidPid && other.cableIndex == row.cableIndex
                 && (! instanceCounts || other.instance == row.instance))
                return juce::String::formatted (inputs ? "Input ports %d and %d have same reservation"
                                                       : "Outputs ports %d and %d have same reservation", k + 1, i + 1);
        }
    }

    return {};
}
