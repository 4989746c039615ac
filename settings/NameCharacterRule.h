#pragma once

#include <juce_core/juce_core.h>

/** The rule for names the user types: preset names (16 characters), preset file
    names and the USB product name (24 characters).

    A name may hold only single-byte characters 0x20 to 0x7F other than the
    double quote and * + / : < > ? \ |.
*/

/** True when every character of the text passes the character rule (the empty text too).
    A character that takes more than one byte in UTF-8 fails. */
bool isPlainAsciiName (const juce::String& text);

/** The verdict on a typed name of at most maxLength characters. */
struct TypedNameCheck
{
    /** 1 to maxLength characters, all passing the character rule. */
    bool valid = false;
    /** "Please use %d chars max" when the name is too long, "Please use only ASCII chars" when
        a character fails; empty for a valid or an empty name. Shown for 2000 ms. */
    juce::String warning;
    /** What the editor holds after this change: a failing text that is not empty loses its
        last character (one per change), any other text stays as it is. */
    juce::String correctedText;
};

TypedNameCheck checkTypedName (const juce::String& text, int maxLength);
