#pragma once

#include "editors/UserCurves.h"

class MidiController;

/** What editing the user velocity curves does to the device model, without any control:
    which firmware has curves, which curve the editor starts on, the resets and the marks
    that have the curves written.

    Only a known firmware older than 3.85 lacks curves; a curve index outside the
    product's curves is never touched or marked.
*/
class UserCurveEdits
{
public:
    /** The product reads and writes its curves from this host firmware on. */
    static constexpr float firstCurveFirmware = 3.85f;

    /** The curves can be edited unless the host firmware is known (above 0.1) and older than 3.85. */
    static bool isEditingAvailable (float hostFirmware);
    /** Curves are read and written from host firmware 3.85 on. */
    static bool canWriteCurves (float hostFirmware);

    /** The curve the editor shows after a refresh: the first, or none (-1) when the product
        has no curves or its firmware lacks them. */
    static int initialSelection (const MidiController& device);

    /** True when the index names one of the connected product's curves. */
    static bool isCurve (const MidiController& device, int curve);

    /** After the user changed a curve: marks it for writing and returns true, unless the
        index names no curve, the curve is exactly its factory curve (a mark it already has
        stays) or the firmware has no curves. */
    static bool markEditedCurve (MidiController& device, int curve);

    /** True while a curve waits to be written. */
    static bool hasWaitingCurveWrite (const MidiController& device);

    /** Puts the factory curve back into one curve, or into every curve of the product. */
    static void resetCurves (MidiController& device, int curve, bool thisCurveOnly);

    /** Marks every curve of the product for writing when the firmware has curves; true when
        anything was marked. */
    static bool markAllCurves (MidiController& device);
};
