#include "settings/PresetFileWriter.h"
#include "settings/PresetFileContents.h"
#include "settings/PresetName.h"

#ifndef PELLION_APP_VERSION
 #define PELLION_APP_VERSION "8.6"
#endif

namespace
{
    const char* const mapperWordNames[] = { "inVal1Val2", "outVal1Val2", "cfg1", "cfg2", "cfg3", "cfg4" };

    juce::var hex (juce::uint32 value)
    {
        return juce::String::toHexString (value).toUpperCase();
    }

    template <typename Word, size_t size>
    juce::var hexArray (const Word (&values)[size])
    {
        juce::Array<juce::var> texts;

        for (auto value : values)
            texts.add (hex ((juce::uint32) value));

        return texts;
    }

    /** What the file now holds becomes the snapshot of the preset (and the shared words). */
    void takeSnapshot (const MidiController& device, PresetFileSnapshot& snapshot, int preset, const juce::String& presetName)
    {
        std::copy (std::begin (device.routerMasks[preset]), std::end (device.routerMasks[preset]), snapshot.fileRouterMasks[preset]);
        std::copy (std::begin (device.filterChannels[preset]), std::end (device.filterChannels[preset]), snapshot.fileFilterChannels[preset]);
        std::copy (std::begin (device.filterStatus[preset]), std::end (device.filterStatus[preset]), snapshot.fileFilterStatus[preset]);

        for (int m = 0; m < PresetFileSnapshot::getNumMappers (device); ++m)
            snapshot.fileMapperRecords[preset][m] = device.mapperRecords[preset][m];

        snapshot.filePresetNames[preset] = presetName;

        if (PresetFileContents::carriesPresetSetting (device))  snapshot.filePresetSetting = device.presetSetting;
        if (PresetFileContents::carriesTrsType (device))        snapshot.fileTrsType = device.trsType[preset];
        if (PresetFileContents::carriesSync24 (device))         snapshot.fileSync24 = device.sync24[preset];
        if (PresetFileContents::carriesPowerDown (device))      snapshot.filePowerDown = device.powerDown[preset];
    }

    /** Writes the text beside the target and moves it over the target once it is complete. */
    bool writeReplacing (const juce::File& target, const juce::String& text)
    {
        juce::TemporaryFile temporary (target);

        {
            juce::FileOutputStream output (temporary.getFile());

            if (output.failedToOpen() || ! output.writeText (text, false, false, nullptr))
                return false;

            output.flush();

            if (output.getStatus().failed())
                return false;
        }

        return temporary.overwriteTargetFileWithTemporary();
    }
}

juce::String PresetFileWriter::createText (const MidiController& device, int preset, const juce::String& presetName)
{
    if (! juce::isPositiveAndBelow (preset, PresetFileRecords::numPresets))
        preset = device.currentPreset & 0x0F;

    const juce::DynamicObject::Ptr file (new juce::DynamicObject());

    file->setProperty ("ProductID", juce::String::toHexString (device.getProductIdByte()).paddedLeft ('0', 2).toUpperCase());
    file->setProperty ("Product", device.productName);
    file->setProperty ("Firmware", juce::String ((double) device.hostFirmwareVersion, 1));
    file->setProperty ("Software", PELLION_APP_VERSION);
    file->setProperty ("Serial", device.serialText);
    file->setProperty ("PresetName", presetName);
    file->setProperty ("Router", hexArray (device.routerMasks[preset]));
    file->setProperty ("FilterChannels", hexArray (device.filterChannels[preset]));
    file->setProperty ("FilterStatus", hexArray (device.filterStatus[preset]));

    juce::Array<juce::var> mappers;

    for (int m = 0; m < PresetFileSnapshot::getNumMappers (device); ++m)
    {
        const juce::DynamicObject::Ptr mapper (new juce::DynamicObject());

        for (int w = 0; w < 6; ++w)
            mapper->setProperty (mapperWordNames[w], hex (device.mapperRecords[preset][m].getWord (w)));

        mappers.add (juce::var (mapper.get()));
    }

    file->setProperty ("Mapper", mappers);

    if (PresetFileContents::carriesPresetSetting (device))  file->setProperty ("PresetSetting", hex (device.presetSetting));
    if (PresetFileContents::carriesTrsType (device))        file->setProperty ("TrsType", hex ((juce::uint32) device.trsType[preset]));
    if (PresetFileContents::carriesSync24 (device))         file->setProperty ("Sync-24", hex ((juce::uint32) device.sync24[preset]));
    if (PresetFileContents::carriesPowerDown (device))      file->setProperty ("Power-Down", hex ((juce::uint32) device.powerDown[preset]));

    juce::MemoryOutputStream text;
    text.setNewLineString ("\n");
    juce::JSON::writeToStream (text, juce::var (file.get()));
    return text.toString();
}

PresetFileWriter::Result PresetFileWriter::save (MidiController& device, PresetFileRecords& records, const juce::URL& target, int preset)
{
    Result result;

    if (target.isEmpty())
        return result;

    const int p = juce::isPositiveAndBelow (preset, PresetFileRecords::numPresets) ? preset : (device.currentPreset & 0x0F);
    result.presetName = PresetName::fromFileName (PresetFileRecords::getShownFileName (target));
    const auto nameCheck = PresetName::check (result.presetName);

    if (! nameCheck.valid)
    {
        result.error = "Error: The file name must contain only ASCII (no accent, no special character) and be limited to 16 chars";
        result.nameWarning = nameCheck.warning;
        return result;
    }

    if (! target.isLocalFile() || ! writeReplacing (target.getLocalFile(), createText (device, p, result.presetName)))
    {
        result.error = "Error: Cannot create output file";
        return result;
    }

    records.presetFileUrls[p] = target.toString (false);
    records.presetFileNames[p] = result.presetName;
    takeSnapshot (device, records.fileSnapshot, p, result.presetName);

    if (PresetName::getDevicePresetName (device, p) != result.presetName)
    {
        PresetName::storeAndSend (device, p, result.presetName);
        result.presetRenamed = true;
    }

    return result;
}
