#pragma once

#include "DeviceTestSupport.h"
#include "settings/PresetFileRecords.h"

/** Helpers for the preset file tests: a model filled with recognisable values, and images of
    the model and of the preset bar's records to tell whether anything changed. */
namespace PresetFileTest
{
    inline float version (int major, int minor) { return MidiController::firmwareVersionFromDigits (major, minor); }

    /** Fills a preset with values that show in a file: rows A0000000 + i, channel filters
        BEEF - i, message filters i x 101, mappers with the current format marker. Every
        other preset holds other values. */
    inline void fillModel (MidiController& d, int preset)
    {
        for (int p = 0; p < MidiController::numPresetRows; ++p)
        {
            const bool filled = p == preset;

            for (int i = 0; i < MidiController::numRouterRows; ++i)
                d.routerMasks[p][i] = filled ? 0xA0000000u + (juce::uint32) i : 0xDEADu;

            for (int i = 0; i < MidiController::numFilterEntries; ++i)
            {
                d.filterChannels[p][i] = (juce::uint16) (filled ? 0xBEEF - i : 0xDEAD);
                d.filterStatus[p][i] = filled ? (juce::uint32) i * 0x101u : 0xDEADu;
            }

            for (int m = 0; m < MidiController::numMapperSlots; ++m)
                d.mapperRecords[p][m] = filled ? MapperRecord { 0x90000000u + (juce::uint32) m, 0x80000000u + (juce::uint32) m,
                                                                (juce::uint32) m, 0x5A000000u | (juce::uint32) m,
                                                                0xC0FFEE00u + (juce::uint32) m, 0xFFFFFFFFu }
                                               : MapperRecord { 0xDEAD, 0xDEAD, 0xDEAD, 0xDEAD, 0xDEAD, 0xDEAD };

            d.trsType[p] = filled ? -1 : 0xDEAD;
            d.sync24[p] = filled ? (juce::int32) 0x80000020 : 0xDEAD;
            d.powerDown[p] = filled ? 0x16A : 0xDEAD;
        }

        d.presetSetting = 0x4300u | (juce::uint32) preset;
        d.currentPreset = (juce::uint8) preset;
    }

    /** Everything a load or a save may change in the model, as one list of words. */
    inline std::vector<juce::uint32> modelImage (const MidiController& d)
    {
        std::vector<juce::uint32> image;

        for (int p = 0; p < MidiController::numPresetRows; ++p)
        {
            image.insert (image.end(), std::begin (d.routerMasks[p]), std::end (d.routerMasks[p]));
            image.insert (image.end(), std::begin (d.filterChannels[p]), std::end (d.filterChannels[p]));
            image.insert (image.end(), std::begin (d.filterStatus[p]), std::end (d.filterStatus[p]));
            image.insert (image.end(), std::begin (d.presetNames[p]), std::end (d.presetNames[p]));

            for (const auto& mapper : d.mapperRecords[p])
                for (int w = 0; w < 6; ++w)
                    image.push_back (mapper.getWord (w));

            image.insert (image.end(), { (juce::uint32) d.trsType[p], (juce::uint32) d.sync24[p], (juce::uint32) d.powerDown[p] });
        }

        image.insert (image.end(), { d.presetSetting, d.currentPreset });
        return image;
    }

    /** The records as text: file URLs and names, and the snapshot's bytes. */
    inline juce::String recordsImage (const PresetFileRecords& records)
    {
        juce::StringArray lines;

        for (int p = 0; p < PresetFileRecords::numPresets; ++p)
            lines.add (records.presetFileUrls[p] + "|" + records.presetFileNames[p] + "|" + records.fileSnapshot.filePresetNames[p]);

        const auto& s = records.fileSnapshot;
        juce::MemoryBlock bytes;
        bytes.append (s.fileRouterMasks, sizeof (s.fileRouterMasks));
        bytes.append (s.fileFilterChannels, sizeof (s.fileFilterChannels));
        bytes.append (s.fileFilterStatus, sizeof (s.fileFilterStatus));
        bytes.append (s.fileMapperRecords, sizeof (s.fileMapperRecords));
        lines.add (bytes.toBase64Encoding());
        lines.add (juce::String::toHexString ((juce::int64) s.filePresetSetting) + " " + juce::String (s.fileTrsType) + " "
                   + juce::String (s.fileSync24) + " " + juce::String (s.filePowerDown));
        return lines.joinIntoString ("\n");
    }

    /** The pending table's bytes. */
    inline juce::MemoryBlock pendingImage (const MidiController& d)
    {
        return juce::MemoryBlock (&d.pendingRequests, sizeof (d.pendingRequests));
    }

    /** A folder of this test's own under the process's home, removed with the object. */
    struct TemporaryFolder
    {
        TemporaryFolder()   { folder.createDirectory(); }
        ~TemporaryFolder()  { folder.deleteRecursively(); }

        juce::File folder { juce::File::getSpecialLocation (juce::File::userHomeDirectory)
                                .getChildFile ("presets-" + juce::String::toHexString (juce::Random::getSystemRandom().nextInt64())) };
    };
}
