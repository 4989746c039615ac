#pragma once

/** Which controls of the "MIDI Filter" tab can be used, for the device object's deviceMode (1: the
    product's application answers) and the tab's EditorMode (0 idle, 1 locked, 2 busy).

    While a request is out (busy) the user can still choose another port, but neither edit nor reset.
*/
struct FilterEnablement
{
    bool portList = false;
    bool resetButton = false;
    /** The channel buttons and the message toggles. */
    bool editing = false;

    static FilterEnablement forMode (int deviceMode, int editorMode, bool portChosen)
    {
        const bool connected = deviceMode == 1;
        FilterEnablement e;
        e.portList = connected && editorMode != 1;
        e.resetButton = connected && editorMode == 0;
        e.editing = e.resetButton && portChosen;
        return e;
    }
};
