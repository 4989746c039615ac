#pragma once

#include "editors/UserCurves.h"

#include <array>
#include <optional>

/** Curve text files: one curve as 128 lines of one decimal value each.

    Line n holds the value for the input value n - 1. A written file has exactly
    128 lines, each "%d" and a line feed. A read line counts by its leading
    decimal number (optional white space, an optional sign, digits; anything
    after it is ignored, a line without one counts as 0); lines end with a line
    feed, optionally after a carriage return, and lines after the 128th are
    ignored. A file is taken only whole: every one of the first 128 values in
    0..127, at least 128 lines. A refused file gives its error text and no values.
*/
class CurveTextFile
{
public:
    /** The drawing's rows (row r stands for the value 127 - r, 255 for an unset point). */
    using Points = std::array<juce::uint8, numCurveValues>;

    /** Reads the text of a curve file into values. Returns an empty text on success;
        otherwise the error text, with values left as they were:
        "Error while parsing curve file: Value at line %d is %d (> 127)" or "(< 0)"
        for the first value out of range (a number beyond the int range shows as
        the nearest int), "Error while parsing curve file: only %d values (128 expected)"
        for a text of fewer lines. */
    static juce::String parse (const char* text, size_t numBytes, CurveValues& values);

    /** Reads a stream as parse() reads a text; stops after the 128th line or at the
        first error, so it never reads more of the stream than it needs. */
    static juce::String read (juce::InputStream& stream, CurveValues& values);

    /** The file text of a drawing: line j + 1 holds 127 - point j, so an unset point gives -128. */
    static juce::String format (const Points& points);

    /** What loading a location gave: the error text to show, or the values read. */
    struct LoadResult
    {
        juce::String error;
        std::optional<CurveValues> values;
    };

    /** Loads a curve file. An empty location gives no error and no values. A local
        file is read directly ("Error: Cannot find input file" when there is no such
        file), any other location as a URL stream; "Error: Cannot create file input
        stream" when it cannot be opened; otherwise the errors of parse(). */
    static LoadResult load (const juce::URL& location);

    /** Saves the drawing to a local file. An empty location writes nothing and gives
        no error; a location that is not a local file, a folder, or a file that
        cannot be written gives "Error: Cannot create output file".

        The text goes to a temporary file beside the target first, which replaces
        the target only once it is completely written: a failed save leaves an
        existing file as it was and leaves no temporary file behind. */
    static juce::String save (const juce::URL& location, const Points& points);

    /** "Error: User curve selected is out of range" unless 0 <= selectedIndex < curveCount;
        empty otherwise. A load into no valid curve is refused before anything is read. */
    static juce::String checkSelectedCurve (int selectedIndex, int curveCount);

    /** Writes text to file through a temporary file beside it; true when the file
        now holds exactly that text. On failure the file is left as it was. */
    static bool replaceFileSafely (const juce::File& file, const juce::String& text);
};
