#pragma once

#include "device/DeviceTypes.h"

/** What the main component asks of every tab page and of the preset bar.

    Each editor owns its reset and its enablement: nobody outside it touches its controls.
*/
class EditorPanel
{
public:
    virtual ~EditorPanel() = default;

    /** The product was lost: the editor goes back to its local defaults (the device model's tables
        it owns included), sends nothing, and shows itself as it does with no product. */
    virtual void productLost() = 0;

    /** Enables or disables the editor's controls: idle, locked (no product, bootloader, upgrade
        running) or busy (a request of its kind is out). */
    virtual void setEditorMode (EditorMode mode) = 0;

    /** Shows the device model again, without notification and without sending anything. */
    virtual void refreshFromModel() = 0;

    /** Edits that wait for the editor's debounce are marked for writing now, as if its timer had
        fired (before the preset changes, so that they go to the preset they were made in). */
    virtual void flushEdits() {}
};
