#pragma once

#include <juce_events/juce_events.h>

class MidiController;

/** What every debounced editor's timer runs when it fires: the filter tab, the mapper tab, the
    curve editor and the LFO tab share it.

    It stops the editor's timer, so that the timer fires once per burst of edits. Unless a firmware
    upgrade is programming or only the bootloader answers, it then starts the writes: the lowest
    kind with an item marked for writing goes out first, whichever editor marked it, and the
    request chain sends the rest from each acknowledgement. Items marked for reading are left to
    the chain that marked them. Nothing goes out while a reply is awaited: the chain that waits
    takes the marks with it. Returns true when a request went out.
*/
bool flushEditorWrites (juce::Timer& editorTimer);

/** The same against a given device object. */
bool flushEditorWrites (juce::Timer& editorTimer, MidiController& device);
