#include "settings/PresetFileLoader.h"
#include "settings/PresetFileReader.h"
#include "settings/PresetName.h"

namespace
{
    const juce::String noProduct ("Error: No product connected");
    const juce::String tooLarge ("Error: Preset file is larger than 1 MiB");
    const juce::String cannotOpen ("Error: Cannot create file input stream");

    PresetFileLoader::Result failure (const juce::String& error)
    {
        PresetFileLoader::Result result;
        result.error = error;
        return result;
    }

    bool isProductConnected (const MidiController& device)
    {
        return device.productCode >= productDorvin && device.productCode <= productNorrim;
    }

    /** The items a load marks for writing, and what each of them waited for before. */
    class LoadMarks
    {
    public:
        LoadMarks (PendingRequests& pendingToMark, int presetLoaded) : pending (pendingToMark), preset (presetLoaded) {}

        void mark (int kind, int item)
        {
            // Another preset's unsent edit of the same item keeps its place.
            if (isPerPresetKind (kind) && pending.isWrite (kind, item) && pending.getPreset (kind, item) != preset)
                return;

            marks.add ({ kind, item, pending.isPending (kind, item), pending.isWrite (kind, item) });
            pending.markForWrite (kind, item, preset);
        }

        /** Takes back what this load marked: items that waited for nothing are cleared, waiting
            reads become reads again, waiting writes stay. */
        void takeBack()
        {
            for (const auto& m : marks)
            {
                if (m.wasWrite)
                    continue;

                pending.clear (m.kind, m.item);

                if (m.wasPending)
                    pending.markForRead (m.kind, m.item);
            }
        }

    private:
        struct Mark { int kind, item; bool wasPending, wasWrite; };

        PendingRequests& pending;
        const int preset;
        juce::Array<Mark> marks;
    };
}

PresetFileLoader::Result PresetFileLoader::loadFile (MidiController& device, PresetFileRecords& records,
                                                     const juce::URL& source, int preset, bool send)
{
    if (source.isEmpty())
        return {};

    if (! isProductConnected (device))
        return failure (noProduct);

    if (source.isLocalFile() && source.getLocalFile().getSize() > maxFileSize)
        return failure (tooLarge);

    std::unique_ptr<juce::InputStream> input;

    if (source.isLocalFile())
        input = source.getLocalFile().createInputStream();
    else
        input = source.createInputStream (juce::URL::InputStreamOptions (juce::URL::ParameterHandling::inAddress)
                                              .withConnectionTimeoutMs (3000));

    if (input == nullptr)
        return failure (cannotOpen);

    // One byte more than allowed tells a file that grew, or a stream of unknown length, that is too large.
    juce::MemoryBlock bytes;
    juce::MemoryOutputStream (bytes, false).writeFromInputStream (*input, maxFileSize + 1);

    return loadData (device, records, bytes.getData(), bytes.getSize(), source, preset, send);
}

PresetFileLoader::Result PresetFileLoader::loadData (MidiController& device, PresetFileRecords& records, const void* data,
                                                     size_t size, const juce::URL& source, int preset, bool send)
{
    if (! isProductConnected (device))
        return failure (noProduct);

    if (size > (size_t) maxFileSize)
        return failure (tooLarge);

    PresetFileContents contents;
    const auto error = PresetFileReader::read (data, size, device, contents);

    if (error.isNotEmpty())
        return failure (error);

    return apply (device, records, contents, source, preset, send);
}

PresetFileLoader::Result PresetFileLoader::apply (MidiController& device, PresetFileRecords& records,
                                                  const PresetFileContents& contents, const juce::URL& source,
                                                  int preset, bool send)
{
    Result result;
    const int p = juce::isPositiveAndBelow (preset, PresetFileRecords::numPresets) ? preset : (device.currentPreset & 0x0F);
    auto& snapshot = records.fileSnapshot;
    LoadMarks marks (device.pendingRequests, p);

    auto changed = [&] (int kind, int item)
    {
        result.changedKinds |= 1u << kind;
        marks.mark (kind, item);
    };

    // The file's value goes into the snapshot; a value that differs from the model is stored and marked.
    auto take = [&] (auto& fileValue, auto& modelValue, auto value, int kind, int item)
    {
        fileValue = value;

        if (modelValue != value)
        {
            modelValue = value;
            changed (kind, item);
        }
    };

    result.preset = p;
    result.presetName = contents.presetName;

    if (contents.presetName.isNotEmpty())
    {
        snapshot.filePresetNames[p] = contents.presetName;

        if (device.hostFirmwareVersion > 2.75f && PresetName::storeWords (device, p, contents.presetName))
            changed (kindPresetName, p);
    }

    for (int i = 0; i < contents.numRouterRows; ++i)
        take (snapshot.fileRouterMasks[p][i], device.routerMasks[p][i], contents.routerMasks[i], kindRouter, i);

    for (int i = 0; i < contents.numFilterChannels; ++i)
        take (snapshot.fileFilterChannels[p][i], device.filterChannels[p][i], contents.filterChannels[i], kindChannelFilter, i);

    for (int i = 0; i < contents.numFilterStatus; ++i)
        take (snapshot.fileFilterStatus[p][i], device.filterStatus[p][i], contents.filterStatus[i], kindMessageFilter, i);

    for (int m = 0; m < contents.numMappers; ++m)
    {
        bool mapperChanged = false;

        for (int w = 0; w < 6; ++w)
        {
            if ((contents.mapperWordsPresent[m] >> w & 1) == 0)
                continue;

            const auto value = contents.mappers[m].getWord (w);
            snapshot.fileMapperRecords[p][m].setWord (w, value);

            if (device.mapperRecords[p][m].getWord (w) != value)
            {
                device.mapperRecords[p][m].setWord (w, value);
                mapperChanged = true;
            }
        }

        if (mapperChanged)
            changed (kindMapper, m);
    }

    if (contents.hasPresetSetting)
    {
        // The word is the product's; its bits 0-4 keep naming the preset loaded.
        snapshot.filePresetSetting = contents.presetSetting;
        const auto word = (contents.presetSetting & ~0x1Fu) | (juce::uint32) p;

        if (device.presetSetting != word)
        {
            device.presetSetting = word;
            changed (kindPresetSetting, 0);
        }
    }

    if (contents.hasTrsType)
        take (snapshot.fileTrsType, device.trsType[p], contents.trsType, kindTrsType, 0);

    if (contents.hasSync24)
        take (snapshot.fileSync24, device.sync24[p], contents.sync24, kindSync24, 0);

    if (contents.hasPowerDown)
        take (snapshot.filePowerDown, device.powerDown[p], contents.powerDown, kindPowerDown, 0);

    records.presetFileUrls[p] = source.toString (false);
    records.presetFileNames[p] = PresetFileRecords::getShownFileName (source);

    // A new name goes first, then the changed kinds in their order.
    if (result.hasChanged (kindPresetName))
        result.firstKind = kindPresetName;

    for (int kind = 0; kind < PendingRequests::numKinds && result.firstKind < 0; ++kind)
        if (result.hasChanged (kind))
            result.firstKind = kind;

    if (contents.oldMapperFormat)
        result.saveDialogTitle = formatUpdateTitle;

    if (! send)
        marks.takeBack();
    else if (result.firstKind >= 0)
        device.sendPending (result.firstKind);

    return result;
}
