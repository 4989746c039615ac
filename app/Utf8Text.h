#pragma once

#include <juce_core/juce_core.h>

/** Text from bytes that come from outside the tool (a file, a web answer) and should be UTF-8.

    The framework keeps any bytes that have UTF-8's shape as they are, overlong forms included
    ("\xC0\x80" for a null). It measures such a text by its decoded characters but copies it byte
    by byte, so a later copy overruns its buffer. Only well-formed UTF-8 is taken as it is here.
*/
struct Utf8Text
{
    /** True when the bytes are well-formed UTF-8: each character in its shortest form, no
        surrogate halves, nothing above U+10FFFF. */
    static bool isWellFormed (const char* bytes, size_t size);

    /** The bytes as UTF-8 when they are well-formed; otherwise each byte taken as one
        character (ISO 8859-1). */
    static juce::String fromBytes (const char* bytes, size_t size);
};
