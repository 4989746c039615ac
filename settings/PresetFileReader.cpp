#include "settings/PresetFileReader.h"
#include "settings/PresetFileSnapshot.h"
#include "settings/JsonScanner.h"

namespace
{
    using Token = JsonScanner::Token;

    // The errors, made once: a refused file costs no allocation.
    const juce::String productIdNotFound ("Error: ProductID not found in settings file");
    const juce::String productIdMismatch ("Error: ProductID does not match connected product");
    const juce::String presetNameNotFound ("Error: Preset name not found in settings file");
    const juce::String routersNotFound ("Error: Routers not found in settings file");
    const juce::String filterChannelsNotFound ("Error: Filter Channels not found in settings file");
    const juce::String filterStatusNotFound ("Error: Filter Status not found in settings file");
    const juce::String mappersNotFound ("Error: Mappers not found in settings file");

    constexpr int cfg2Word = 3;
    const char* const mapperWordNames[] = { "inVal1Val2", "outVal1Val2", "cfg1", "cfg2", "cfg3", "cfg4" };

    /** Whether a key that should hold an array was present and, the last time, held one. */
    struct ArrayKey
    {
        bool present = false, isArray = false;

        bool isRefused() const   { return present && ! isArray; }
    };

    /** Scans a root member's value that should be an array of words; keeps the first ones, up to limit. */
    template <typename Word>
    bool scanWords (JsonScanner& scanner, ArrayKey& key, Word* dest, int limit, int& count)
    {
        key.present = true;
        key.isArray = scanner.peek() == '[';
        count = 0;

        if (! key.isArray)
        {
            Token ignored;
            return scanner.scanValue (ignored, 1);
        }

        return scanner.scanElements (2, [&] (int index)
        {
            Token element;

            if (! scanner.scanValue (element, 2))
                return false;

            if (index < limit)
            {
                dest[index] = (Word) element.getHexValue();
                count = index + 1;
            }

            return true;
        });
    }

    /** Scans the mapper array; keeps the words of the first mappers, up to limit. */
    bool scanMappers (JsonScanner& scanner, ArrayKey& key, PresetFileContents& contents, int limit)
    {
        key.present = true;
        key.isArray = scanner.peek() == '[';
        contents.numMappers = 0;

        if (! key.isArray)
        {
            Token ignored;
            return scanner.scanValue (ignored, 1);
        }

        return scanner.scanElements (2, [&] (int index)
        {
            const bool kept = index < limit;

            if (kept)
            {
                contents.mappers[index] = {};
                contents.mapperWordsPresent[index] = 0;
                contents.numMappers = index + 1;
            }

            if (scanner.peek() != '{')
            {
                Token ignored;
                return scanner.scanValue (ignored, 2);
            }

            return scanner.scanMembers (3, [&] (const Token& name)
            {
                Token value;

                if (! scanner.scanValue (value, 3))
                    return false;

                for (int w = 0; kept && w < 6; ++w)
                {
                    if (name.isText (mapperWordNames[w]))
                    {
                        contents.mappers[index].setWord (w, value.getHexValue());
                        contents.mapperWordsPresent[index] |= (juce::uint8) (1 << w);
                        break;
                    }
                }

                return true;
            });
        });
    }
}

juce::String PresetFileReader::read (const void* data, size_t size, const MidiController& device, PresetFileContents& contents)
{
    auto* text = static_cast<const char*> (data);

    if (size >= 3 && std::memcmp (text, "\xEF\xBB\xBF", 3) == 0)
    {
        text += 3;
        size -= 3;
    }

    contents = {};
    const bool carriesMappers = PresetFileContents::carriesMappers (device);
    const int entries = PresetFileSnapshot::getNumFilterEntries (device);

    ArrayKey router, filterChannels, filterStatus, mappers;
    Token productId, presetName, presetSetting, trsType, sync24, powerDown;
    bool hasProductId = false, hasPresetName = false;

    JsonScanner scanner (text, size, maxNesting);

    const bool isJsonObject = scanner.scanMembers (1, [&] (const Token& key)
    {
        if (key.isText ("Router"))
            return scanWords (scanner, router, contents.routerMasks, PresetFileSnapshot::getNumRouterRows (device), contents.numRouterRows);

        if (key.isText ("FilterChannels"))
            return scanWords (scanner, filterChannels, contents.filterChannels, entries, contents.numFilterChannels);

        if (key.isText ("FilterStatus"))
            return scanWords (scanner, filterStatus, contents.filterStatus, entries, contents.numFilterStatus);

        if (key.isText ("Mapper"))
            return scanMappers (scanner, mappers, contents, carriesMappers ? PresetFileSnapshot::getNumMappers (device) : 0);

        Token value;

        if (! scanner.scanValue (value, 1))
            return false;

        if (key.isText ("ProductID"))            { productId = value; hasProductId = true; }
        else if (key.isText ("PresetName"))      { presetName = value; hasPresetName = true; }
        else if (key.isText ("PresetSetting"))   presetSetting = value;
        else if (key.isText ("TrsType"))         trsType = value;
        else if (key.isText ("Sync-24"))         sync24 = value;
        else if (key.isText ("Power-Down"))      powerDown = value;

        return true;
    });

    // Everything is checked before anything is taken.
    if (! isJsonObject || ! hasProductId)
        return productIdNotFound;

    if ((int) (productId.getHexValue() & 0xFF) != device.getProductIdByte())
        return productIdMismatch;

    if (! hasPresetName)
        return presetNameNotFound;

    if (router.isRefused())
        return routersNotFound;

    if (filterChannels.isRefused())
        return filterChannelsNotFound;

    if (filterStatus.isRefused())
        return filterStatusNotFound;

    if (carriesMappers && mappers.isRefused())
        return mappersNotFound;

    contents.presetName = presetName.getText();

    // Older files lack the format marker in "cfg2"; the current firmware needs it.
    if (device.hostFirmwareVersion > 3.85f)
    {
        for (int m = 0; m < contents.numMappers; ++m)
        {
            auto& cfg2 = contents.mappers[m].cfg2;

            if ((contents.mapperWordsPresent[m] >> cfg2Word & 1) != 0 && (cfg2 >> 24) != mapperFormatMarker)
            {
                cfg2 = (cfg2 & 0xFFFFu) | (mapperFormatMarker << 24);
                contents.oldMapperFormat = true;
            }
        }
    }

    // An optional word counts only where the product and its firmware have it, and only with a text.
    auto takeWord = [] (const Token& token, bool carried, bool& has, auto& word)
    {
        has = carried && token.hasText();
        word = (std::remove_reference_t<decltype (word)>) token.getHexValue();
    };

    takeWord (presetSetting, PresetFileContents::carriesPresetSetting (device), contents.hasPresetSetting, contents.presetSetting);
    takeWord (trsType, PresetFileContents::carriesTrsType (device), contents.hasTrsType, contents.trsType);
    takeWord (sync24, PresetFileContents::carriesSync24 (device), contents.hasSync24, contents.sync24);
    takeWord (powerDown, PresetFileContents::carriesPowerDown (device), contents.hasPowerDown, contents.powerDown);

    // Bit 31 is the product's own change flag, never a stored setting.
    contents.presetSetting &= 0x7FFFFFFFu;
    return {};
}
