#include "settings/PresetFileReader.h"
#include "settings/PresetFileSnapshot.h"

namespace
{
    namespace Keys
    {
        const juce::Identifier productId ("ProductID"), presetName ("PresetName"), router ("Router"),
                               filterChannels ("FilterChannels"), filterStatus ("FilterStatus"), mapper ("Mapper"),
                               presetSetting ("PresetSetting"), trsType ("TrsType"), sync24 ("Sync-24"),
                               powerDown ("Power-Down");
        const juce::Identifier mapperWords[] = { "inVal1Val2", "outVal1Val2", "cfg1", "cfg2", "cfg3", "cfg4" };
    }

    constexpr int cfg2Word = 3;

    /** True when brackets outside strings nest deeper than maxDepth (the JSON parser recurses per level). */
    bool nestsDeeperThan (const juce::String& text, int maxDepth)
    {
        int depth = 0;
        bool inString = false;

        for (auto p = text.getCharPointer(); ! p.isEmpty();)
        {
            const auto c = p.getAndAdvance();

            if (inString)
            {
                if (c == '\\' && ! p.isEmpty())
                    p.getAndAdvance();
                else if (c == '"')
                    inString = false;
            }
            else if (c == '"')
            {
                inString = true;
            }
            else if (c == '[' || c == '{')
            {
                if (++depth > maxDepth)
                    return true;
            }
            else if (c == ']' || c == '}')
            {
                --depth;
            }
        }

        return false;
    }

    /** A value's text: strings and numbers as written; nothing for arrays, objects and the like. */
    juce::String textOf (const juce::var& value)
    {
        if (value.isString() || value.isInt() || value.isInt64() || value.isDouble() || value.isBool())
            return value.toString();

        return {};
    }

    bool isPresentButNoArray (const juce::DynamicObject& file, const juce::Identifier& key)
    {
        return file.hasProperty (key) && ! file.getProperty (key).isArray();
    }

    /** The array's first values, at most limit of them; returns how many. */
    template <typename Word>
    int readWords (const juce::DynamicObject& file, const juce::Identifier& key, int limit, Word* dest)
    {
        const auto* values = file.getProperty (key).getArray();

        if (values == nullptr)
            return 0;

        const int count = juce::jmin (limit, values->size());

        for (int i = 0; i < count; ++i)
            dest[i] = (Word) PresetFileReader::readHexValue (values->getReference (i));

        return count;
    }

    /** A single word, when its text is not empty. */
    template <typename Word>
    bool readOptionalWord (const juce::DynamicObject& file, const juce::Identifier& key, Word& dest)
    {
        const auto text = textOf (file.getProperty (key));

        if (text.isEmpty())
            return false;

        dest = (Word) (juce::uint32) text.getHexValue32();
        return true;
    }
}

juce::uint32 PresetFileReader::readHexValue (const juce::var& value)
{
    return (juce::uint32) textOf (value).getHexValue32();
}

juce::String PresetFileReader::read (const juce::String& text, const MidiController& device, PresetFileContents& contents)
{
    const auto parsed = nestsDeeperThan (text, maxNesting) ? juce::var() : juce::JSON::parse (text);
    const auto* file = parsed.getDynamicObject();

    // Everything is checked before anything is taken.
    if (file == nullptr || ! file->hasProperty (Keys::productId))
        return "Error: ProductID not found in settings file";

    if ((int) (readHexValue (file->getProperty (Keys::productId)) & 0xFF) != device.getProductIdByte())
        return "Error: ProductID does not match connected product";

    if (! file->hasProperty (Keys::presetName))
        return "Error: Preset name not found in settings file";

    if (isPresentButNoArray (*file, Keys::router))
        return "Error: Routers not found in settings file";

    if (isPresentButNoArray (*file, Keys::filterChannels))
        return "Error: Filter Channels not found in settings file";

    if (isPresentButNoArray (*file, Keys::filterStatus))
        return "Error: Filter Status not found in settings file";

    const bool hasMappers = PresetFileContents::carriesMappers (device);

    if (hasMappers && isPresentButNoArray (*file, Keys::mapper))
        return "Error: Mappers not found in settings file";

    contents = {};
    contents.presetName = textOf (file->getProperty (Keys::presetName));

    contents.numRouterRows = readWords (*file, Keys::router, PresetFileSnapshot::getNumRouterRows (device), contents.routerMasks);
    const int entries = PresetFileSnapshot::getNumFilterEntries (device);
    contents.numFilterChannels = readWords (*file, Keys::filterChannels, entries, contents.filterChannels);
    contents.numFilterStatus = readWords (*file, Keys::filterStatus, entries, contents.filterStatus);

    if (hasMappers)
    {
        if (const auto* mappers = file->getProperty (Keys::mapper).getArray())
        {
            contents.numMappers = juce::jmin (PresetFileSnapshot::getNumMappers (device), mappers->size());
            // Older files lack the format marker in "cfg2"; the current firmware needs it.
            const bool convertOldFormat = device.hostFirmwareVersion > 3.85f;

            for (int m = 0; m < contents.numMappers; ++m)
            {
                const auto* mapper = mappers->getReference (m).getDynamicObject();

                for (int w = 0; mapper != nullptr && w < 6; ++w)
                {
                    if (! mapper->hasProperty (Keys::mapperWords[w]))
                        continue;

                    auto value = readHexValue (mapper->getProperty (Keys::mapperWords[w]));

                    if (w == cfg2Word && convertOldFormat && (value >> 24) != mapperFormatMarker)
                    {
                        value = (value & 0xFFFFu) | (mapperFormatMarker << 24);
                        contents.oldMapperFormat = true;
                    }

                    contents.mappers[m].setWord (w, value);
                    contents.mapperWordsPresent[m] |= (juce::uint8) (1 << w);
                }
            }
        }
    }

    if (PresetFileContents::carriesPresetSetting (device))
    {
        contents.hasPresetSetting = readOptionalWord (*file, Keys::presetSetting, contents.presetSetting);
        // Bit 31 is the product's own change flag, never a stored setting.
        contents.presetSetting &= 0x7FFFFFFFu;
    }

    if (PresetFileContents::carriesTrsType (device))
        contents.hasTrsType = readOptionalWord (*file, Keys::trsType, contents.trsType);

    if (PresetFileContents::carriesSync24 (device))
        contents.hasSync24 = readOptionalWord (*file, Keys::sync24, contents.sync24);

    if (PresetFileContents::carriesPowerDown (device))
        contents.hasPowerDown = readOptionalWord (*file, Keys::powerDown, contents.powerDown);

    return {};
}
