#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
    /** What the framework's JSON reader would meet in a text, read without recursion. */
    struct JsonShape
    {
        int depth = 0;               ///< deepest nesting of arrays and objects
        int longestDigitRun = 0;     ///< outside strings
        int longestExponent = 0;     ///< digits of a number's exponent, outside strings
        bool bareMinus = false;      ///< a '-' outside strings that no digit follows
    };

    JsonShape measureJson (const juce::String& text)
    {
        JsonShape shape;
        int depth = 0, run = 0, exponentRun = 0;
        bool inString = false, escaped = false, afterMinus = false, inExponent = false, afterDigitAndPoint = false;

        for (auto p = text.getCharPointer(); ! p.isEmpty(); ++p)
        {
            const auto c = *p;

            if (inString)
            {
                if (escaped)
                    escaped = false;
                else if (c == '\\')
                    escaped = true;
                else if (c == '"')
                    inString = false;

                continue;
            }

            if (afterMinus && ! juce::CharacterFunctions::isWhitespace (c))
            {
                shape.bareMinus = shape.bareMinus || ! (c >= '0' && c <= '9');
                afterMinus = false;
            }

            if (c >= '0' && c <= '9')
            {
                shape.longestDigitRun = juce::jmax (shape.longestDigitRun, ++run);

                if (inExponent)
                    shape.longestExponent = juce::jmax (shape.longestExponent, ++exponentRun);

                continue;
            }

            const bool afterDigit = run > 0 || afterDigitAndPoint;
            afterDigitAndPoint = c == '.' && run > 0;
            run = 0;

            // An exponent starts at an 'e' right after a digit, or after a digit and a point
            // ("5.e12345"), and may carry a sign.
            if ((c == 'e' || c == 'E') && afterDigit)
            {
                inExponent = true;
                exponentRun = 0;
                continue;
            }

            if (! (inExponent && exponentRun == 0 && (c == '+' || c == '-')))
                inExponent = false;

            if (c == '"')
                inString = true;
            else if (c == '-')
                afterMinus = true;
            else if (c == '[' || c == '{')
                shape.depth = juce::jmax (shape.depth, ++depth);
            else if ((c == ']' || c == '}') && depth > 0)
                --depth;
        }

        shape.bareMinus = shape.bareMinus || afterMinus;
        return shape;
    }
}

int WebAnswerParsers::getNestingDepth (const juce::String& text)
{
    return measureJson (text).depth;
}

bool WebAnswerParsers::isSafeToParse (const juce::String& text)
{
    // The framework's reader recurses once per level, so a deeply nested answer would exhaust
    // the worker's stack; it gathers a number's digits in a 64-bit integer, which more than 18
    // digits overflow; and after a '-' it takes the next character for a digit, even the end
    // of the text. It gathers an exponent in an int, which ten digits overflow. Neither answer
    // needs any of these.
    const auto shape = measureJson (text);
    return shape.depth <= maxNestingDepth && shape.longestDigitRun <= maxNumberDigits
            && shape.longestExponent <= maxExponentDigits && ! shape.bareMinus;
}

static juce::var parseJson (const juce::String& answer)
{
    // The text ends at its first null character, as for every reader of it.
    const juce::String text (answer.getCharPointer());
    juce::var root;

    if (! WebAnswerParsers::isSafeToParse (text))
        return {};

    if (juce::JSON::parse (text, root).failed())
        return {};

    return root;
}

juce::String WebAnswerParsers::valueToText (const juce::var& value)
{
    if (! value.isDouble())
        return value.toString();

    // The shortest text that reads back as the same number, as the answer most likely spelled it.
    const auto number = static_cast<double> (value);

    if (! std::isfinite (number))
        return value.toString();

    for (int digits = 1; digits <= 17; ++digits)
    {
        char text[40];
        std::snprintf (text, sizeof (text), "%.*g", digits, number);

        if (std::strtod (text, nullptr) == number)
            return text;
    }

    return value.toString();
}

static const juce::Array<juce::var>* getEntries (const juce::var& root, const char* key)
{
    if (auto* object = root.getDynamicObject())
        return object->getProperty (key).getArray();

    return nullptr;
}

juce::StringArray WebAnswerParsers::getNonEmptyLines (const juce::var& value)
{
    juce::StringArray lines;

    if (auto* array = value.getArray())
        for (auto& element : *array)
            if (auto line = valueToText (element); line.isNotEmpty())
                lines.add (line);

    return lines;
}

AppVersionInfo WebAnswerParsers::parseVersionList (const juce::String& answer, const juce::String& wantedPlatform)
{
    AppVersionInfo result;
    const auto root = parseJson (answer);
    float best = 0.0f;

    if (auto* entries = getEntries (root, "items"))
    {
        for (auto& entry : *entries)
        {
            auto* object = entry.getDynamicObject();

            if (object == nullptr)
                continue;

            if (object->hasProperty ("app"))
            {
                auto app = valueToText (object->getProperty ("app"));

                if (app != "pellion")
                    continue;

                result.app = app;
            }

            if (object->hasProperty ("platform"))
            {
                auto platform = valueToText (object->getProperty ("platform"));

                if (platform != wantedPlatform)
                    continue;

                result.platform = platform;
            }

            if (object->hasProperty ("version"))
            {
                auto version = valueToText (object->getProperty ("version"));
                auto value = WebEndpoints::getVersionValue (version);

                if (best > value)
                    continue;

                result.version = version;
                best = value;
            }

            if (object->hasProperty ("url"))
                result.url = valueToText (object->getProperty ("url"));

            if (object->hasProperty ("date"))
                result.date = valueToText (object->getProperty ("date"));

            if (object->hasProperty ("changelogs"))
                result.changelog = getNonEmptyLines (object->getProperty ("changelogs"));
        }
    }

    result.valid = result.date.isNotEmpty() && result.app.isNotEmpty()
                && result.platform.isNotEmpty() && result.version.isNotEmpty();
    return result;
}

FirmwareVersionInfo WebAnswerParsers::parseFirmwareCatalogue (const juce::String& answer, const juce::String& productId)
{
    FirmwareVersionInfo result;

    if (productId.isEmpty())
        return result;

    const auto root = parseJson (answer);
    juce::String last;

    if (auto* entries = getEntries (root, "versions"))
    {
        for (auto& entry : *entries)
        {
            auto* object = entry.getDynamicObject();

            if (object == nullptr)
                continue;

            if (object->hasProperty ("product"))
            {
                auto product = valueToText (object->getProperty ("product"));

                if (product != productId)
                    continue;

                result.product = product;
            }

            if (object->hasProperty ("version"))
            {
                auto version = valueToText (object->getProperty ("version"));

                if (WebEndpoints::getVersionValue (version) < 0.0f)
                    continue;

                result.version = version;
                last = version;
            }

            if (object->hasProperty ("url"))
                result.url = valueToText (object->getProperty ("url"));

            if (object->hasProperty ("date"))
                result.date = valueToText (object->getProperty ("date"));
        }
    }

    if (last.isNotEmpty())
    {
        if (auto* changelogs = root.getProperty ("changelogs", {}).getDynamicObject())
            if (auto* ofProduct = changelogs->getProperty (productId).getDynamicObject())
                if (auto* ofVersion = ofProduct->getProperty (last).getDynamicObject())
                    result.changelog = getNonEmptyLines (ofVersion->getProperty ("default"));
    }

    result.valid = result.url.length() > 10 && result.date.isNotEmpty()
                && result.product.isNotEmpty() && result.version.isNotEmpty();
    return result;
}
