// Curve text files: the reader and writer of 128 decimal lines, loading from a file
// or a URL, and the save that replaces a file only once the new one is complete.

#include <gtest/gtest.h>
#include "editors/CurveTextFile.h"
#include "support/LocalHttpServer.h"

#include <csignal>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace
{
    using Points = CurveTextFile::Points;

    /** 128 lines (or the given number) of "%d\n": the lines given first, then value j for line j + 1. */
    std::string curveText (std::vector<std::string> firstLines, int numLines = 128, const char* lineEnd = "\n")
    {
        std::string text;
        for (int j = 0; j < numLines; ++j)
            text += (j < (int) firstLines.size() ? firstLines[(size_t) j] : std::to_string (j % 128)) + lineEnd;
        return text;
    }

    CurveValues rampValues()
    {
        CurveValues values;
        for (int j = 0; j < 128; ++j)
            values[(size_t) j] = (juce::uint8) j;
        return values;
    }

    CurveValues withValues (CurveValues values, std::vector<std::pair<int, int>> changes)
    {
        for (auto [j, value] : changes)
            values[(size_t) j] = (juce::uint8) value;
        return values;
    }

    Points pointsOf (const CurveValues& values)
    {
        Points points;
        for (int j = 0; j < 128; ++j)
            points[(size_t) j] = (juce::uint8) ((127 - values[(size_t) j]) & 0xFF);
        return points;
    }

    /** Hands out its text three bytes at a time, so that lines and numbers span several reads. */
    class PieceByPieceStream : public juce::MemoryInputStream
    {
    public:
        using juce::MemoryInputStream::MemoryInputStream;
        int read (void* dest, int maxBytes) override   { return juce::MemoryInputStream::read (dest, juce::jmin (maxBytes, 3)); }
    };

    CurveValues untouched()
    {
        CurveValues values;
        values.fill (0xAA);
        return values;
    }

    /** A folder of its own in the test's home, removed afterwards. */
    struct CurveFolder
    {
        juce::File folder = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getNonexistentChildFile ("curves", "");

        CurveFolder()    { folder.createDirectory(); }
        ~CurveFolder()   { folder.deleteRecursively(); }

        juce::File file (const char* name) const   { return folder.getChildFile (name); }
        int numEntries() const  { return (int) folder.findChildFiles (juce::File::findFilesAndDirectories, false, "*", juce::File::FollowSymlinks::no).size(); }
    };

    /** Holds files written by this process to a size of a few bytes while it lives, as a full disk would. */
    struct FileSizeLimit
    {
        rlimit previous {};
        void (*previousHandler) (int) = nullptr;

        explicit FileSizeLimit (rlim_t bytes)
        {
            getrlimit (RLIMIT_FSIZE, &previous);
            previousHandler = std::signal (SIGXFSZ, SIG_IGN);
            rlimit limited = previous;
            limited.rlim_cur = bytes;
            setrlimit (RLIMIT_FSIZE, &limited);
        }

        ~FileSizeLimit()
        {
            setrlimit (RLIMIT_FSIZE, &previous);
            std::signal (SIGXFSZ, previousHandler);
        }
    };
}

//==============================================================================
TEST (CurveTextFile, ReadingTheLinesOfACurveText)
{
    struct Case
    {
        const char* name;
        std::string text;
        const char* error;              // empty: accepted
        CurveValues expected;           // when accepted
    };

    const auto ramp = rampValues();
    const char* const accepted = "";

    const Case cases[] = {
        { "128 lines of the written form",      curveText ({}), accepted, ramp },
        { "lines ended by CR LF",               curveText ({}, 128, "\r\n"), accepted, ramp },
        { "no line feed after the last line",   curveText ({}).substr (0, curveText ({}).size() - 1), accepted, ramp },
        { "digits then letters read as the digits", curveText ({ "64abc" }), accepted, withValues (ramp, { { 0, 64 } }) },
        { "letters read as 0",                  curveText ({ "1", "abc" }), accepted, withValues (ramp, { { 0, 1 }, { 1, 0 } }) },
        { "an empty line reads as 0",           curveText ({ "5", "" }), accepted, withValues (ramp, { { 0, 5 }, { 1, 0 } }) },
        { "white space and a plus sign before the digits", curveText ({ " \t12", "+7", "\v\f3 4" }), accepted,
          withValues (ramp, { { 0, 12 }, { 1, 7 }, { 2, 3 } }) },
        { "a sign without digits reads as 0",   curveText ({ "- 5", "+x" }), accepted, withValues (ramp, { { 0, 0 }, { 1, 0 } }) },
        { "leading zeros and -0",               curveText ({ "000127", "-0" }), accepted, withValues (ramp, { { 0, 127 }, { 1, 0 } }) },
        { "a NUL byte ends the number",         curveText ({ std::string ("6\0" "9", 3) }), accepted, withValues (ramp, { { 0, 6 } }) },
        { "lines after the 128th are ignored",  curveText ({}, 130) + "500\nabc\n", accepted, ramp },

        { "200 on line 5",                      curveText ({ "0", "1", "2", "3", "200" }),
          "Error while parsing curve file: Value at line 5 is 200 (> 127)", {} },
        { "128 on the last line",               curveText ({}) .substr (0, curveText ({}).size() - 4) + "128\n",
          "Error while parsing curve file: Value at line 128 is 128 (> 127)", {} },
        { "a negative value",                   curveText ({ "1", "2", " -1" }),
          "Error while parsing curve file: Value at line 3 is -1 (< 0)", {} },
        { "the written form of an unset point", curveText ({ "-128" }),
          "Error while parsing curve file: Value at line 1 is -128 (< 0)", {} },
        { "the first error counts",             curveText ({ "1", "-5", "300" }),
          "Error while parsing curve file: Value at line 2 is -5 (< 0)", {} },
        { "a value error before the end of a short text", curveText ({ "1", "999" }, 10),
          "Error while parsing curve file: Value at line 2 is 999 (> 127)", {} },
        { "beyond the int range upwards",       curveText ({ "99999999999999999999" }),
          "Error while parsing curve file: Value at line 1 is 2147483647 (> 127)", {} },
        { "just beyond the int range",          curveText ({ "2147483648" }),
          "Error while parsing curve file: Value at line 1 is 2147483647 (> 127)", {} },
        { "beyond the int range downwards",     curveText ({ "7", "-99999999999999999999" }),
          "Error while parsing curve file: Value at line 2 is -2147483648 (< 0)", {} },
        { "the lowest int",                     curveText ({ "-2147483648" }),
          "Error while parsing curve file: Value at line 1 is -2147483648 (< 0)", {} },
        { "127 lines",                          curveText ({}, 127),
          "Error while parsing curve file: only 127 values (128 expected)", {} },
        { "one line without a line feed",       "5",
          "Error while parsing curve file: only 1 values (128 expected)", {} },
        { "an empty text",                      "",
          "Error while parsing curve file: only 0 values (128 expected)", {} },
        { "a single line feed",                 "\n",
          "Error while parsing curve file: only 1 values (128 expected)", {} },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto values = untouched();
        const auto error = CurveTextFile::parse (c.text.data(), c.text.size(), values);

        EXPECT_EQ (error, juce::String (c.error));

        if (error.isEmpty())
            EXPECT_EQ (values, c.expected);
        else
            EXPECT_EQ (values, untouched());

        // A stream gives what the text gives, also when it comes in small pieces.
        PieceByPieceStream stream (c.text.data(), c.text.size(), false);
        auto streamed = untouched();
        EXPECT_EQ (CurveTextFile::read (stream, streamed), error);
        EXPECT_EQ (streamed, values);
    }
}

TEST (CurveTextFile, WrittenTextReadsBackAsTheSameCurve)
{
    // The factory curves, and a ramp through every value.
    std::vector<CurveValues> curves { rampValues() };
    for (int curve = 0; curve < numUserCurves; ++curve)
        curves.push_back (unpackCurve (defaultUserCurves[curve]));

    for (const auto& values : curves)
    {
        const auto text = CurveTextFile::format (pointsOf (values));

        EXPECT_EQ (juce::StringArray::fromLines (text.trimEnd()).size(), 128);
        EXPECT_TRUE (text.endsWith ("\n127\n"));

        auto read = untouched();
        EXPECT_EQ (CurveTextFile::parse (text.toRawUTF8(), text.getNumBytesAsUTF8(), read), juce::String());
        EXPECT_EQ (read, values);
    }

    // An unset point of the drawing is written as -128.
    Points points;
    points.fill (CurveTextFile::Points::value_type (255));
    points[1] = 0;
    EXPECT_TRUE (CurveTextFile::format (points).startsWith ("-128\n127\n-128\n"));
}

//==============================================================================
TEST (CurveTextFile, LoadingFromAFileOrAUrl)
{
    CurveFolder folder;
    const auto curveFile = folder.file ("curve.txt");
    const auto badFile = folder.file ("bad.txt");
    curveFile.replaceWithText (curveText ({}, 128, "\r\n"));
    badFile.replaceWithText (curveText ({ "0", "1", "2", "3", "200" }));

    LocalHttpServer server;
    ASSERT_TRUE (server.isListening());
    server.setResponse ("/curve.txt", LocalHttpServer::Response::text (curveText ({ "64" })));

    struct Case { const char* name; juce::URL location; const char* error; bool hasValues; };

    const Case cases[] = {
        { "a curve file",          juce::URL (curveFile), "", true },
        { "a file refused by the reader", juce::URL (badFile), "Error while parsing curve file: Value at line 5 is 200 (> 127)", false },
        { "no such file",          juce::URL (folder.file ("missing.txt")), "Error: Cannot find input file", false },
        { "a folder",              juce::URL (folder.folder), "Error: Cannot find input file", false },
        { "no location",           juce::URL(), "", false },
        { "a URL",                 juce::URL (server.getOrigin() + "/curve.txt"), "", true },
        { "a URL that cannot be opened", juce::URL ("http://127.0.0.1:1/curve.txt"), "Error: Cannot create file input stream", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto result = CurveTextFile::load (c.location);
        EXPECT_EQ (result.error, juce::String (c.error));
        EXPECT_EQ (result.values.has_value(), c.hasValues);
    }

    EXPECT_EQ (*CurveTextFile::load (juce::URL (curveFile)).values, rampValues());
    EXPECT_EQ ((*CurveTextFile::load (juce::URL (server.getOrigin() + "/curve.txt")).values)[0], 64);
}

TEST (CurveTextFile, SavingReplacesAFileOnlyWhenTheNewOneIsComplete)
{
    const auto curve = unpackCurve (defaultUserCurves[3]);
    const auto expectedText = CurveTextFile::format (pointsOf (curve));
    const auto oldText = juce::String (curveText ({}, 1000).c_str());

    struct Case
    {
        const char* name;
        const char* target;             // in the folder; empty: no location
        bool targetIsFolder, oldFileThere, limitFileSize;
        const char* error;
        bool targetHoldsTheCurve;
    };

    const Case cases[] = {
        { "a new file",                         "curve.txt", false, false, false, "", true },
        { "over a longer file",                 "curve.txt", false, true,  false, "", true },
        { "a write that fails keeps the old file", "curve.txt", false, true,  true,  "Error: Cannot create output file", false },
        { "a write that fails leaves no file",  "curve.txt", false, false, true,  "Error: Cannot create output file", false },
        { "into a folder that is not there",    "missing/curve.txt", false, false, false, "Error: Cannot create output file", false },
        { "onto a folder",                      "curves", true, false, false, "Error: Cannot create output file", false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        CurveFolder folder;
        const auto target = folder.file (c.target);

        if (c.targetIsFolder)
            target.createDirectory();
        if (c.oldFileThere)
            target.replaceWithText (oldText, false, false, "\n");

        const auto entriesBefore = folder.numEntries();
        juce::String error;

        {
            std::unique_ptr<FileSizeLimit> limit;
            if (c.limitFileSize)
                limit = std::make_unique<FileSizeLimit> (64);

            error = CurveTextFile::save (juce::URL (target), pointsOf (curve));
        }

        EXPECT_EQ (error, juce::String (c.error));
        EXPECT_EQ (folder.numEntries(), entriesBefore + (c.targetHoldsTheCurve && ! c.oldFileThere ? 1 : 0));

        if (c.targetHoldsTheCurve)
            EXPECT_EQ (target.loadFileAsString(), expectedText);
        else if (c.oldFileThere)
            EXPECT_EQ (target.loadFileAsString(), oldText);
        else if (! c.targetIsFolder)
            EXPECT_FALSE (target.exists());

        if (c.targetIsFolder)
            EXPECT_TRUE (target.isDirectory());
    }

    // No location writes nothing and is no error; a location that is no local file is refused.
    EXPECT_EQ (CurveTextFile::save (juce::URL(), pointsOf (curve)), juce::String());
    EXPECT_EQ (CurveTextFile::save (juce::URL ("http://127.0.0.1:1/curve.txt"), pointsOf (curve)),
               juce::String ("Error: Cannot create output file"));
}

TEST (CurveTextFile, LoadingIntoACurveNeedsAValidSelection)
{
    struct Case { int selectedIndex, curveCount; bool accepted; };

    const Case cases[] = { { 0, 4, true }, { 3, 4, true }, { -1, 4, false }, { 4, 4, false }, { 0, 0, false } };

    for (const auto& c : cases)
        EXPECT_EQ (CurveTextFile::checkSelectedCurve (c.selectedIndex, c.curveCount),
                   juce::String (c.accepted ? "" : "Error: User curve selected is out of range"))
            << "index " << c.selectedIndex << " of " << c.curveCount;
}
