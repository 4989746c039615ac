#include "settings/NameCharacterRule.h"

bool isPlainAsciiName (const juce::String& text)
{
    if (text.getNumBytesAsUTF8() != (size_t) text.length())
        return false;

    for (auto p = text.getCharPointer(); ! p.isEmpty();)
    {
        const auto c = p.getAndAdvance();

        if (c < 0x20 || c > 0x7F || juce::CharPointer_ASCII ("\"*+/:<>?\\|").indexOf (c) >= 0)
            return false;
    }

    return true;
}

TypedNameCheck checkTypedName (const juce::String& text, int maxLength)
{
    TypedNameCheck check;
    const int length = text.length();

    if (length > maxLength)
        check.warning = "Please use " + juce::String (maxLength) + " chars max";
    else if (length > 0 && ! isPlainAsciiName (text))
        check.warning = "Please use only ASCII chars";
    else
        check.valid = length > 0;

    check.correctedText = (check.valid || text.isEmpty()) ? text : text.dropLastCharacters (1);
    return check;
}
