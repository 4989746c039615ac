#pragma once

#include "device/MidiController.h"
#include "settings/NameCharacterRule.h"

/** The name under which the product presents itself over its USB-C device port.

    The device core keeps it in six 32-bit words of up to 24 characters: character i
    in word i / 4, the first of each four in the top byte; the characters after the
    name are 0. All six words zero means that the user gave no name.
*/
struct UsbProductName
{
    static constexpr int maxLength = 24;

    /** The notice shown after a new name was sent. */
    static constexpr const char* reconnectNotice = "Please disconnect and reconnected the device after you changed USB product name";

    /** Packs the first 24 characters (each cut to its low 8 bits) into the words; the rest is 0. */
    static void pack (const juce::String& name, juce::uint32 (&words)[6]);
    /** The non-zero bytes of the words in order, up to the first 0 byte. */
    static juce::String unpack (const juce::uint32 (&words)[6]);

    /** True when the connected firmware keeps a name: device core 6.95 and host 0.1 or later. */
    static bool isSupported (const MidiController& device);

    /** The length and character check of a name typed into the editor (1 to 24 characters). */
    static TypedNameCheck checkTypedText (const juce::String& text);

    /** Apply and Reset for the text in the editor. */
    struct Buttons
    {
        bool applyEnabled = false;
        bool resetEnabled = false;
        /** The typed-name warning, shown again whenever the buttons follow a failing text. */
        juce::String warning;
    };

    /** Reset is offered while the text or the stored name differs from the default, Apply
        while the text differs from the stored name; a failing text leaves only Reset; both
        are off without firmware support or without a product. */
    static Buttons getButtons (const MidiController& device, const juce::String& editorText);

    /** The editor itself for an EditorMode. The buttons then follow getButtons, whatever the mode,
        as long as the firmware keeps a name. */
    struct EditorState
    {
        bool enabled = false;
        float alpha = 0.4f;
        juce::String tooltip;
    };

    static EditorState getEditorState (const MidiController& device, int editorMode);

    /** Stores the name into usbProductName and, when the product can take it now or once
        the request that is out is answered, queues its write. True when the write was queued
        (the caller then shows reconnectNotice); false when the product can't take it, and
        then only the model holds the new words. */
    static bool store (MidiController& device, const juce::String& name);
};

/** The model string of the connected product with its blank made a hyphen ("Calder-Pro");
    empty for an unknown model, while only a bootloader answers or below host firmware 0.1. */
juce::String getDefaultUsbProductName (const MidiController& device);

/** The stored name when the firmware keeps one and it is not empty, else the default name. */
juce::String getCurrentUsbProductName (const MidiController& device);
