#include "app/WebAnswerParsers.h"
#include "app/WebEndpoints.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

int WebAnswerParsers::getNestingDepth (const juce::String& text)
{
    int depth = 0, deepest = 0;
    bool inString = false, escaped = false;

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
        }
        else if (c == '"')
        {
            inString = true;
        }
        else if (c == '[' || c == '{')
        {
            deepest = juce::jmax (deepest, ++depth);
        }
        else if ((c == ']' || c == '}') && depth > 0)
        {
            --depth;
        }
    }

    return deepest;
}

static juce::var parseJson (const juce::String& text)
{
    juce::var root;

    // The framework's reader recurses once per level: a deeply nested answer would exhaust
    // the worker's stack. Neither answer needs more than a few levels.
    if (WebAnswerParsers::getNestingDepth (text) > WebAnswerParsers::maxNestingDepth)
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
