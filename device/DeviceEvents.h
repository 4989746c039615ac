#pragma once

#include <juce_core/juce_core.h>

/** What happens on the device side that the views of the device model must hear of.

    The device object tells these on the message thread, as they happen; it never calls a view or an
    editor itself. The application implements them in one place that decides which editor hears what
    and in which order; tests install a recorder. While none is installed, nobody is told.
*/
class DeviceEvents
{
public:
    virtual ~DeviceEvents() = default;

    /** A read or write request (type SYSX_TYPE_READ or SYSX_TYPE_WRITE) of this kind is about to go out. */
    virtual void requestGoingOut (int type, int kind) = 0;

    /** The product answered a read (its values are in the model now) or acknowledged a write
        (type SYSX_TYPE_READ or SYSX_TYPE_WRITE). A read of the preset setting may have changed the
        current preset; a read of a preset name brought that preset's name. */
    virtual void itemAnswered (int type, int kind, int item) = 0;

    /** Nothing is left to send. fullRead: the chain ended a read of all settings. */
    virtual void chainEnded (bool fullRead) = 0;

    /** The model's settings went back to their local defaults: a product was identified, or the
        product reset itself. Nothing is sent. */
    virtual void settingsReset() = 0;

    /** An identity reply arrived and is about to be taken in. */
    virtual void identityArriving() = 0;

    /** Only the product's bootloader answers: nothing can be edited. upgradeContinues: the loaded image
        is programmed next. */
    virtual void bootloaderAnswered (bool upgradeContinues) = 0;

    /** The product reported the record of a host slot (emptied or filled; the record is in the model). */
    virtual void hostRecordChanged (int index) = 0;

    /** A line of the USB descriptor dump, as text for the dump view. */
    virtual void dumpTextArrived (const juce::String& text) = 0;

    /** The device descriptor of a dump arrived: from now on the dump can be copied. */
    virtual void deviceDescriptorArrived() = 0;
};
