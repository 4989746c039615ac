#include "editors/CurveTextFile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace
{
    const char* const cannotFindInputFile     = "Error: Cannot find input file";
    const char* const cannotCreateInputStream = "Error: Cannot create file input stream";
    const char* const cannotCreateOutputFile  = "Error: Cannot create output file";
    const char* const curveOutOfRange         = "Error: User curve selected is out of range";

    /** Takes the text of a curve file piece by piece and reads its values line by line.

        A line's value is settled by the first character that cannot continue its
        leading number, so a value out of range stops the reading at once, and the
        reading stops as soon as it has all 128 values.
    */
    class CurveLineReader
    {
    public:
        bool needsMore() const noexcept   { return ! stopped; }

        void feed (const char* data, size_t size)
        {
            const auto* p = data;
            const auto* end = data + size;

            while (p < end && ! stopped)
            {
                if (state == State::settled)
                {
                    // Once a line's value is settled, the rest of the line does not matter.
                    const auto* lineFeed = static_cast<const char*> (std::memchr (p, '\n', (size_t) (end - p)));

                    if (lineFeed == nullptr)
                        return;

                    p = lineFeed + 1;
                    startLine();
                    continue;
                }

                const auto c = *p++;

                if (c == '\n')
                {
                    settleValue();
                    startLine();
                    continue;
                }

                lineHasText = true;

                if (c >= '0' && c <= '9')
                {
                    // Past the int range the magnitude stays just beyond it: the value shows as the nearest int.
                    magnitude = std::min (magnitude * 10 + (c - '0'), beyondIntRange);
                    hasNumber = true;
                    state = State::inDigits;
                }
                else if (state == State::leadingSpace && (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'))
                {
                }
                else if (state == State::leadingSpace && (c == '-' || c == '+'))
                {
                    negative = c == '-';
                    state = State::afterSign;
                }
                else
                {
                    settleValue();
                }
            }
        }

        /** The end of the text: a last line without a line feed counts as well. */
        juce::String finish (CurveValues& target)
        {
            if (needsMore() && lineHasText && state != State::settled)
                settleValue();

            if (error.isEmpty() && count < numCurveValues)
                error = formatted ("Error while parsing curve file: only %d values (128 expected)", count);

            if (error.isEmpty())
                target = values;

            return error;
        }

    private:
        enum class State { leadingSpace, afterSign, inDigits, settled };

        CurveValues values {};
        int count = 0;
        juce::String error;
        bool stopped = false;      // an error, or all values read

        State state = State::leadingSpace;
        bool lineHasText = false, hasNumber = false, negative = false;
        juce::int64 magnitude = 0;

        static constexpr auto beyondIntRange = (juce::int64) std::numeric_limits<int>::max() + 1;

        void settleValue()
        {
            state = State::settled;

            const auto value = ! hasNumber ? 0
                             : negative    ? (int) -magnitude
                                           : (int) juce::jmin (magnitude, (juce::int64) std::numeric_limits<int>::max());
            const auto line = count + 1;

            if (value > 127 || value < 0)
            {
                error = value > 127 ? formatted ("Error while parsing curve file: Value at line %d is %d (> 127)", line, value)
                                    : formatted ("Error while parsing curve file: Value at line %d is %d (< 0)", line, value);
                stopped = true;
                return;
            }

            values[(size_t) count++] = (juce::uint8) value;
            stopped = count == numCurveValues;
        }

        template <typename... Ints>
        static juce::String formatted (const char* format, Ints... values)
        {
            char text[128];
            std::snprintf (text, sizeof (text), format, values...);
            return juce::String (text);
        }

        void startLine()
        {
            state = State::leadingSpace;
            lineHasText = hasNumber = negative = false;
            magnitude = 0;
        }
    };
}

juce::String CurveTextFile::parse (const char* text, size_t numBytes, CurveValues& values)
{
    CurveLineReader reader;
    reader.feed (text, numBytes);
    return reader.finish (values);
}

juce::String CurveTextFile::read (juce::InputStream& stream, CurveValues& values)
{
    CurveLineReader reader;
    char buffer[4096];

    while (reader.needsMore())
    {
        const auto bytesRead = stream.read (buffer, (int) sizeof (buffer));

        if (bytesRead <= 0)
            break;

        reader.feed (buffer, (size_t) bytesRead);
    }

    return reader.finish (values);
}

juce::String CurveTextFile::format (const Points& points)
{
    std::string text;
    text.reserve ((size_t) (5 * numCurveValues));

    for (auto point : points)
        text.append (std::to_string (127 - (int) point)).push_back ('\n');

    return juce::String (text);
}

CurveTextFile::LoadResult CurveTextFile::load (const juce::URL& location)
{
    if (location.isEmpty())
        return {};

    std::unique_ptr<juce::InputStream> stream;

    if (location.isLocalFile())
    {
        const auto file = location.getLocalFile();

        if (! file.existsAsFile())
            return { cannotFindInputFile, {} };

        stream = file.createInputStream();
    }
    else
    {
        stream = location.createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress));
    }

    if (stream == nullptr)
        return { cannotCreateInputStream, {} };

    CurveValues values;

    if (auto error = read (*stream, values); error.isNotEmpty())
        return { error, {} };

    return { {}, values };
}

juce::String CurveTextFile::save (const juce::URL& location, const Points& points)
{
    if (location.isEmpty())
        return {};

    if (! location.isLocalFile() || ! replaceFileSafely (location.getLocalFile(), format (points)))
        return cannotCreateOutputFile;

    return {};
}

juce::String CurveTextFile::checkSelectedCurve (int selectedIndex, int curveCount)
{
    return juce::isPositiveAndBelow (selectedIndex, curveCount) ? juce::String() : juce::String (curveOutOfRange);
}

bool CurveTextFile::replaceFileSafely (const juce::File& file, const juce::String& text)
{
    if (file == juce::File() || file.isDirectory())
        return false;

    const auto* bytes = text.toRawUTF8();
    const auto numBytes = text.getNumBytesAsUTF8();

    juce::TemporaryFile temporary (file, juce::TemporaryFile::useHiddenFile);

    {
        juce::FileOutputStream out (temporary.getFile());

        if (! out.openedOk() || ! out.write (bytes, numBytes))
            return false;

        out.flush();

        if (out.getStatus().failed())
            return false;
    }

    // A short write (a full disk, a file size limit) is not always reported by the stream.
    if (temporary.getFile().getSize() != (juce::int64) numBytes)
        return false;

    return temporary.overwriteTargetFileWithTemporary();
}
