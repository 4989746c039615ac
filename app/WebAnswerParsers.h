#pragma once

#include "app/AppVersionInfo.h"
#include "app/FirmwareVersionInfo.h"
#include "app/WebEndpoints.h"

/** Readers of the update server's version list and of the firmware catalogue.

    Both take every value as text through the framework's value-to-text
    conversion (so JSON numbers serve as well as strings); a key that an entry
    lacks contributes nothing, and a text that is not JSON gives no entries and
    so a record that is not valid.
*/
struct WebAnswerParsers
{
    /** The newest entry of the version list for the application "pellion" on a platform
        (by default the one the tool runs on, so an installer for another platform is never offered).

        Entries are read in order into one record: an entry whose "app" or
        "platform" differs, or whose version is below the best so far, is
        skipped from that key on; a later entry of an equal version wins.
        The record is valid when its date, app, platform and version are all set.
    */
    static AppVersionInfo parseVersionList (const juce::String& answer,
                                            const juce::String& platform = WebEndpoints::platformKey);

    /** The catalogue entry of a product id; the last entry that passes supplies the version.

        An entry of another product, or with a version below 0, is skipped from
        that key on; an entry without "product" is taken for any id. The change
        log comes from "changelogs" / id / version / "default". The record is
        valid when its url has more than 10 characters and its date, product and
        version are set. An empty id gives an empty record.
    */
    static FirmwareVersionInfo parseFirmwareCatalogue (const juce::String& answer, const juce::String& productId);

    /** A value as text: the framework's conversion, except that a floating-point
        number gives its shortest text that reads back as the same number ("8.7"). */
    static juce::String valueToText (const juce::var& value);

    /** Answers nested deeper than this are not parsed at all, and so give no entries. */
    static constexpr int maxNestingDepth = 32;
    /** Nor are answers with a run of more digits than this outside their strings. */
    static constexpr int maxNumberDigits = 18;
    /** Nor are answers with a number whose exponent has more digits than this. */
    static constexpr int maxExponentDigits = 4;

    /** The deepest nesting of arrays and objects in a JSON text (brackets inside strings
        don't count); read without recursion, so any text can be measured. */
    static int getNestingDepth (const juce::String& text);

    /** Whether the framework's JSON reader can read the text safely: not nested deeper than
        maxNestingDepth, no number longer than maxNumberDigits digits, no exponent longer than
        maxExponentDigits digits, and a digit after every
        '-' outside strings. An answer that is not counts as no answer. */
    static bool isSafeToParse (const juce::String& text);

    /** The non-empty texts of an array value; none when the value is not an array. */
    static juce::StringArray getNonEmptyLines (const juce::var& value);
};
